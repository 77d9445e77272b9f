// A whole stitching run against mc1sim paced to the machine's 57600 baud, in real time, at
// full speed (SetSpeed 100 = 10 inches per second): does the program keep the controller's
// move buffer from running empty while it streams, and what does a point cost the host?
//
// Counters:
//   points            path points streamed
//   empty_polls       buffer queries answered 99 (empty) or 253 (finished) between the
//                     start of streaming and the moment the last point was queued: each one
//                     means the carriage had nothing more to do (it should be 0)
//   cpu_us_per_point  host CPU time (user + system) of the whole run, per path point
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/interface.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "machine/run_state.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"
#include "machine/stitch_path.h"
#include "machine/stitching_run.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

extern char** environ;

namespace {

constexpr int kFullSpeed = 100;
constexpr int kLeadLineSpeed = 60;

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A gentle wave 40 inches long, a point every 0.1 inch: curves wide enough for full feed.
void BuildLayout()
{
    ResetLayout();
    CreatePatternBox();
    PatternBox* box = GetPatternBox(0);
    AddPatternBoxPoint(box, 0.2f, 0.2f, 1, 0);
    AddPatternBoxPoint(box, 0.2f, 10, 0, 0);
    AddPatternBoxPoint(box, 50, 10, 0, 0);
    AddPatternBoxPoint(box, 50, 0.2f, 0, 0);
    SetPatternBoxOrigin(box);
    currentBox = 0;
    Pattern* p = newPattern();
    for (int i = 0; i <= 400; ++i) {
        const float x = 0.1f * static_cast<float>(i);
        p->pointX.push_back(x);
        p->pointY.push_back(1.0f + std::sin(x / 2.0f));
    }
    p->pointCount = static_cast<int>(p->pointX.size());
    UpdatePatternSize(p);
    const int slot = GetNextPattern();
    StorePattern(slot, p);
    NewPatternLayoutNode(slot, -1, 0, 0.1f, 0.1f);
}

struct Sim {
    pid_t pid = -1;
    int out = -1;
    std::string tty;
};

Sim StartSim(const std::string& journal)
{
    Sim s;
    std::vector<std::string> args{MC1SIM_EXECUTABLE, "--baud", "57600", "--journal", journal};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) return s;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
    if (posix_spawn(&s.pid, MC1SIM_EXECUTABLE, &fa, nullptr, argv.data(), environ) != 0)
        s.pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    s.out = fds[0];
    char c;
    while (read(s.out, &c, 1) == 1 && c != '\n') s.tty += c;
    return s;
}

void StopSim(Sim& s)
{
    if (s.pid > 0) {
        kill(s.pid, SIGTERM);
        waitpid(s.pid, nullptr, 0);
    }
    if (s.out >= 0) close(s.out);
}

// Empty-buffer answers from the first StitchOn (streaming starts) until the last point is
// queued (its packet coordinates lastX, lastY); the journal's lines are "seconds command".
long CountEmptyPolls(const std::string& journal, long lastX, long lastY)
{
    std::ifstream in(journal);
    std::string line;
    bool streaming = false;
    long empty = 0;
    const std::string lastMove = "Move " + std::to_string(lastX) + " " + std::to_string(lastY) + " ";
    while (std::getline(in, line)) {
        const size_t space = line.find(' ');
        const std::string entry = space == std::string::npos ? line : line.substr(space + 1);
        if (!streaming) {
            streaming = entry == "StitchOn";
            continue;
        }
        if (entry.rfind(lastMove, 0) == 0)
            break;
        if (entry == "CheckBuffer -> 99" || entry == "CheckBuffer -> 253")
            ++empty;
    }
    return empty;
}

void BM_StitchingRunAt57600Baud(benchmark::State& state)
{
    char folder[] = "/tmp/corvan-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return state.SkipWithError("no temporary folder");
    const std::string journal = std::string(folder) + "/journal";
    for (auto _ : state) {
        Sim sim = StartSim(journal);
        if (sim.pid < 0 || sim.tty.empty()) return state.SkipWithError("cannot start mc1sim");
        setenv("CORVAN_SERIAL", sim.tty.c_str(), 1);
        if (OpenPort() < 0) return state.SkipWithError("cannot open the simulator's line");

        ResetUiHooks();  // every question answered OK
        BuildLayout();
        stitchRep = 4;
        maxSpeed = kFullSpeed;
        leadLineSpeed = kLeadLineSpeed;
        minimumSpeed = 2;
        minSpeed = minimumSpeed * 10.0f / 6.0f;
        acceleration = curvature = 40.0f;
        jumpStitch = 0.0f;
        needleUpMethod = MACHINE_TYPE_SERIAL;
        runWidgets = RunWidgets();
        runWidgets.stitchingToggle = true;

        long points = 0, lastX = 0, lastY = 0;
        uiHooks.statusClose = [&](void*) {
            points = CountFullPattern(interface_.stitchList);
            const FullPattern_t* p = interface_.stitchList;
            while (p != nullptr && p->next != nullptr) p = p->next;
            if (p != nullptr) {
                // As the move packet carries them: hundred-thousandths of an inch.
                lastX = static_cast<long>(static_cast<double>(p->x) * 100);
                lastY = static_cast<long>(static_cast<double>(p->y) * 100);
            }
        };
        // The run's console lines go nowhere; the report comes afterwards.
        std::fflush(stdout);
        const int console = dup(1);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        const double cpuBefore = CpuSeconds();
        startButtonReleased();
        const double cpu = CpuSeconds() - cpuBefore;
        std::fflush(stdout);
        dup2(console, 1);
        close(console);
        close(devNull);
        ClosePort();
        StopSim(sim);
        if (runCompleted != 1) return state.SkipWithError("the run did not complete");

        state.counters["points"] = static_cast<double>(points);
        state.counters["empty_polls"] = static_cast<double>(CountEmptyPolls(journal, lastX, lastY));
        state.counters["cpu_us_per_point"] = points > 0 ? cpu * 1e6 / static_cast<double>(points) : 0;
    }
    ResetLayout();
    if (std::getenv("CORVAN_BENCH_KEEP") != nullptr) {
        std::fprintf(stderr, "journal kept in %s\n", journal.c_str());
        return;
    }
    std::remove(journal.c_str());
    rmdir(folder);
}
BENCHMARK(BM_StitchingRunAt57600Baud)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
