// mc1sim: stands in for the motion controller MC1 on a pseudo-terminal. See sim/README.md.
#include <signal.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "line.h"
#include "simulator.h"

namespace {

const char* kUsage =
    "usage: mc1sim [options]\n"
    "  --link PATH             also make PATH a symbolic link to the pseudo-terminal\n"
    "  --control PATH          open the control socket at PATH (unix stream socket)\n"
    "  --journal FILE          write every command received to FILE as it happens\n"
    "  --baud N                pace every byte to the line's byte time at N baud (e.g. 57600)\n"
    "  --time-scale N          run motion and needle cycles N times faster than real time\n"
    "  --motor-version V       firmware version of the motion controller (default 1.30)\n"
    "  --stitcher-version V    firmware version of the stitch controller (default 1.30)\n"
    "  --stitcher R            answer to the stitch controller query: 1, 33 or none (default 1)\n"
    "  --machine K             serial (default), buttons or held: how stitching is switched\n"
    "  --needle-ms MS          length of one needle cycle (default 300)\n"
    "  --delay MS              hold every reply back MS milliseconds (a slow controller)\n"
    "The first line on standard output is the path of the pseudo-terminal.\n";

bool ParseNumber(const char* s, double lo, double hi, double* out) {
    errno = 0;
    char* end = nullptr;
    double v = std::strtod(s, &end);
    if (errno || end == s || *end || !std::isfinite(v) || v < lo || v > hi) return false;
    *out = v;
    return true;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "mc1sim: %s\n", message.c_str());
    return 2;
}

void OnSignal(int) { mc1sim::LineServer::RequestStop(); }

}  // namespace

int main(int argc, char** argv) {
    mc1sim::Config config;
    mc1sim::LineOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string opt = argv[i];
        if (opt == "--help" || opt == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (i + 1 >= argc) return Fail("option " + opt + " needs a value (see --help)");
        const char* value = argv[++i];
        double v;
        if (opt == "--link") {
            options.link = value;
        } else if (opt == "--control") {
            options.control = value;
        } else if (opt == "--journal") {
            options.journal = value;
        } else if (opt == "--baud") {
            if (!ParseNumber(value, 50, 4000000, &v) || v != std::floor(v)) return Fail("--baud needs a whole number of baud");
            options.baud = long(v);
        } else if (opt == "--time-scale") {
            if (!ParseNumber(value, 0.001, 100000, &v)) return Fail("--time-scale needs a number from 0.001 to 100000");
            options.timeScale = v;
        } else if (opt == "--motor-version" || opt == "--stitcher-version") {
            if (!ParseNumber(value, 0, 100, &v)) return Fail(opt + " needs a version number such as 1.30");
            (opt == "--motor-version" ? config.motorVersion : config.stitcherVersion) = float(v);
        } else if (opt == "--stitcher") {
            if (std::strcmp(value, "none") == 0)
                config.stitcherReply = -1;
            else if (ParseNumber(value, 0, 255, &v) && v == std::floor(v))
                config.stitcherReply = int(v);
            else
                return Fail("--stitcher needs 1, 33 (or another byte) or none");
        } else if (opt == "--machine") {
            if (!mc1sim::ParseMachineKind(value, &config.machine)) return Fail("--machine needs serial, buttons or held");
        } else if (opt == "--delay") {
            if (!ParseNumber(value, 0, 600000, &v)) return Fail("--delay needs 0 to 600000 milliseconds");
            config.replyDelayMicros = int64_t(v * 1000);
        } else if (opt == "--needle-ms") {
            if (!ParseNumber(value, 1, 60000, &v)) return Fail("--needle-ms needs 1 to 60000");
            config.needleCycleMicros = int64_t(v * 1000);
        } else {
            return Fail("unknown option " + opt + " (see --help)");
        }
    }

    mc1sim::Simulator sim(config);
    mc1sim::LineServer server(sim, options);
    std::string error;
    if (!server.Open(&error)) return Fail(error);
    std::printf("%s\n", server.SlavePath().c_str());
    std::fflush(stdout);

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    server.Run();
    return 0;
}
