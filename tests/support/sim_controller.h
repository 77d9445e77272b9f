#pragma once
// mc1sim as the program's controller in a test: starts build/mc1sim on a pseudo-terminal of
// its own, points $CORVAN_SERIAL at it (so the next OpenPort() opens it) and talks to its
// control socket. The destructor closes the program's port, ends the simulator (quit, or a
// kill of that one process when it does not go) and restores $CORVAN_SERIAL.
//
//     SimController sim({"--time-scale", "10"});
//     ASSERT_TRUE(sim.ok()) << sim.problem();
//     OpenPort();
//     sim.Control("hand 500 700");            // "ok 500 700"
//     std::vector<std::string> j = sim.Journal();
//     double x = SimController::Number(sim.Control("state"), "x");
#include <sys/types.h>

#include <string>
#include <thread>
#include <vector>

class SimController {
public:
    explicit SimController(std::vector<std::string> options = {});
    ~SimController();
    SimController(const SimController&) = delete;
    SimController& operator=(const SimController&) = delete;

    // False when the simulator could not be started; problem() says why.
    bool ok() const { return ok_; }
    const std::string& problem() const { return problem_; }
    const std::string& ttyPath() const { return tty_; }

    // Sends one control command and returns its one-line answer ("" when none came in 5 s).
    std::string Control(const std::string& command);
    // The journal from entry `from` on, one string per command received.
    std::vector<std::string> Journal(int from = 0);
    // Journal entries added since the last call of NewJournal (or since start), once the
    // line has been quiet for a moment, so that commands without a reply are in.
    std::vector<std::string> NewJournal();

    // Polls the simulator's state until the word after "key": reads `word` (true), or
    // `timeout_ms` pass (false). Commands on the serial line and on the control socket are
    // read independently, so a test that needs the effect of a serial command first waits
    // for it here.
    bool WaitForState(const std::string& key, const std::string& word, int timeout_ms = 5000);

    // The number after "key": at its first occurrence in a JSON line (NaN when absent).
    static double Number(const std::string& json, const std::string& key);
    // The word after "key": (true/false, or a string without its quotes).
    static std::string Word(const std::string& json, const std::string& key);

private:
    std::string ReadLine(int timeout_ms);
    void Fail(const std::string& why);

    bool ok_ = false;
    std::string problem_;
    std::string folder_;
    std::string socketPath_;
    std::string tty_;
    pid_t pid_ = -1;
    int stdout_ = -1;
    int control_ = -1;
    std::string buffered_;
    std::thread drain_;
    int journalSeen_ = 0;
    std::string oldSerial_;
    bool hadSerial_ = false;
};
