#pragma once
// Pieces of the SIGSEGV handler that keep it as safe as a handler that must still save the
// layout and show a window can be.

// Installs `handler` for SIGSEGV on a stack of its own, so that a crash from a stack
// overflow can still be handled, with the default action restored on entry, so that a
// second fault inside the handler ends the process instead of calling it again. Call it from
// the main thread: the handler always runs there (a SIGSEGV sent to the process and taken by
// another thread is passed on to the main thread).
void InstallCrashHandler(void (*handler)(int));

// After `seconds` the process exits with status 0, whatever the crash handler is doing: a
// handler stuck on a damaged layout or a window that never answers must not keep the
// machine down (the device's launcher starts the program again).
void ArmCrashWatchdog(unsigned seconds);
// How long the crash handler may take, its message window included.
constexpr unsigned kCrashWatchdogSeconds = 120;

// Writes `text` to standard output with write(2): usable inside a signal handler.
void WriteConsole(const char* text);
