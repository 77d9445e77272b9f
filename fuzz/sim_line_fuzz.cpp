// Feeds arbitrary bytes to the simulator, from the serial line and from the control socket.
// Whatever arrives, it must keep its buffer within 99 places and give well-formed answers.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "simulator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    mc1sim::Simulator sim;
    const bool control = data[0] & 1;
    const size_t chunk = 1 + (data[0] >> 1) % 19;
    ++data;
    --size;
    if (control) {
        // Control lines: anything up to each newline (bounded commands, so a fuzzed "hand"
        // or "error" cannot make the run slow).
        std::string text(reinterpret_cast<const char*>(data), size);
        size_t start = 0;
        while (start <= text.size()) {
            size_t nl = text.find('\n', start);
            std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
            if (line.rfind("quit", 0) != 0) {
                std::string answer = sim.Control(line);
                if (answer.empty()) std::abort();
            }
            if (nl == std::string::npos) break;
            start = nl + 1;
        }
    } else {
        for (size_t at = 0; at < size; at += chunk) {
            sim.Receive(data + at, std::min(chunk, size - at));
            sim.Advance(int64_t(data[at]) * 1000);
            sim.TakeOutput();
        }
    }
    if (sim.carriage().Queued() > mc1sim::Carriage::kPlaces) std::abort();
    std::string state = sim.Control("state");
    if (state.empty() || state.front() != '{' || state.back() != '}') std::abort();
    sim.Control("stitched");
    sim.Control("image");
    sim.Control("journal");
    return 0;
}
