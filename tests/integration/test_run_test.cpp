// The endurance run against mc1sim: the password, a silent controller, a stop and a pause in
// the stitched pass, and jumps that ask the operator nothing.
#include <gtest/gtest.h>

#include "base/interface.h"
#include "base/settings.h"
#include "machine/run_state.h"
#include "machine/stitching_run.h"
#include "machine/test_run.h"
#include "patterns/layout.h"
#include "patterns/pattern_box.h"
#include "run_fixture.h"

using namespace runtest;

TEST_F(StitchingRun, EnduranceRunRefusesWithoutThePasswordOrAPattern)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(3), 1, 1);
    sim->NewJournal();
    ui->Type("brandle").Type("").Type("brindle", 0).Type("brindle ");
    for (int i = 0; i < 4; ++i)
        menuRunTest();
    EXPECT_TRUE(sim->NewJournal().empty());
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_EQ(runActive, 0);

    ResetLayout();
    CreatePatternBox();
    currentBox = 0;
    ui->Type("brindle").Expect("PATTERN BOX IS EMPTY", RESPONSE_OK);
    menuRunTest();
    EXPECT_TRUE(sim->NewJournal().empty()) << "an empty box sends nothing";
    EXPECT_EQ(runActive, 0);
}

TEST_F(StitchingRun, EnduranceRunWithASilentControllerReturnsToIdle)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(3), 1, 1);
    ASSERT_EQ(sim->Control("silent on"), "ok");
    ui->Type("brindle").AllowUnexpected();
    testing::internal::CaptureStdout();
    menuRunTest();
    testing::internal::GetCapturedStdout();
    ASSERT_FALSE(ui->messages.empty());
    EXPECT_EQ(ui->messages.back(), "COULD NOT MOVE TO START. ERR: 1023");
    ASSERT_FALSE(ui->masks.empty());
    EXPECT_EQ(ui->masks.back(), 0x37FFFFFu);
    EXPECT_EQ(runActive, 0);
}

TEST_F(StitchingRun, EnduranceRunStopInTheStitchedPassRaisesTheNeedleAndEnds)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(20), 1, 1);
    ui->Type("brindle");
    int eventsInView = 0;
    onEvents = [&] {
        if (!ui->screens.empty() && ui->screens.back() == Screen::StitchingView && ++eventsInView == 25)
            stopButtonReleased();
    };
    testing::internal::CaptureStdout();
    menuRunTest();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(allStop, RUN_STOP);
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    ASSERT_NE(j.shape.find('P'), std::string::npos) << j.shape;
    const std::string afterStop = j.shape.substr(j.shape.find('!', j.shape.find('P')));
    EXPECT_NE(afterStop.find('-'), std::string::npos) << j.shape;
    EXPECT_NE(afterStop.find('N'), std::string::npos) << "the needle is raised: " << j.shape;
    EXPECT_NE(afterStop.find("DD"), std::string::npos) << j.shape;
    EXPECT_EQ(afterStop.find('L'), std::string::npos) << "no further pass: " << j.shape;
    EXPECT_EQ(afterStop.find('P'), std::string::npos) << j.shape;
    EXPECT_EQ(SimController::Word(sim->Control("state"), "x_driven"), "false");
}

TEST_F(StitchingRun, EndurancePassAcrossAJumpAsksNothingAndAPauseEndsTheRunAfterIt)
{
    ASSERT_TRUE(StartSim());
    jumpStitch = 0.0f;  // a stitching run would ask to cut the thread and pull up the bobbin
    const int slot = Place(LongZigzag(5), 1, 1);
    PlaceSlot(slot, 5, 1);
    ui->Type("brindle");  // and no message at all
    int eventsInView = 0;
    onEvents = [&] {
        if (!ui->screens.empty() && ui->screens.back() == Screen::StitchingView && ++eventsInView == 10)
            OnBtnPauseToggled(true);
    };
    testing::internal::CaptureStdout();
    menuRunTest();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_EQ(runActive, 0);
    ASSERT_GE(preparedPath.size(), 4u);
    // The paused pass went on to the end of the path, through the jump.
    EXPECT_TRUE(InOrder(preparedPath, StitchedVertices(sim->Control("stitched")))) << sim->Control("stitched");
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    const size_t lastPath = j.shape.rfind('P');
    ASSERT_NE(lastPath, std::string::npos);
    EXPECT_EQ(j.shape.find('L', lastPath), std::string::npos) << "no pass after the paused one: " << j.shape;
}
