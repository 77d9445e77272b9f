#include "support/sim_controller.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "machine/serial.h"

extern char** environ;

namespace {

const char* const kSimulator = CORVAN_BINARY_DIR "/mc1sim";

long Now_ms()
{
    using namespace std::chrono;
    return static_cast<long>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool Readable(int fd, int timeout_ms)
{
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeout_ms) == 1;
}

}  // namespace

SimController::SimController(std::vector<std::string> options)
{
    if (const char* s = std::getenv("CORVAN_SERIAL")) {
        hadSerial_ = true;
        oldSerial_ = s;
    }
    char folder[] = "/tmp/corvan-sim-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        { Fail("no temporary folder"); return; }
    folder_ = folder;
    socketPath_ = folder_ + "/control";
    if (access(kSimulator, X_OK) != 0)
        { Fail(std::string("simulator not built: ") + kSimulator); return; }

    int fds[2];
    if (pipe(fds) != 0)
        { Fail("no pipe"); return; }
    std::vector<std::string> args = {kSimulator, "--control", socketPath_};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    int spawned = posix_spawn(&pid_, kSimulator, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    stdout_ = fds[0];
    if (spawned != 0) {
        pid_ = -1;
        { Fail("could not start the simulator"); return; }
    }

    // Its first line names the pseudo-terminal. A busy machine may take a while to start it:
    // a moment without output is no reason to give up before the deadline.
    const long deadline = Now_ms() + 5000;
    char c = 0;
    while (Now_ms() < deadline && c != '\n') {
        if (!Readable(stdout_, 100))
            continue;
        if (read(stdout_, &c, 1) != 1)
            break;
        if (c != '\n')
            tty_ += c;
    }
    if (c != '\n' || tty_.empty())
        { Fail("the simulator did not name its pseudo-terminal"); return; }
    // Whatever else it prints is read and dropped, so it can never block on a full pipe.
    drain_ = std::thread([fd = stdout_] {
        char buf[256];
        while (read(fd, buf, sizeof buf) > 0) {
        }
    });

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath_.c_str());
    while (control_ < 0 && Now_ms() < deadline) {
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            control_ = fd;
        } else {
            close(fd);
            usleep(10000);
        }
    }
    if (control_ < 0)
        { Fail("no control socket at " + socketPath_); return; }
    setenv("CORVAN_SERIAL", tty_.c_str(), 1);
    ok_ = true;
}

SimController::~SimController()
{
    ClosePort();
    if (control_ >= 0) {
        Control("quit");
        close(control_);
    }
    if (pid_ > 0) {
        int status = 0;
        const long deadline = Now_ms() + 3000;
        while (waitpid(pid_, &status, WNOHANG) == 0 && Now_ms() < deadline)
            usleep(10000);
        if (kill(pid_, 0) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
    }
    if (drain_.joinable())
        drain_.join();
    if (stdout_ >= 0)
        close(stdout_);
    if (!folder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    if (hadSerial_)
        setenv("CORVAN_SERIAL", oldSerial_.c_str(), 1);
    else
        unsetenv("CORVAN_SERIAL");
}

void SimController::Fail(const std::string& why)
{
    ok_ = false;
    problem_ = why;
}

std::string SimController::ReadLine(int timeout_ms)
{
    const long deadline = Now_ms() + timeout_ms;
    for (;;) {
        size_t nl = buffered_.find('\n');
        if (nl != std::string::npos) {
            std::string line = buffered_.substr(0, nl);
            buffered_.erase(0, nl + 1);
            return line;
        }
        long left = deadline - Now_ms();
        if (left <= 0 || !Readable(control_, static_cast<int>(left)))
            return "";
        char buf[4096];
        ssize_t n = read(control_, buf, sizeof buf);
        if (n <= 0)
            return "";
        buffered_.append(buf, static_cast<size_t>(n));
    }
}

std::string SimController::Control(const std::string& command)
{
    if (control_ < 0)
        return "";
    std::string line = command + "\n";
    if (write(control_, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        return "";
    return ReadLine(5000);
}

std::vector<std::string> SimController::Journal(int from)
{
    std::vector<std::string> entries;
    std::string first = Control("journal " + std::to_string(from));
    for (std::string line = first; !line.empty() && line != "end"; line = ReadLine(5000))
        entries.push_back(line);
    return entries;
}

bool SimController::WaitForState(const std::string& key, const std::string& word, int timeout_ms)
{
    const long deadline = Now_ms() + timeout_ms;
    for (;;) {
        if (Word(Control("state"), key) == word)
            return true;
        if (Now_ms() > deadline)
            return false;
        usleep(5000);
    }
}

std::vector<std::string> SimController::NewJournal()
{
    // Commands without a reply may still be on their way: wait until the journal has not
    // grown for 200 ms (at most three seconds). A busy machine can hold the simulator back
    // for tens of milliseconds, so a single short look is not enough.
    std::vector<std::string> entries = Journal(journalSeen_);
    const long deadline = Now_ms() + 3000;
    int quietPolls = 0;
    while (quietPolls < 5 && Now_ms() <= deadline) {
        usleep(40000);
        std::vector<std::string> again = Journal(journalSeen_);
        quietPolls = again.size() == entries.size() ? quietPolls + 1 : 0;
        entries = again;
    }
    journalSeen_ += static_cast<int>(entries.size());
    return entries;
}

double SimController::Number(const std::string& json, const std::string& key)
{
    size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos)
        return std::nan("");
    return std::strtod(json.c_str() + at + key.size() + 3, nullptr);
}

std::string SimController::Word(const std::string& json, const std::string& key)
{
    size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos)
        return "";
    size_t start = at + key.size() + 3;
    if (start < json.size() && json[start] == '"')
        ++start;
    size_t end = json.find_first_of("\",}", start);
    return json.substr(start, end - start);
}
