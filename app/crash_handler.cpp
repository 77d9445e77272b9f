#include "app/crash_handler.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

namespace {

// Big enough for the message window the handler shows: GTK draws it on this stack.
alignas(16) char crashStack[2 * 1024 * 1024];

void (*crashHandler)(int) = nullptr;
bool ownStack = false;

void WatchdogExpired(int)
{
    _exit(0);
}

void CrashEntry(int signal);

void SetAction()
{
    struct sigaction action = {};
    action.sa_handler = CrashEntry;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | (ownStack ? SA_ONSTACK : 0);
    sigaction(SIGSEGV, &action, nullptr);
}

void CrashEntry(int signal)
{
    // The main thread's id is the process id, also in a child made by fork.
    long mainThread = getpid();
    if (syscall(SYS_gettid) != mainThread) {
        // The layout and the windows belong to the main thread (a library's helper thread
        // may have been picked for a signal sent to the process): hand the crash over and
        // wait for the main thread to end the process.
        SetAction();
        syscall(SYS_tgkill, mainThread, mainThread, SIGSEGV);
        for (;;)
            pause();
    }
    crashHandler(signal);
}

}  // namespace

void InstallCrashHandler(void (*handler)(int))
{
    crashHandler = handler;
    stack_t stack = {};
    stack.ss_sp = crashStack;
    stack.ss_size = sizeof crashStack;
    ownStack = sigaltstack(&stack, nullptr) == 0;
    SetAction();
}

void ArmCrashWatchdog(unsigned seconds)
{
    struct sigaction action = {};
    action.sa_handler = WatchdogExpired;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    sigset_t alarmOnly;
    sigemptyset(&alarmOnly);
    sigaddset(&alarmOnly, SIGALRM);
    sigprocmask(SIG_UNBLOCK, &alarmOnly, nullptr);
    alarm(seconds);
}

void WriteConsole(const char* text)
{
    size_t left = std::strlen(text);
    while (left > 0) {
        ssize_t n = write(STDOUT_FILENO, text, left);
        if (n <= 0)
            return;
        text += n;
        left -= static_cast<size_t>(n);
    }
}
