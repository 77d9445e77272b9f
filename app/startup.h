#pragma once
#include <string>

// Runs the start-up sequence and then the GTK main loop; returns 1 when the loop ends.
int initializeUserInterface(int argc, char** argv);

// The pieces of start-up that need no display.

// Sets spNumber from the first command-line argument: none or one starting with '1' -> 1,
// '2' -> 2, anything else -> 0. Returns the new value.
int CheckSwitchingData(int argc, char** argv);

// Opens the serial port, empties its input, stops all motion and clears the stitch cursor.
// Always returns 0 (no thread is started).
int InitThreads();
extern int threaded;

// Installs the SIGSEGV and SIGPWR handlers.
void SetSignals();
void SegFaultCatch(int signal);
void noFunction(int signal);
void dummyFunction();

// Reads the kernel release from /proc/version (through SystemPath). On the device it has the
// form "<version>_<board>": the part before the last '_' goes to `version` and, when `board`
// is given, the rest to `board`. Returns 0, or 1 (after printing "version == NULL") when the
// file cannot be opened.
int GetKernel(std::string* version, std::string* board);
