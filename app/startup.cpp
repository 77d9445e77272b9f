// Start-up steps that need no display: the serial switch, the serial port, signals and the
// kernel release.

#include "app/startup.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/crash_handler.h"
#include "base/console.h"
#include "base/system_path.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/run_state.h"
#include "machine/serial.h"
#include "patterns/layout_recovery.h"

int threaded = 0;

int CheckSwitchingData(int argc, char** argv)
{
    const char* arg = argc > 1 && argv != nullptr ? argv[1] : nullptr;
    if (arg == nullptr || arg[0] == '1')
        spNumber = 1;
    else if (arg[0] == '2')
        spNumber = 2;
    else
        spNumber = 0;
    return spNumber;
}

int InitThreads()
{
    OpenPort();
    ClearPort();
    AllStop();
    fpTemp = nullptr;
    return 0;
}

void SegFaultCatch(int)
{
    // The heap or a lock may be broken here. The layout is saved first, with calls that are
    // safe in a signal handler; the message window, which is not, comes when nothing is left
    // to lose. The watchdog restarts the program should either of them hang, and _exit skips
    // the exit handlers that might.
    ArmCrashWatchdog(kCrashWatchdogSeconds);
    WriteConsole("Segmentation Fault\n");
    SaveOrDropRecoveryLayout();
    UiShowMessage(MSG_ERROR, BUTTONS_OK,
                  "THE SYSTEM HAS REACHED AN ERROR AND CANNOT CONTINUE.  RESTARTING.");
    _exit(0);
}

void noFunction(int)
{
    // write() rather than stdio: this runs inside a signal handler.
    static const char text[] = "no function\n";
    ssize_t ignored = write(STDOUT_FILENO, text, sizeof text - 1);
    (void)ignored;
}

void dummyFunction() {}

void SetSignals()
{
    InstallCrashHandler(SegFaultCatch);
    signal(SIGPWR, noFunction);
}

int GetKernel(std::string* version, std::string* board)
{
    std::ifstream in(SystemPath("/proc/version"));
    if (!in) {
        ConsolePrintf("version == NULL\n");
        return 1;
    }
    // Only the first line, and no more than 127 bytes of it.
    std::string line;
    char c;
    while (line.size() < 127 && in.get(c) && c != '\n')
        line += c;

    // The release is the word holding the first '.'. Taking the whole word (rather than
    // from one character before the dot) also keeps two-digit major versions intact.
    size_t dot = line.find('.');
    if (dot == std::string::npos) {
        if (version != nullptr)
            version->clear();
        return 0;
    }
    const char* space = " \t\r\n\v\f";
    size_t start = line.find_last_of(space, dot);
    start = start == std::string::npos ? 0 : start + 1;
    size_t end = line.find_first_of(space, dot);
    std::string word = line.substr(start, end == std::string::npos ? std::string::npos : end - start);

    size_t underscore = word.rfind('_');
    if (underscore != std::string::npos) {
        if (board != nullptr)
            *board = word.substr(underscore + 1);
        word.resize(underscore);
    }
    if (version != nullptr)
        *version = word;
    return 0;
}
