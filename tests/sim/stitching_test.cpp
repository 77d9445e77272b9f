// Stitching on and off, needle cycles, the needle poll and the machine's buttons, and the
// path the simulator records for them.
#include "sim_bytes.h"

using namespace simtest;
using mc1sim::Simulator;

TEST(SimStitching, SerialStitchControllerRecordsStitchedPathAndTravel) {
    Simulator sim;
    Talk(sim, WithInt(55, 10));  // 1 inch per second
    Talk(sim, MovePacket(1000, 0, 100));
    EXPECT_TRUE(RunToFinish(sim));
    Talk(sim, {29, 29});  // a second "on" changes nothing
    EXPECT_TRUE(sim.Stitching());
    Talk(sim, MovePacket(1000, 1000, 100));
    Talk(sim, MovePacket(0, 1000, 100));
    EXPECT_TRUE(RunToFinish(sim));
    Talk(sim, MovePacket(0, 0, 100));
    sim.Advance(400000);  // off in the middle of a move: the stitched path ends where the carriage is
    Talk(sim, {30});
    EXPECT_TRUE(RunToFinish(sim));

    EXPECT_EQ(sim.Control("stitched"),
              "{\"stitched\":[[[1000,0],[1000,1000],[0,1000],[0,600]]],\"needles\":[],"
              "\"travel\":[[[0,0],[1000,0]],[[0,600],[0,0]]]}");
    EXPECT_NE(sim.Control("state").find("\"stitched_thou\":2400"), std::string::npos);

    // Guided by hand on released axes while stitching: the stitched path follows the hand.
    Talk(sim, {21, 23, 29});
    sim.Control("hand 100 0");
    sim.Control("hand 100 100");
    Talk(sim, {30});
    ASSERT_EQ(sim.StitchedRuns().size(), 2u);
    EXPECT_EQ(sim.StitchedRuns()[1].size(), 3u);
    EXPECT_EQ(sim.StitchedRuns()[1].back().y, 100);

    // Buttons do nothing on a machine with a stitch controller.
    Talk(sim, {72, 1, 72, 0, 73, 1, 73, 0});
    EXPECT_FALSE(sim.Stitching());
    EXPECT_TRUE(sim.NeedleCycles().empty());
}

TEST(SimStitching, NeedleUpAnswersAfterTheCycleAndIsPolledAsBusy) {
    mc1sim::Config config;
    config.needleCycleMicros = 300000;
    Simulator sim(config);
    Talk(sim, MovePacket(250, 500, 100));
    EXPECT_TRUE(RunToFinish(sim));

    EXPECT_TRUE(Talk(sim, {49}, 100).empty()) << "the needle is still cycling";
    EXPECT_EQ(Status(sim), 255);
    EXPECT_EQ(Talk(sim, {'K'}), Bytes{0}) << "needle down";
    sim.Advance(199000);
    EXPECT_TRUE(sim.TakeOutput().empty());
    sim.Advance(1000);
    EXPECT_EQ(sim.TakeOutput(), Bytes{250});
    EXPECT_EQ(Status(sim), 253);
    EXPECT_EQ(Talk(sim, {'K'}), Bytes{1});
    ASSERT_EQ(sim.NeedleCycles().size(), 1u);
    EXPECT_EQ(sim.NeedleCycles()[0].x, 250);
    EXPECT_EQ(sim.NeedleCycles()[0].y, 500);

    // A reply that comes later never overtakes an earlier one, nor is overtaken by a later query.
    sim.Receive(Bytes{49});
    sim.Advance(10000);
    EXPECT_EQ(Talk(sim, {'8'}), Bytes{100});
    sim.Advance(400000);
    EXPECT_EQ(sim.TakeOutput(), Bytes{250});

    // A failing needle, and a stitch controller that is not in robot mode, answer 251 and cycle nothing.
    sim.Control("needle-fail 1");
    EXPECT_EQ(Talk(sim, {49}, 50), Bytes{251});
    sim.Control("stitcher 33");
    EXPECT_EQ(Talk(sim, {49}, 50), Bytes{251});
    EXPECT_EQ(sim.NeedleCycles().size(), 2u);
}

TEST(SimStitching, ButtonMachinesStitchByPressesOrWhileHeld) {
    mc1sim::Config config;
    config.machine = mc1sim::MachineKind::Buttons;
    Simulator sim(config);
    Talk(sim, {29});
    EXPECT_FALSE(sim.Stitching()) << "no stitch controller on this machine";
    Talk(sim, {72, 1});
    EXPECT_TRUE(sim.Stitching());
    Talk(sim, {72, 1, 72, 0});  // still held: only a new press toggles
    EXPECT_TRUE(sim.Stitching());
    Talk(sim, {72, 1, 72, 0});
    EXPECT_FALSE(sim.Stitching());

    // The needle-up button starts one cycle; the poll reads 0 until the needle is up again.
    Talk(sim, {73, 1});
    EXPECT_EQ(Talk(sim, {'K'}), Bytes{0});
    EXPECT_EQ(Status(sim), 255);
    Talk(sim, {73, 0}, 100);
    EXPECT_EQ(Talk(sim, {'K'}), Bytes{0});
    sim.Advance(200000);
    EXPECT_EQ(Talk(sim, {'K'}), Bytes{1});
    EXPECT_EQ(sim.NeedleCycles().size(), 1u);
    EXPECT_EQ(Talk(sim, {49}, 100), Bytes{251}) << "no stitch controller to raise the needle";

    EXPECT_EQ(sim.Control("machine held"), "ok");
    Talk(sim, {72, 1});
    EXPECT_TRUE(sim.Stitching());
    Talk(sim, {74, 1, 74, 0});
    EXPECT_TRUE(sim.Stitching());
    Talk(sim, {72, 0});
    EXPECT_FALSE(sim.Stitching());
    EXPECT_NE(sim.Control("state").find("\"buttons\":{\"H\":false,\"I\":false,\"J\":false}"), std::string::npos);
}
