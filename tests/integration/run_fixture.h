#pragma once
// A stitching run against mc1sim: layouts built in code, the operator scripted, and the run
// judged by what the simulator received (its journal) and where its carriage stitched.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/scripted_ui.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"

struct FullPattern_t;

namespace runtest {

using Pts = std::vector<std::pair<float, float>>;

// The run's first two questions.
inline const char* const kStart =
    "THE MACHINE WILL MOVE TO THE START OF THE PATTERN BLOCK AND THE PATTERN WILL START.";
inline const char* const kBobbin =
    "AFTER THE MACHINE ARRIVES AT THE START POSITION PULL UP THE BOBBIN THREAD\nAND PRESS OK";

// A zigzag of `teeth` teeth, 0.2 inch each, 0.2 inch high (inches).
Pts LongZigzag(int teeth);

// One move the simulator received, with the speed in force when it came.
struct SimMove {
    long x_thou = 0;  // as sent, hundred-thousandths / 100
    long y_thou = 0;
    long feed = 0;    // percent x 1000
    int speed = 0;
    bool accepted = false;
};

// The journal read as a stream: each entry as one token, and every move with its speed.
struct ReadJournal {
    std::vector<std::string> entries;
    std::vector<SimMove> moves;
    // Compact letters: ? start byte, G stitcher query, L lead-line move, K lock-stitch move,
    // P path move, N needle up, + stitching on, - stitching off, D release an axis, E hold an
    // axis, H hand-over byte, ! stop. Consecutive L and P moves are one letter.
    std::string shape;
};
ReadJournal Read(const std::vector<std::string>& journal, int leadLineSpeed, int pathSpeed);

// Accepted moves of one kind, as (x, y) thousandths.
Pts MovesAt(const ReadJournal& j, int speed, long feed = -1);

// Every vertex the carriage stitched through, in order, consecutive repeats removed.
Pts StitchedVertices(const std::string& stitchedJson);

// The stitched polylines one by one (each the vertices the carriage stitched through while
// stitching stayed on).
std::vector<Pts> StitchedRuns(const std::string& stitchedJson);

// True when some stitched segment has one end left of `gapFrom` and the other right of
// `gapTo` (thousandths in X): the carriage sewed across that gap.
bool SewnAcross(const std::string& stitchedJson, float gapFrom, float gapTo);

// Number of needle cycles the simulator made at `at` (within 1 thou).
int NeedlesAt(const std::string& stitchedJson, std::pair<float, float> at);

// Points of a path (thousandths, as the controller receives them: truncated to 1/100 thou).
Pts PathPoints(const FullPattern_t* first);

// True when `sub` appears in `all` in order (not necessarily adjacent), within 1 thou.
bool InOrder(const Pts& sub, const Pts& all);

class StitchingRun : public ::testing::Test {
protected:
    static constexpr int kPathSpeed = 50;
    static constexpr int kLeadSpeed = 60;

    void SetUp() override;
    void TearDown() override;

    // Starts mc1sim with these options (plus a fast time scale) and opens the line.
    bool StartSim(std::vector<std::string> options = {});
    // A pattern in the next free slot, placed at (x, y) inches in box 0.
    int Place(const Pts& points_inch, float x, float y);
    int PlaceSlot(int slot, float x, float y);
    // The same with new strokes ("c s") before the given 0-based points.
    int PlaceWithStrokes(const Pts& points_inch, const std::vector<int>& strokesBefore, float x,
                         float y);
    // True while the stitching view is the screen shown.
    bool InView() const;
    // Sets onEvents to do `act` once, at the n-th pass of pending events on the stitching view.
    void AtViewEvent(int n, std::function<void()> act);
    // Takes a copy of the prepared path (points in thousandths) when the run prepares it.
    Pts preparedPath;
    // Called at every pass of pending events of the run (the operator's hand).
    std::function<void()> onEvents;
    // Called with the text of every message before the script answers it.
    std::function<void(const std::string&)> onMessage;

    TempDir dir;
    std::unique_ptr<SimController> sim;
    std::unique_ptr<ScriptedUi> ui;
};

}  // namespace runtest
