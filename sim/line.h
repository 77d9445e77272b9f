#pragma once
// The mc1sim executable's side of the world: a pseudo-terminal that plays the serial line,
// the control socket, the journal file, and the loop that feeds the simulator and moves its
// clock with the wall clock (scaled by --time-scale).
//
// With a baud rate set, every byte read from or written to the line is held back to the
// line's byte time (ten bit times: start, eight data bits, stop), so streaming can be
// measured as on the machine; without it the line is instantaneous.
#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "simulator.h"

namespace mc1sim {

struct LineOptions {
    std::string link;     // symbolic link to the slave, made when not empty
    std::string control;  // path of the control socket, opened when not empty
    std::string journal;  // journal file, written when not empty
    long baud = 0;        // 0: no pacing
    double timeScale = 1.0;
};

class LineServer {
public:
    LineServer(Simulator& sim, LineOptions options);
    ~LineServer();
    LineServer(const LineServer&) = delete;
    LineServer& operator=(const LineServer&) = delete;

    // Opens the pseudo-terminal, the link, the control socket and the journal.
    bool Open(std::string* error);
    const std::string& SlavePath() const { return slavePath_; }
    // Runs until a control client sends quit or RequestStop is called (signal-safe).
    void Run();
    static void RequestStop();

private:
    using Clock = std::chrono::steady_clock;
    struct Timed {
        Clock::time_point at;
        uint8_t byte;
    };
    struct Client {
        int fd;
        std::string in;
    };

    void ReadLine(Clock::time_point now);
    void FeedSimulator(Clock::time_point now);
    void WriteLine(Clock::time_point now);
    void AcceptClients();
    bool ServeClient(Client& c);  // false: the client is gone
    void CloseLine();
    // The pseudo-terminal (and the link to it, when one is made); false with `error` set.
    bool OpenPty(std::string* error);
    bool OpenRest(std::string* error);
    Clock::duration PollTimeout(Clock::time_point now) const;

    Simulator& sim_;
    LineOptions options_;
    int master_ = -1;
    int slave_ = -1;  // kept open so the line survives the program closing and reopening it
    int listen_ = -1;
    std::vector<Client> clients_;
    std::string slavePath_;
    FILE* journal_ = nullptr;
    std::deque<Timed> inQueue_, outQueue_;
    Clock::time_point inFree_{}, outFree_{};
    Clock::duration byteTime_{};
    double simCarryMicros_ = 0;
};

}  // namespace mc1sim
