#pragma once
// corvan-tool: a command line over the program's core for technicians and tests.
// Each subcommand is a function taking its own arguments (argv[0] is the subcommand's name)
// and returning the process's exit status.

struct ToolCommand {
    const char* name;
    const char* help;  // one line: arguments and what it does
    int (*run)(int argc, char** argv);
};

// Exit statuses shared by the subcommands for problems with the command line or its files
// (kept clear of the small result codes some subcommands pass on).
constexpr int kToolUsage = 64;
constexpr int kToolNoInput = 66;

int CmdCrc(int argc, char** argv);
int CmdFlash(int argc, char** argv);
