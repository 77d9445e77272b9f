// The 99-place move buffer and the carriage moving along it in simulated time.
#include "sim_bytes.h"

using namespace simtest;
using mc1sim::Simulator;

TEST(SimMotion, BufferFillsToZeroAndDrainsToFinishedOnTheLastPoint) {
    Simulator sim;
    Talk(sim, {44});
    EXPECT_EQ(Status(sim), 253) << "empty and standing";
    for (int i = 1; i <= 99; ++i) ASSERT_EQ(Talk(sim, MovePacket(10.0 * i, 5.0 * i, 100)), Bytes{11}) << i;
    EXPECT_EQ(Status(sim), 0);
    EXPECT_EQ(Talk(sim, MovePacket(2000, 2000, 100)), Bytes{12}) << "a full buffer refuses rather than loses";
    sim.Advance(1000000);
    EXPECT_EQ(Status(sim), 0) << "halted: nothing leaves the buffer";
    EXPECT_EQ(Position(sim), std::make_pair(0, 0));

    Talk(sim, {25});
    int last = 0;
    bool sawFinished = false;
    for (int step = 0; step < 10000 && !sawFinished; ++step) {
        sim.Advance(1000);
        int s = Status(sim);
        if (s == 253) {
            sawFinished = true;
            break;
        }
        ASSERT_LE(s, 99);
        ASSERT_GE(s, last) << "free places never shrink while nothing is sent";
        last = s;
    }
    ASSERT_TRUE(sawFinished);
    EXPECT_EQ(last, 99) << "the buffer is empty while the last move runs";
    EXPECT_EQ(Position(sim), std::make_pair(990, 495));
}

TEST(SimMotion, SpeedFollowsSetSpeedAndFeedWithAFloor) {
    Simulator sim;
    // Speed 40 = 4 inches per second at feed 100: 4 inches take one second.
    Talk(sim, WithInt(55, 40));
    Talk(sim, MovePacket(4000, 0, 100));
    sim.Advance(500000);
    EXPECT_EQ(Position(sim).first, 2000);
    sim.Advance(500000);
    EXPECT_EQ(Status(sim), 253);

    // The speed is the one in force when the move was accepted; feed 50 halves it.
    Talk(sim, WithInt(55, 80));
    Talk(sim, MovePacket(4000, 4000, 50));
    Talk(sim, WithInt(55, 10));
    sim.Advance(250000);
    EXPECT_EQ(Position(sim), std::make_pair(4000, 1000));

    // Feed 0 and speed 0 still arrive.
    Talk(sim, WithInt(55, 0));
    Talk(sim, MovePacket(4000, 4010, 0));
    EXPECT_TRUE(RunToFinish(sim, 5000));
    EXPECT_EQ(Position(sim), std::make_pair(4000, 4010));
}

TEST(SimMotion, HaltStopClearAndHome) {
    Simulator sim;
    Talk(sim, WithInt(55, 10));  // 1 inch per second
    Talk(sim, MovePacket(1000, 0, 100));
    Talk(sim, MovePacket(2000, 0, 100));
    Talk(sim, MovePacket(3000, 0, 100));
    sim.Advance(100000);
    EXPECT_EQ(Status(sim), 97);

    // Halt lets the move in progress finish and takes no more.
    Talk(sim, {44});
    sim.Advance(5000000);
    EXPECT_EQ(Position(sim).first, 1000);
    EXPECT_EQ(Status(sim), 97);

    // Stop abandons the move where the carriage is; the buffer keeps its moves until cleared.
    Talk(sim, {25});
    sim.Advance(300000);
    Talk(sim, {19});
    EXPECT_EQ(Position(sim).first, 1300);
    sim.Advance(1000000);
    EXPECT_EQ(Position(sim).first, 1300);
    EXPECT_EQ(Status(sim), 98);
    Talk(sim, {45, 25});  // the rest of the stop sequence: clear, resume
    EXPECT_EQ(Status(sim), 253);

    // Home: the current place becomes (0, 0) and later moves are relative to it.
    Talk(sim, {26});
    EXPECT_EQ(Position(sim), std::make_pair(0, 0));
    Talk(sim, MovePacket(-200, 100, 100));
    EXPECT_TRUE(RunToFinish(sim));
    EXPECT_EQ(Position(sim), std::make_pair(-200, 100));
}

