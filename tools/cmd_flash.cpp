// corvan-tool flash FILE.hex [--device PATH]
// Uploads a HEX file to the boot loader of the controller on PATH (default: the program's own
// serial device) and exits with the upload's result code: 0 done, 1 an address outside the
// memory, 2 an unreadable record, 3 no first block from the loader, 4 a block not
// acknowledged, 5 no loader. The file is read completely before anything is sent. Wrong
// arguments and a file that cannot be opened also give 2: nothing was sent either way.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "machine/firmware.h"
#include "machine/serial.h"
#include "tools/tool.h"
#include "tools/tool_support.h"

namespace {

const char* Meaning(int code)
{
    switch (code) {
    case HEX_UPLOAD_OK: return "upload complete";
    case HEX_ADDRESS_OUTSIDE: return "a data address of the file lies in no memory block";
    case HEX_BAD_RECORD: return "the file holds a record that cannot be uploaded";
    case HEX_NO_FIRST_BLOCK: return "the loader did not send its first program block";
    case HEX_NOT_ACKNOWLEDGED: return "a block was not acknowledged";
    case HEX_NO_LOADER: return "the loader did not answer";
    default: return "unknown result";
    }
}

}  // namespace

int RunFlash(const ToolArgs& args)
{
    std::string file, device;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--device") {
            if (i + 1 >= args.size()) return ToolUsage("flash", "missing value after " + arg);
            device = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return ToolUsage("flash", "unknown option " + arg);
        } else if (file.empty()) {
            file = arg;
        } else {
            return ToolUsage("flash", "more than one file: " + arg);
        }
    }
    if (file.empty()) return ToolUsage("flash", "no file given");

    std::unique_ptr<FILE, int (*)(FILE*)> hex(std::fopen(file.c_str(), "rb"), &std::fclose);
    if (!hex) {
        std::fprintf(stderr, "corvan-tool: cannot open %s\n", file.c_str());
        return HEX_BAD_RECORD;
    }
    if (!device.empty()) setenv("CORVAN_SERIAL", device.c_str(), 1);
    int result = 0;
    {
        ConsoleToStderr console;  // the upload's console lines are not the result
        OpenPort();  // on failure the port stays closed and the upload reports no loader
        result = SendHexFile(hex.get());
        ClosePort();
    }
    std::printf("%s: %s (%d)\n", file.c_str(), Meaning(result), result);
    return result;
}
