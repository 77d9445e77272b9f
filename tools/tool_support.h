#pragma once
// Small helpers shared by corvan-tool's subcommands: strict number parsing, quiet loading
// (the core prints progress on standard output, which the commands keep for their results),
// and an answering user interface that reports every message on standard error.
#include <string>

// The whole text as a finite number; false for anything else ("", "1x", "nan", "1e999").
bool ParseToolNumber(const std::string& text, double* value);
// The whole text as a decimal integer within [low, high].
bool ParseToolInt(const std::string& text, long low, long high, long* value);

// While alive, the program's standard output goes to standard error.
class ConsoleToStderr {
public:
    ConsoleToStderr();
    ~ConsoleToStderr();
    ConsoleToStderr(const ConsoleToStderr&) = delete;
    ConsoleToStderr& operator=(const ConsoleToStderr&) = delete;

private:
    int savedStdout_ = -1;
};

// Reads a layout file silently (ReadLayoutFile); why it failed goes to standard error. 1 on
// success (defined in tool_layout.cpp).
int LoadLayoutForTool(const std::string& path);

// Writes the current layout to `out` through a "<out>.part" file renamed into place, the
// core's console lines on standard error; 1 on success (defined in tool_layout.cpp).
int SaveLayoutForTool(const std::string& out);
