#pragma once
// corvan-tool: a command line over the program's core for technicians and tests.
//
// Adding a subcommand: write tools/cmd_NAME.cpp with a function
//     int RunName(const ToolArgs& args);
// and add one line for it to tools/commands.def. The function gets the arguments after the
// subcommand's words, reports failures on standard error, and returns an exit status:
// kToolOk, kToolFailed (the work failed), or kToolUsage (wrong arguments; see ToolUsage).
#include <string>
#include <vector>

using ToolArgs = std::vector<std::string>;

constexpr int kToolOk = 0;
constexpr int kToolFailed = 1;
constexpr int kToolUsage = 2;

struct ToolCommand {
    const char* name;   // one or more words: "convert", "layout show"
    const char* usage;  // the arguments, as shown after the name
    const char* help;   // one line
    int (*run)(const ToolArgs& args);
};

// Prints "corvan-tool: MESSAGE" and the command's usage line to standard error and returns
// kToolUsage, for `return ToolUsage("convert", "needs two file names");`.
int ToolUsage(const std::string& command, const std::string& message);

#define TOOL_COMMAND(name, usage, help, function) int function(const ToolArgs& args);
#include "tools/commands.def"
#undef TOOL_COMMAND
