// corvan-tool's dispatcher: finds the subcommand named by the leading arguments and runs it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "tools/tool.h"

namespace {

const ToolCommand kCommands[] = {
#define TOOL_COMMAND(name, usage, help, function) {name, usage, help, function},
#include "tools/commands.def"
#undef TOOL_COMMAND
};

std::vector<std::string> Words(const char* name)
{
    std::istringstream in(name);
    std::vector<std::string> words;
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

void PrintHelp(std::FILE* to)
{
    std::fprintf(to, "usage: corvan-tool COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const ToolCommand& c : kCommands)
        std::fprintf(to, "  %s %s\n      %s\n", c.name, c.usage, c.help);
    std::fprintf(to, "\n'corvan-tool COMMAND --help' shows one command.\n"
                     "Exit status: 0 done, 1 failed, 2 wrong arguments.\n");
}

const ToolCommand* FindCommand(const std::string& name)
{
    for (const ToolCommand& c : kCommands)
        if (name == c.name)
            return &c;
    return nullptr;
}

}  // namespace

int ToolUsage(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "corvan-tool: %s\n", message.c_str());
    if (const ToolCommand* c = FindCommand(command))
        std::fprintf(stderr, "usage: corvan-tool %s %s\n", c->name, c->usage);
    return kToolUsage;
}

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintHelp(stderr);
        return kToolUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(stdout);
        return kToolOk;
    }
    // The longest command whose words lead the arguments ("layout show" before "layout").
    const ToolCommand* best = nullptr;
    std::size_t bestWords = 0;
    for (const ToolCommand& c : kCommands) {
        const std::vector<std::string> words = Words(c.name);
        if (words.size() > bestWords && words.size() <= args.size() &&
            std::equal(words.begin(), words.end(), args.begin())) {
            best = &c;
            bestWords = words.size();
        }
    }
    if (!best) {
        std::fprintf(stderr, "corvan-tool: unknown command '%s'\n", args[0].c_str());
        for (const ToolCommand& c : kCommands)
            if (Words(c.name)[0] == args[0])
                std::fprintf(stderr, "  did you mean: corvan-tool %s %s\n", c.name, c.usage);
        std::fprintf(stderr, "'corvan-tool --help' lists the commands.\n");
        return kToolUsage;
    }
    const ToolArgs rest(args.begin() + static_cast<long>(bestWords), args.end());
    if (rest.size() == 1 && (rest[0] == "--help" || rest[0] == "-h")) {
        std::printf("usage: corvan-tool %s %s\n    %s\n", best->name, best->usage, best->help);
        return kToolOk;
    }
    return best->run(rest);
}
