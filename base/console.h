#pragma once
// The program's console: the lines a technician reads on the board's terminal while the
// program runs (what it is doing, what the controller answered). Every write is flushed at
// once, so that a hang or a crash shows where it happened and the lines keep in step with
// the machine.
//
// The console is standard output; corvan-tool points standard output at standard error while
// the logic runs, so that its own results stand alone.

#include <string>

// Writes the text as it is (the caller ends its lines with "\n").
void ConsoleWrite(const std::string& text);
// Writes the text and a newline.
void ConsoleLine(const std::string& text);
// Writes printf-style; the caller ends its lines with "\n".
void ConsolePrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
