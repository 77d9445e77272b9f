// The mc1sim executable over a real pseudo-terminal and its control socket.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "sim_bytes.h"

extern char** environ;

using namespace simtest;

namespace {

// A folder of its own for the link, the socket and the journal.
struct Scratch {
    std::string dir;
    Scratch() {
        char tmpl[] = "/tmp/mc1sim-test-XXXXXX";
        dir = mkdtemp(tmpl);
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    std::string operator/(const std::string& n) const { return dir + "/" + n; }
};

// mc1sim started with the given options; stopped with quit or, failing that, a signal.
struct SimProcess {
    pid_t pid = -1;
    int out = -1;  // its standard output
    std::string firstLine;

    explicit SimProcess(std::vector<std::string> args) {
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
        posix_spawn_file_actions_addclose(&fa, fds[0]);
        args.insert(args.begin(), MC1SIM_EXECUTABLE);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid, MC1SIM_EXECUTABLE, &fa, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(fds[1]);
        out = fds[0];
        char c;
        while (ReadWithin(out, &c, 5000) && c != '\n') firstLine += c;
    }

    static bool ReadWithin(int fd, char* c, int ms) {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, ms) == 1 && read(fd, c, 1) == 1;
    }

    // Exit status, or -1 when it had to be killed.
    int Wait(int ms = 5000) {
        for (int t = 0; t < ms; t += 10) {
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    ~SimProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) close(out);
    }
};

int OpenRaw(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return fd;
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    return fd;
}

Bytes Exchange(int fd, const Bytes& send, size_t want, int ms = 2000) {
    EXPECT_EQ(write(fd, send.data(), send.size()), ssize_t(send.size()));
    Bytes got;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (got.size() < want && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) == 1) {
            uint8_t buf[256];
            ssize_t n = read(fd, buf, sizeof buf);
            if (n > 0) got.insert(got.end(), buf, buf + n);
        }
    }
    return got;
}

// A control-socket client: one command per line, one answer per line.
struct Control {
    int fd = -1;
    std::string buffered;
    explicit Control(const std::string& path) {
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
        fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            close(fd);
            fd = -1;
        }
    }
    ~Control() {
        if (fd >= 0) close(fd);
    }
    std::string Line() {
        for (;;) {
            size_t nl = buffered.find('\n');
            if (nl != std::string::npos) {
                std::string l = buffered.substr(0, nl);
                buffered.erase(0, nl + 1);
                return l;
            }
            pollfd p{fd, POLLIN, 0};
            char buf[4096];
            if (poll(&p, 1, 3000) != 1) return "(no answer)";
            ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0) return "(closed)";
            buffered.append(buf, size_t(n));
        }
    }
    std::string Ask(const std::string& cmd) {
        std::string s = cmd + "\n";
        if (write(fd, s.data(), s.size()) != ssize_t(s.size())) return "(write failed)";
        return Line();
    }
};

}  // namespace

