// How fast moves stream into mc1sim: in-process (the simulator's own cost), and through the
// executable's pseudo-terminal, unpaced and paced to the machine's 57600 baud, where a move
// packet and its reply take 18 byte times (about 3.1 ms).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "simulator.h"
#include "wire.h"

extern char** environ;

namespace {

mc1sim::Bytes Packet(int32_t x, int32_t y, int32_t f) {
    mc1sim::Bytes b{33};
    mc1sim::AppendInt32(b, x);
    mc1sim::AppendInt32(b, y);
    mc1sim::AppendInt32(b, f);
    mc1sim::AppendInt32(b, int32_t(uint32_t(x) + uint32_t(y) + uint32_t(f)));
    return b;
}

void BM_SimulatorStreamsAndDrainsMoves(benchmark::State& state) {
    mc1sim::Simulator sim;
    int32_t x = 0;
    for (auto _ : state) {
        x += 1000;
        sim.Receive(Packet(x, x / 2, 100000));
        sim.Receive(mc1sim::Bytes{34});
        sim.Advance(2000);
        benchmark::DoNotOptimize(sim.TakeOutput());
        if (sim.Journal().size() > 100000) sim.Control("reset");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SimulatorStreamsAndDrainsMoves);

// One move packet and its reply through the pseudo-terminal of a running mc1sim.
void BM_PtyMoveRoundTrip(benchmark::State& state) {
    std::vector<std::string> args{MC1SIM_EXECUTABLE, "--time-scale", "1000"};
    if (state.range(0) > 0) {
        args.push_back("--baud");
        args.push_back(std::to_string(state.range(0)));
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return state.SkipWithError("pipe");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    pid_t pid;
    if (posix_spawn(&pid, MC1SIM_EXECUTABLE, &fa, nullptr, argv.data(), environ) != 0)
        return state.SkipWithError("cannot start mc1sim");
    close(out[1]);
    std::string path;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') path += c;
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);

    int32_t x = 0;
    for (auto _ : state) {
        x += 10;
        mc1sim::Bytes p = Packet(x, 0, 100000);
        if (write(fd, p.data(), p.size()) != ssize_t(p.size())) break;
        uint8_t reply = 0;
        pollfd pf{fd, POLLIN, 0};
        if (poll(&pf, 1, 2000) != 1 || read(fd, &reply, 1) != 1 || (reply != 11 && reply != 12)) {
            state.SkipWithError("no reply");
            break;
        }
        if (reply == 12) {  // buffer full: let the carriage drain it
            write(fd, "\x13\x2d\x19", 3);
        }
    }
    state.SetItemsProcessed(state.iterations());
    close(fd);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(out[0]);
    posix_spawn_file_actions_destroy(&fa);
}
BENCHMARK(BM_PtyMoveRoundTrip)->Arg(0)->Arg(57600)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
