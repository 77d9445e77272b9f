// corvan-tool crc FILE [--app N --version V [--kernel K]]
// Prints the file's CRC-32 in hex and as the signed decimal a CRC file holds. With --app it
// also writes the CRC file beside FILE, so that an update stick can be prepared by hand.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/file_crc.h"
#include "tools/tool.h"

int RunCrc(const ToolArgs& args)
{
    std::string file, app, version, kernel;
    bool haveApp = false, haveVersion = false, haveKernel = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string* value = nullptr;
        bool* seen = nullptr;
        if (arg == "--app") value = &app, seen = &haveApp;
        else if (arg == "--version") value = &version, seen = &haveVersion;
        else if (arg == "--kernel") value = &kernel, seen = &haveKernel;
        if (value) {
            if (i + 1 >= args.size()) return ToolUsage("crc", "missing value after " + arg);
            *value = args[++i];
            *seen = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return ToolUsage("crc", "unknown option " + arg);
        } else if (file.empty()) {
            file = arg;
        } else {
            return ToolUsage("crc", "more than one file: " + arg);
        }
    }
    if (file.empty()) return ToolUsage("crc", "no file given");
    if ((haveVersion || haveKernel) && !haveApp) return ToolUsage("crc", "--version and --kernel need --app");
    if (haveApp && !haveVersion) return ToolUsage("crc", "--app needs --version");

    int appCode = 0;
    if (haveApp) {
        char* end = nullptr;
        const long n = std::strtol(app.c_str(), &end, 10);
        if (app.empty() || *end != '\0' || (n != CRC_APP_PROGRAM && n != CRC_APP_FIRMWARE))
            return ToolUsage("crc", "--app must be 1 (program) or 2 (motion controller firmware), not " + app);
        appCode = static_cast<int>(n);
    }

    uint32_t value = 0;
    if (!FileCRC_Default(file, &value)) {
        std::fprintf(stderr, "corvan-tool: cannot read %s\n", file.c_str());
        return kToolFailed;
    }
    std::printf("0x%08X %ld\n", value, CrcAsSigned(value));

    if (haveApp) {
        std::string error;
        if (!WriteCrcFile(file, appCode, version, kernel, &error)) {
            if (error.rfind("cannot", 0) == 0) {
                std::fprintf(stderr, "corvan-tool: %s\n", error.c_str());
                return kToolFailed;
            }
            return ToolUsage("crc", error);
        }
        std::printf("wrote %s\n", CrcFilePath(file).c_str());
    }
    return kToolOk;
}
