// corvan-tool SUBCOMMAND [ARGS...]: one table of subcommands; `corvan-tool help` lists them.
#include <cstdio>
#include <cstring>

#include "tools/tool.h"

namespace {

const ToolCommand kCommands[] = {
    {"crc", "FILE [--app N --version V [--kernel K]]  print the CRC-32; with --app write FILE's CRC file", CmdCrc},
    {"flash", "FILE.hex [--device PATH]  upload firmware to the controller's boot loader; exit status = result code", CmdFlash},
};

int Usage(FILE* out)
{
    std::fprintf(out, "usage: corvan-tool SUBCOMMAND [ARGS...]\n\nsubcommands:\n");
    for (const ToolCommand& c : kCommands) std::fprintf(out, "  %s %s\n", c.name, c.help);
    return out == stdout ? 0 : kToolUsage;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage(stderr);
    if (!std::strcmp(argv[1], "help") || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))
        return Usage(stdout);
    for (const ToolCommand& c : kCommands)
        if (!std::strcmp(argv[1], c.name)) return c.run(argc - 1, argv + 1);
    std::fprintf(stderr, "corvan-tool: unknown subcommand \"%s\"\n", argv[1]);
    return Usage(stderr);
}