TEST(SimExecutable, LineControlSocketAndJournalWorkTogether) {
    Scratch dir;
    SimProcess sim({"--link", dir / "tty", "--control", dir / "ctl", "--journal", dir / "journal", "--time-scale",
                    "20"});
    ASSERT_EQ(sim.firstLine.rfind("/dev/pts/", 0), 0u) << sim.firstLine;
    char target[256] = {};
    ASSERT_GT(readlink((dir / "tty").c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(sim.firstLine, target);

    int fd = OpenRaw(dir / "tty");
    ASSERT_GE(fd, 0);
    Bytes constants = Exchange(fd, {11, 12, 36, 37, 38, 39, 40, 41}, 32);
    ASSERT_EQ(constants.size(), 32u);
    EXPECT_EQ(Get32(constants, 0), 30);
    EXPECT_EQ(Exchange(fd, MovePacket(1000.0, 2500.5, 100.0), 1), Bytes{11});

    Control ctl(dir / "ctl");
    ASSERT_GE(ctl.fd, 0);
    // 2.7 inches at 4 in/s take 0.67 s of machine time, 34 ms at twenty times real speed.
    std::string state;
    for (int i = 0; i < 200; ++i) {
        state = ctl.Ask("state");
        if (state.find("\"status\":253") != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(state.find("\"x\":1000,\"y\":2500.5"), std::string::npos) << state;
    Bytes xy = Exchange(fd, {15}, 8);
    ASSERT_EQ(xy.size(), 8u);
    EXPECT_EQ(Get32(xy, 0), 1000);

    EXPECT_EQ(ctl.Ask("drop 1"), "ok");
    EXPECT_TRUE(Exchange(fd, {'8'}, 1, 200).empty());
    EXPECT_EQ(Exchange(fd, {'8'}, 1), Bytes{100});

    EXPECT_EQ(ctl.Ask("journal 8"), "Move 100000 250050 100000 450050 -> 11");
    EXPECT_EQ(ctl.Line(), "GetXY -> 1000 2501");
    EXPECT_EQ(ctl.Line(), "GetMotorDirection -> 100 (reply dropped)");
    EXPECT_EQ(ctl.Line(), "GetMotorDirection -> 100");
    EXPECT_EQ(ctl.Line(), "end");
    EXPECT_EQ(ctl.Ask("nonsense"), "error: unknown command 'nonsense' (try help)");

    EXPECT_EQ(ctl.Ask("quit"), "ok");
    EXPECT_EQ(sim.Wait(), 0);
    close(fd);
    std::ifstream journal(dir / "journal");
    std::stringstream text;
    text << journal.rdbuf();
    EXPECT_NE(text.str().find(" Move 100000 250050 100000 450050 -> 11\n"), std::string::npos) << text.str();
    struct stat st;
    EXPECT_NE(lstat((dir / "tty").c_str(), &st), 0) << "the link goes with the simulator";
    EXPECT_NE(lstat((dir / "ctl").c_str(), &st), 0) << "so does the socket";
}

TEST(SimExecutable, RefusesBadOptionsWithAMessage) {
    Scratch dir;
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"--baud", "fast"}, {"--time-scale", "0"}, {"--machine", "lathe"}, {"--link"}, {"--bogus", "1"}}) {
        SimProcess sim(args);
        EXPECT_EQ(sim.firstLine, "") << args[0];
        EXPECT_EQ(sim.Wait(), 2) << args[0];
    }
    // An existing file is not replaced by the link.
    std::ofstream(dir / "precious") << "keep";
    SimProcess sim({"--link", dir / "precious"});
    EXPECT_EQ(sim.Wait(), 2);
    std::ifstream in(dir / "precious");
    std::string kept;
    in >> kept;
    EXPECT_EQ(kept, "keep");
}

TEST(SimExecutable, PacedLineKeepsEveryByteAndAClosedLineHangsUp) {
    Scratch dir;
    SimProcess sim({"--link", dir / "tty", "--control", dir / "ctl", "--baud", "57600"});
    int fd = OpenRaw(dir / "tty");
    ASSERT_GE(fd, 0);
    // Several commands in one write, paced byte by byte: every answer arrives, in order.
    Bytes send{11, 12, 36, 37, 38, 39, 40, 41, 14, '8'};
    Bytes packet = MovePacket(10, 10, 100);
    send.insert(send.end(), packet.begin(), packet.end());
    Bytes got = Exchange(fd, send, 32 + 4 + 1 + 1);
    ASSERT_EQ(got.size(), 38u);
    EXPECT_EQ(Get32(got, 28), 40) << "XKd last";
    EXPECT_EQ(Bytes(got.begin() + 32, got.end()), (Bytes{5, 40, 2, 4, 100, 11}));

    Control ctl(dir / "ctl");
    EXPECT_EQ(ctl.Ask("close"), "ok");
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 3000), 1);
    EXPECT_TRUE(p.revents & POLLHUP) << "the program's side sees the line go";
    EXPECT_NE(ctl.Ask("state").find("\"line\":\"closed\""), std::string::npos) << "the control socket stays";
    close(fd);
    EXPECT_EQ(ctl.Ask("quit"), "ok");
    EXPECT_EQ(sim.Wait(), 0);
}
