#pragma once
// Running other programs, and the three things the program does to the process or the
// system as a whole: exiting, rebooting the board, flushing the file systems.
//
// Programs are started from an argument vector, never through a shell: a file name that came
// from a USB stick reaches the program byte for byte and is never parsed as a command.
//
// Exiting, rebooting and syncing go through `processHooks`, so that tests can record them
// instead of ending the test process or touching the machine they run on. These are not
// things the user answers, which is why they are not part of the UI seam.

#include <functional>
#include <string>
#include <vector>

// Runs argv[0] (looked up in PATH when it holds no '/') with the arguments argv[1...], waits
// for it and returns true with `status` set to its exit status (128 + the signal number when
// a signal ended it). Returns false, with `status` set to -1, when the program could not be
// started at all (no such program, not executable, empty argv).
bool RunArgv(const std::vector<std::string>& argv, int* status);

// Runs one command line through "sh -c", the one place where the program hands text to a
// shell: only lines the program wrote itself, with every path single-quoted. Same results
// as RunArgv.
bool RunShellLine(const std::string& line, int* status);

struct ProcessHooks {
    // Ends the process with `status`. Default: exit(status).
    std::function<void(int status)> exitProgram;
    // Restarts the board. Default: runs "reboot"; returns its exit status, -1 when it could
    // not be started.
    std::function<int()> rebootSystem;
    // Flushes every file system to its device. Default: sync(2).
    std::function<void()> syncFileSystems;
};

// The hooks in force; unset members fall back to the defaults above.
extern ProcessHooks processHooks;
// Resets every hook to its default.
void ResetProcessHooks();

void ExitProgram(int status);
int RebootSystem();
void SyncFileSystems();
