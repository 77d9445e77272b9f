#pragma once
// mc1sim: the motion controller MC1 with the machine's stitch controller and the boot
// loaders behind it, as seen from the serial line.
//
// The simulator is a pure state machine over bytes and simulated time, so it can be driven
// from raw bytes in-process (Receive, TakeOutput, Advance) as well as from a real
// pseudo-terminal by the mc1sim executable (line.h). Nothing here reads a clock: time moves
// only when the owner calls Advance, which keeps tests deterministic and fast.
//
// Control commands (Control(), one per line, answered with one line) are documented in
// sim/README.md.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "boot_loader.h"
#include "carriage.h"
#include "wire.h"

namespace mc1sim {

// How the machine's stitching is switched.
enum class MachineKind {
    Serial,   // a stitch controller on the line: 29/30 switch stitching, 49 makes a needle cycle
    Buttons,  // the machine's own buttons pressed by MC1: a press of 'H' toggles stitching,
              // a press of 'I' makes a needle cycle
    Held,     // like Buttons, but the machine stitches while 'H' is held down
};

// Settings given on the command line; Control("reset") returns to them.
struct Config {
    float motorVersion = 1.30f;
    float stitcherVersion = 1.30f;
    int stitcherReply = 1;  // answer to '>': 1 robot mode, 33 handle bars not in robot mode, -1 silent
    MachineKind machine = MachineKind::Serial;
    int64_t needleCycleMicros = 300000;  // one needle cycle, down and up again
    int64_t replyDelayMicros = 0;        // every reply is held back this long (a slow controller)
};

struct PathPoint {
    double x, y;  // thousandths of an inch, machine coordinates
};
using Polyline = std::vector<PathPoint>;

class Simulator {
public:
    explicit Simulator(Config config = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Bytes arriving from the program.
    void Receive(const uint8_t* data, size_t n);
    void Receive(const Bytes& b) { Receive(b.data(), b.size()); }
    // Bytes for the program whose time has come, in order.
    Bytes TakeOutput();
    // Moves simulated time on: motion, needle cycles, delayed replies.
    void Advance(int64_t micros);
    int64_t NowMicros() const { return now_; }

    // One control command (without newline) -> its answer (without newline; the journal
    // answer holds several lines).
    std::string Control(const std::string& line);
    bool QuitRequested() const { return quit_; }
    bool LineClosed() const { return lineClosed_; }
    // The line is hung up (the pseudo-terminal goes away) until `reconnect`.
    bool LineHungUp() const { return lineHungUp_; }

    // Called with every journal line as it is made (the executable's --journal file).
    std::function<void(int64_t micros, const std::string& line)> onJournal;

    // Inspection, for tests and the control socket.
    // The journal lines kept in memory: the newest kJournalKept at most (the --journal file
    // keeps them all). Entry numbers count from the start, so JournalFirst() is the number
    // of the first line held.
    static constexpr size_t kJournalKept = 200000;
    const std::deque<std::string>& Journal() const { return journal_; }
    uint64_t JournalFirst() const { return journalFirst_; }
    const Carriage& carriage() const { return carriage_; }
    int StatusByte() const;
    bool Stitching() const { return stitching_; }
    bool NeedleCycling() const { return now_ < needleEnd_; }
    bool HasPendingOutput() const { return !out_.empty(); }
    bool InLoader() const { return loader_ != nullptr; }
    const MemoryImage& MotorImage() const { return motorLoader_.Image(); }
    const MemoryImage& StitcherImage() const { return stitcherLoader_.Image(); }
    const std::vector<Polyline>& StitchedRuns() const { return stitched_; }
    const std::vector<Polyline>& TravelRuns() const { return travel_; }
    const std::vector<PathPoint>& NeedleCycles() const { return needles_; }
    std::string StateJson() const;
    std::string StitchedJson() const;

private:
    struct Pending {
        int64_t due;
        Bytes bytes;
    };

    void ResetAll();
    void ResetRun();  // the firmware starts: motion and stitching state, not the journal
    void Note(const std::string& line);
    bool ResetSequence(uint8_t b);
    void ByteInRun(uint8_t b);
    void ByteInLoader(uint8_t b);
    void EnterLoader();
    void ExecuteRun();
    std::string Reply(Bytes bytes, int64_t delay = 0);
    void SetStitching(bool on);
    void StartNeedleCycle();
    void OnVertex();

    // control commands
    std::string Hand(const std::vector<std::string>& args);
    std::string Glide(const std::vector<std::string>& args);
    std::string JournalAnswer(const std::vector<std::string>& args) const;
    std::string Image(const std::vector<std::string>& args) const;

    const Config startConfig_;  // the command line's settings, which reset returns to
    Config config_;
    int64_t now_ = 0;
    std::vector<Pending> out_;
    std::deque<std::string> journal_;
    uint64_t journalFirst_ = 0;

    // the line
    Bytes frame_;
    int ffRun_ = 0;  // 0xFF bytes seen at a frame boundary (the reset sequence begins so)
    bool lineClosed_ = false;
    bool lineHungUp_ = false;
    bool quit_ = false;

    // the motion controller
    Carriage carriage_;
    int32_t constants_[8] = {};  // XKp XKi YKp YKi YKd MaxErr TOut XKd, in query order
    int32_t stitchLength_ = 5, speed_ = 40, minimumSpeed_ = 2, lockStitches_ = 4;
    float slow_ = 5.0f;
    bool reversed_ = false;
    int32_t errorCode_ = 0;    // injected error code, reported while errorReports_ > 0
    int errorReports_ = 0;
    int32_t lastError_ = 0;    // the code last reported, for GetErrors
    bool stitcherArmed_ = false;  // byte 64 seen: the next reset goes to the stitch controller
    BootLoader motorLoader_{"MC1"};
    BootLoader stitcherLoader_{"SC1"};
    BootLoader* loader_ = nullptr;  // the loader listening, or none when the firmware runs

    // the stitch controller and the machine
    bool stitching_ = false;
    bool buttonH_ = false, buttonI_ = false, buttonJ_ = false;
    int64_t needleEnd_ = -1;
    std::vector<Polyline> stitched_;
    std::vector<Polyline> travel_;
    std::vector<PathPoint> needles_;

    // injected faults
    int dropReplies_ = 0;
    int dropPositions_ = 0;  // GetXY queries still to go unanswered
    int garbageReplies_ = 0;
    int strayEvery_ = 0;       // a stray byte goes before every strayEvery_-th reply (0 never)
    uint64_t replies_ = 0;     // replies queued, for strayEvery_
    int nakMoves_ = 0;
    int failNeedles_ = 0;
    int loaderRefusals_ = 0;
    bool silent_ = false;

    // counters
    uint64_t commands_ = 0, movesAccepted_ = 0, movesRejected_ = 0, polls_ = 0;
};

const char* MachineKindName(MachineKind k);
bool ParseMachineKind(const std::string& s, MachineKind* out);

}  // namespace mc1sim
