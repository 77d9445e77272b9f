// Faults injected and state read through the control commands.
#include "sim_bytes.h"

using namespace simtest;
using mc1sim::Simulator;

TEST(SimControl, InjectedReplyFaults) {
    Simulator sim;
    Talk(sim, {44});  // halted: accepted moves stay countable in the buffer
    EXPECT_EQ(sim.Control("drop 2"), "ok");
    EXPECT_TRUE(Talk(sim, {'8'}).empty());
    EXPECT_TRUE(Talk(sim, {15}).empty());
    EXPECT_EQ(Talk(sim, {'8'}), Bytes{100}) << "only two replies are dropped";

    EXPECT_EQ(sim.Control("garbage 1"), "ok");
    Bytes g = Talk(sim, MovePacket(1, 1, 1));
    ASSERT_EQ(g.size(), 1u);
    EXPECT_NE(g[0], 11);
    EXPECT_NE(g[0], 12);

    EXPECT_EQ(sim.Control("nak 2"), "ok");
    EXPECT_EQ(Talk(sim, MovePacket(5, 5, 5)), Bytes{12});
    EXPECT_EQ(Talk(sim, MovePacket(5, 5, 5)), Bytes{12});
    EXPECT_EQ(Talk(sim, MovePacket(5, 5, 5)), Bytes{11});
    EXPECT_EQ(Status(sim), 97) << "the garbled-reply move was taken, the refused ones not";
}

TEST(SimControl, ErrorCodeIsReportedThenReadableOnce) {
    Simulator sim;
    EXPECT_EQ(sim.Control("error 5"), "ok");
    Bytes r = Talk(sim, {34});
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0], 254);
    EXPECT_EQ(Get32(r, 1), 5);
    EXPECT_EQ(Status(sim), 253) << "reported once by default";
    r = Talk(sim, {52});  // older firmware asks for the code again
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(Get32(r, 0), 5);
    r = Talk(sim, {52});
    EXPECT_EQ(Get32(r, 0), 0) << "reading the errors clears them";

    EXPECT_EQ(sim.Control("error 2 3"), "ok");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Status(sim), 254);
    EXPECT_EQ(Status(sim), 253);
}

TEST(SimControl, StallSilenceAndClosedLine) {
    Simulator sim;
    Talk(sim, MovePacket(1000, 0, 100));
    sim.Advance(100000);
    EXPECT_EQ(sim.Control("stall on"), "ok");
    auto before = Position(sim);
    sim.Advance(5000000);
    EXPECT_EQ(Position(sim), before);
    EXPECT_EQ(Status(sim), 99) << "a stalled carriage never finishes";
    sim.Control("stall off");
    EXPECT_TRUE(RunToFinish(sim));

    EXPECT_EQ(sim.Control("silent on"), "ok");
    EXPECT_TRUE(Talk(sim, MovePacket(2000, 0, 100)).empty());
    sim.Control("silent off");
    EXPECT_EQ(Status(sim), 253) << "a silent controller takes nothing in";

    EXPECT_EQ(sim.Control("close"), "ok");
    EXPECT_TRUE(sim.LineClosed());
    EXPECT_TRUE(Talk(sim, {'8'}).empty());
}

TEST(SimControl, StateJournalResetAndRefusals) {
    Simulator sim;
    Talk(sim, WithInt(55, 60));
    Talk(sim, MovePacket(100, 200, 100));
    std::string state = sim.Control("state");
    EXPECT_EQ(state.front(), '{');
    EXPECT_EQ(state.back(), '}');
    EXPECT_EQ(state.find('\n'), std::string::npos) << "one line";
    for (const char* field : {"\"speed\":60", "\"queued\":0", "\"moving\":true", "\"stitching\":false",
                              "\"moves_accepted\":1", "\"mode\":\"run\""})
        EXPECT_NE(state.find(field), std::string::npos) << field << " in " << state;

    EXPECT_EQ(sim.Control("journal"), "SetSpeed 60\nMove 10000 20000 100000 130000 -> 11\nend");
    EXPECT_EQ(sim.Control("journal 1"), "Move 10000 20000 100000 130000 -> 11\nend");
    EXPECT_EQ(sim.Control("journal 9"), "end");

    sim.Control("stitcher 33");
    EXPECT_EQ(sim.Control("reset"), "ok");
    EXPECT_EQ(Talk(sim, {'>'}), Bytes{1}) << "settings made by control commands go with the reset";
    EXPECT_EQ(sim.Control("journal"), "GetStitcher -> 1\nend");
    EXPECT_NE(sim.Control("state").find("\"speed\":40"), std::string::npos);

    for (const char* bad : {"", "fly", "drop", "drop -1", "drop 1x", "hand 1", "hand a b", "error", "stall maybe",
                            "machine lathe", "journal x", "image disk", "version motor", "needle-ms 0"})
        EXPECT_EQ(sim.Control(bad).rfind("error", 0), 0u) << "'" << bad << "'";
    EXPECT_FALSE(sim.QuitRequested());
    EXPECT_EQ(sim.Control("quit"), "ok");
    EXPECT_TRUE(sim.QuitRequested());
}

TEST(SimControl, SlippingAxisFallsShortButFinishes) {
    Simulator sim;
    EXPECT_EQ(sim.Control("slip x 0.8"), "ok");
    EXPECT_NE(sim.Control("state").find("\"slip\":{\"x\":0.8,\"y\":1}"), std::string::npos);
    Talk(sim, MovePacket(1000, -500, 100));
    Talk(sim, MovePacket(2000, -1000, 100));
    ASSERT_TRUE(RunToFinish(sim)) << "moves still finish";
    EXPECT_EQ(Position(sim), std::make_pair(1600, -1000)) << "X covers 0.8 of each move, Y all of it";

    // Back to a lower target: the slip shortens the way back too, from the controller's reckoning.
    Talk(sim, MovePacket(1000, 0, 100));
    ASSERT_TRUE(RunToFinish(sim));
    EXPECT_EQ(Position(sim), std::make_pair(800, 0));

    for (const char* bad : {"slip x 0", "slip z 0.5", "slip x 1.5", "slip x", "slip y -1", "slip x nan"})
        EXPECT_EQ(sim.Control(bad).rfind("error:", 0), 0u) << "'" << bad << "'";
    EXPECT_EQ(sim.Control("reset"), "ok");
    EXPECT_NE(sim.Control("state").find("\"slip\":{\"x\":1,\"y\":1}"), std::string::npos);
    Talk(sim, MovePacket(1000, 0, 100));
    ASSERT_TRUE(RunToFinish(sim));
    EXPECT_EQ(Position(sim), std::make_pair(1000, 0)) << "reset takes the slip away";
}
