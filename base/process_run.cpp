#include "base/process_run.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

extern char** environ;

ProcessHooks processHooks;

bool RunArgv(const std::vector<std::string>& argv, int* status)
{
    *status = -1;
    if (argv.empty() || argv[0].empty())
        return false;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    // Output already buffered would otherwise appear after the child's.
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return false;
    int raw = 0;
    pid_t done;
    do {
        done = waitpid(pid, &raw, 0);
    } while (done < 0 && errno == EINTR);
    if (done != pid)
        return false;
    if (WIFEXITED(raw)) {
        // Where the C library cannot report a failed exec, the child ends with 127.
        *status = WEXITSTATUS(raw);
        return true;
    }
    *status = WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    return true;
}

bool RunShellLine(const std::string& line, int* status)
{
    return RunArgv({"sh", "-c", line}, status);
}

void ResetProcessHooks() { processHooks = ProcessHooks(); }

void ExitProgram(int status)
{
    if (processHooks.exitProgram) {
        processHooks.exitProgram(status);
        return;
    }
    std::fflush(stdout);
    std::exit(status);
}

int RebootSystem()
{
    if (processHooks.rebootSystem)
        return processHooks.rebootSystem();
    int status = -1;
    if (!RunArgv({"reboot"}, &status))
        return -1;
    return status;
}

void SyncFileSystems()
{
    if (processHooks.syncFileSystems) {
        processHooks.syncFileSystems();
        return;
    }
    sync();
}