TEST(SimMotion, ReleasedAxesMoveOnlyByHand) {
    Simulator sim;
    EXPECT_EQ(sim.Control("hand 500 500"), "error: both motors are holding; release an axis first");

    Talk(sim, {21});  // X released
    EXPECT_EQ(sim.Control("hand 500 700"), "ok 500 0") << "the held Y axis stays";
    Talk(sim, MovePacket(2000, 300, 100));
    EXPECT_TRUE(RunToFinish(sim));
    EXPECT_EQ(Position(sim), std::make_pair(500, 300)) << "a released axis is not driven";

    Talk(sim, {23});
    EXPECT_EQ(sim.Control("hand 1234.5 -20"), "ok 1234.5 -20");
    EXPECT_EQ(Position(sim), std::make_pair(1235, -20));
    Talk(sim, {22, 24});
    EXPECT_EQ(sim.Control("hand 0 0").rfind("error", 0), 0u);
    Talk(sim, MovePacket(0, 0, 100));
    EXPECT_TRUE(RunToFinish(sim));
    EXPECT_EQ(Position(sim), std::make_pair(0, 0));
}

TEST(SimMotion, GlideCarriesReleasedAxesAlongAStraightLine) {
    Simulator sim;
    EXPECT_EQ(sim.Control("glide 1000 500 100"), "error: both motors are holding; release an axis first");
    for (const char* bad : {"glide 1 2", "glide a 2 3", "glide 1 2 -5", "glide 1 2 3 4", "glide 1 2 3600001"})
        EXPECT_EQ(sim.Control(bad).rfind("error", 0), 0u) << bad;

    Talk(sim, {21, 23});  // both released
    EXPECT_EQ(sim.Control("glide 1000 -500 100"), "ok 0 0") << "the glide starts from where it is";
    sim.Advance(25000);
    EXPECT_EQ(Position(sim), std::make_pair(250, -125));
    sim.Advance(50000);
    EXPECT_EQ(Position(sim), std::make_pair(750, -375));
    sim.Advance(500000);
    EXPECT_EQ(Position(sim), std::make_pair(1000, -500)) << "and stops at its end";

    // A hand move ends a glide under way; a new glide starts from the place reached.
    sim.Control("glide 2000 -500 100");
    sim.Advance(50000);
    EXPECT_EQ(sim.Control("hand 0 0"), "ok 0 0");
    sim.Advance(100000);
    EXPECT_EQ(Position(sim), std::make_pair(0, 0));

    // A motor that holds keeps its axis; the glide moves only the free one.
    Talk(sim, {24});  // Y holds
    sim.Control("glide 400 800 40");
    sim.Advance(20000);
    EXPECT_EQ(Position(sim), std::make_pair(200, 0));
    sim.Advance(20000);
    EXPECT_EQ(Position(sim), std::make_pair(400, 0));
    EXPECT_EQ(sim.Control("glide 10 10 0"), "ok 10 0") << "0 ms is a hand move";
}

TEST(SimMotion, DroppedPositionRepliesLeaveEverythingElseAnswered) {
    Simulator sim;
    EXPECT_EQ(sim.Control("drop-xy 2"), "ok");
    EXPECT_TRUE(Talk(sim, {15}).empty());
    EXPECT_EQ(Status(sim), 253) << "other queries are still answered";
    EXPECT_TRUE(Talk(sim, {15}).empty());
    EXPECT_EQ(Position(sim), std::make_pair(0, 0));
    EXPECT_EQ(sim.Control("journal"),
              "GetXY -> 0 0 (reply dropped)\nCheckBuffer -> 253\nGetXY -> 0 0 (reply dropped)\nGetXY -> 0 0\nend");
    EXPECT_EQ(sim.Control("drop-xy x").rfind("error", 0), 0u);
}
