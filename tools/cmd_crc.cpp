// corvan-tool crc FILE [--app N --version V [--kernel K]]
// Prints the file's CRC-32 in hex and as the signed decimal a CRC file holds. With --app it
// also writes the CRC file beside FILE, so that an update stick can be prepared by hand.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/file_crc.h"
#include "tools/tool.h"

namespace {

int Fail(const char* what, const std::string& detail = "")
{
    std::fprintf(stderr, "corvan-tool crc: %s%s\n", what, detail.c_str());
    std::fprintf(stderr, "usage: corvan-tool crc FILE [--app N --version V [--kernel K]]\n");
    return kToolUsage;
}

}  // namespace

int CmdCrc(int argc, char** argv)
{
    std::string file, app, version, kernel;
    bool haveApp = false, haveVersion = false, haveKernel = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string* value = nullptr;
        bool* seen = nullptr;
        if (arg == "--app") value = &app, seen = &haveApp;
        else if (arg == "--version") value = &version, seen = &haveVersion;
        else if (arg == "--kernel") value = &kernel, seen = &haveKernel;
        if (value) {
            if (i + 1 >= argc) return Fail("missing value after ", arg);
            *value = argv[++i];
            *seen = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Fail("unknown option ", arg);
        } else if (file.empty()) {
            file = arg;
        } else {
            return Fail("more than one file: ", arg);
        }
    }
    if (file.empty()) return Fail("no file given");
    if ((haveVersion || haveKernel) && !haveApp) return Fail("--version and --kernel need --app");
    if (haveApp && !haveVersion) return Fail("--app needs --version");

    int appCode = 0;
    if (haveApp) {
        char* end = nullptr;
        const long n = std::strtol(app.c_str(), &end, 10);
        if (app.empty() || *end != '\0' || (n != CRC_APP_PROGRAM && n != CRC_APP_FIRMWARE))
            return Fail("--app must be 1 (program) or 2 (motion controller firmware), not ", app);
        appCode = static_cast<int>(n);
    }

    uint32_t value = 0;
    if (!FileCRC_Default(file, &value)) {
        std::fprintf(stderr, "corvan-tool crc: cannot read %s\n", file.c_str());
        return kToolNoInput;
    }
    std::printf("0x%08X %ld\n", value, CrcAsSigned(value));

    if (haveApp) {
        std::string error;
        if (!WriteCrcFile(file, appCode, version, kernel, &error)) {
            std::fprintf(stderr, "corvan-tool crc: %s\n", error.c_str());
            return error.rfind("cannot read", 0) == 0 ? kToolNoInput : kToolUsage;
        }
        std::printf("wrote %s\n", CrcFilePath(file).c_str());
    }
    return 0;
}
