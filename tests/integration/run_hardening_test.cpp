// Stitching runs against mc1sim where the path, the operator or the line do something
// awkward: jumps in odd places, taps at odd moments, stray and late bytes, a dead line.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>

#include "base/interface.h"
#include "base/sensitivity.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "machine/run_state.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"
#include "machine/stitch_path.h"
#include "machine/stitching_run.h"
#include "run_fixture.h"

using namespace runtest;

namespace {

const char* const kMoveToBreak = "MOVE YOUR MACHINE TO THE POINT WHERE THE THREAD BROKE AND PRESS OK.";
const char* const kRestartHere = "IS THIS WHERE YOU WANT TO RESTART?";
const char* const kPullUpAfterBreak = "PULL UP THE BOBBIN THREAD.\nPRESS OK TO CONTINUE THE PATTERN.";

const Pts kZigzag = {{0, 0}, {0.3f, 0}, {0.6f, 0.3f}, {0.9f, 0}, {1.2f, 0}};

class RunHardening : public StitchingRun {
protected:
    // The released axes only give once the release bytes are through: wait for them.
    std::string PushByHand(float x, float y)
    {
        if (!sim->WaitForState("x_driven", "false"))
            return "axes never released";
        return sim->Control("hand " + std::to_string(x) + " " + std::to_string(y));
    }
};

}  // namespace

// --- Jumps ------------------------------------------------------------------------------

TEST_F(RunHardening, RestartOnAJumpPointSewsNothingAcrossAndTiesInAgain)
{
    ASSERT_TRUE(StartSim());
    const int slot = Place(kZigzag, 1, 1);
    PlaceSlot(slot, 5, 1);  // the first run ends at x 2.2 inch, the second starts at 5
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    // Paused at the first pass of events once the cursor stands on the jump's point: the
    // loop is then waiting for the buffer to drain before it handles the jump.
    std::pair<float, float> jumpPoint;
    onEvents = [&] {
        if (fpTemp != nullptr && fpTemp->jump == 1 && !runWidgets.pauseToggle &&
            allStop == RUN_GO && InView()) {
            jumpPoint = {fpTemp->x, fpTemp->y};
            OnBtnPauseToggled(true);
        }
    };
    startButtonReleased();
    onEvents = nullptr;
    ASSERT_TRUE(runWidgets.pauseToggle);
    EXPECT_FLOAT_EQ(jumpPoint.first, 3200.0f);  // box origin 1 inch + placement 1 inch + 1.2
    sim->NewJournal();
    sim->Control("stitched");

    std::string handAnswer;
    onMessage = [&](const std::string& text) {
        if (text == kMoveToBreak)
            handAnswer = PushByHand(jumpPoint.first, jumpPoint.second);
    };
    ui->Expect(kMoveToBreak, RESPONSE_OK)
        .Expect(kRestartHere, RESPONSE_YES)
        .Expect(kPullUpAfterBreak, RESPONSE_OK)
        .Expect("CUT THE THREAD", RESPONSE_OK)
        .Expect("PULL UP THE BOBBIN THREAD", RESPONSE_OK);
    OnBtnThreadClicked();

    EXPECT_EQ(handAnswer.rfind("ok", 0), 0u) << handAnswer;
    EXPECT_EQ(runCompleted, 1);
    const std::string json = sim->Control("stitched");
    EXPECT_FALSE(SewnAcross(json, 3300, 5900)) << json;
    // The second run is tied in on its second point, sewing back to its first.
    const ReadJournal after = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    const Pts lock = MovesAt(after, 40, 30000);
    bool tiedInSecondRun = false;
    for (const auto& p : lock)
        tiedInSecondRun = tiedInSecondRun || (p.first >= 6000 && p.first <= 6400);
    EXPECT_TRUE(tiedInSecondRun) << after.shape;
    // Every point of the second run is stitched in order.
    Pts second;
    for (const auto& p : preparedPath)
        if (p.first >= 6000)
            second.push_back(p);
    EXPECT_TRUE(InOrder(Pts(second.begin() + 1, second.end()), StitchedVertices(json))) << json;
}

TEST_F(RunHardening, APathStartingWithAJumpPointNeverSewsTheJump)
{
    ASSERT_TRUE(StartSim());
    // A first stroke of one point, half an inch before the rest.
    PlaceWithStrokes({{0, 0}, {0.5f, 0}, {0.7f, 0.1f}, {0.9f, 0}, {1.1f, 0.1f}}, {1}, 1, 1);
    ui->Expect(kStart, RESPONSE_OK)
        .Expect(kBobbin, RESPONSE_OK)
        .Expect("CUT THE THREAD", RESPONSE_OK)
        .Expect("PULL UP THE BOBBIN THREAD", RESPONSE_OK);

    startButtonReleased();

    ASSERT_FALSE(preparedPath.empty());
    EXPECT_EQ(runCompleted, 1);
    const std::string json = sim->Control("stitched");
    // The lone first point (x 2 inch) and the run half an inch on are never joined by thread.
    ASSERT_FLOAT_EQ(preparedPath[0].first, 2000.0f);
    EXPECT_FALSE(SewnAcross(json, 2100, 2400)) << json;
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    for (const SimMove& m : j.moves) {
        if (m.accepted && m.speed == 40) {
            EXPECT_GE(m.x_thou, 2400) << "a lock stitch reaches the lone point: " << j.shape;
        }
    }
}

// --- Machine buttons and needle waits ---------------------------------------------------

TEST_F(RunHardening, APressTimeOfZeroStillReleasesTheButtons)
{
    ASSERT_TRUE(StartSim({"--machine", "buttons"}));
    needleUpMethod = 10;  // a custom button machine, kept at the factory's zero press times
    needleUpConfirm = 0;
    needleUpPress = stitchRegPress = 0.0f;
    needleUpTime = 100.0f;
    stitchRegTime = 100.0f;
    Place(kZigzag, 1, 1);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);

    startButtonReleased();

    EXPECT_EQ(runCompleted, 1);
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    int presses = 0;
    std::string held;
    for (const std::string& e : j.entries) {
        if (e.rfind("Button ", 0) != 0)
            continue;
        const bool down = e.back() == '1';
        if (down) {
            ++presses;
            EXPECT_TRUE(held.empty()) << "pressed while " << held << " is held";
            held = e.substr(0, 8);
        } else {
            EXPECT_EQ(e.substr(0, 8), held) << e;
            held.clear();
        }
    }
    EXPECT_GT(presses, 4);
    EXPECT_TRUE(held.empty()) << held << " left held";
    const std::string state = sim->Control("state");
    EXPECT_NE(state.find("\"buttons\":{\"H\":false,\"I\":false"), std::string::npos) << state;
    EXPECT_EQ(SimController::Word(state, "stitching"), "false") << state;
}

// Two accepted moves at `speed` in a row to the same place with the same feed: a move sent
// twice (the end of the path is sent twice on purpose).
int RepeatedMoves(const ReadJournal& j, int speed)
{
    int repeats = 0;
    const SimMove* last = nullptr;
    for (const SimMove& m : j.moves) {
        if (!m.accepted || m.speed != speed)
            continue;
        if (last != nullptr && last->x_thou == m.x_thou && last->y_thou == m.y_thou &&
            last->feed == m.feed && last->speed == m.speed)
            ++repeats;
        last = &m;
    }
    return repeats;
}

TEST_F(RunHardening, ANeedleNeverSeenDownSendsNoMoveTwice)
{
    // The stitch controller is not wired to the buttons: the needle is never seen down, so
    // every wait for it ends at its time-out. Every reply comes 10 ms late (250 ms of machine
    // time) and the wait is 3 ms: each wait ends with its poll unanswered and the answer on
    // its way, to arrive when the next command is already waiting for its own reply.
    ASSERT_TRUE(StartSim({"--machine", "serial", "--delay", "250"}));
    needleUpMethod = 3;
    needleUpConfirm = 1;
    needleUpPress = stitchRegPress = 20.0f;
    needleUpTime = 3.0f;
    stitchRegTime = 10.0f;
    const int slot = Place(kZigzag, 1, 1);
    PlaceSlot(slot, 5, 1);
    ui->Expect(kStart, RESPONSE_OK)
        .Expect(kBobbin, RESPONSE_OK)
        .Expect("CUT THE THREAD", RESPONSE_OK)
        .Expect("PULL UP THE BOBBIN THREAD", RESPONSE_OK);

    startButtonReleased();

    EXPECT_EQ(runCompleted, 1);
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    EXPECT_EQ(MovesAt(j, 40, 30000).size(), 16u) << j.shape;
    // Every path point once, but for the second run's first point (sewn by its tie-in)
    // and the last point, sent once more to end on it.
    Pts expected;
    bool skipped = false;
    for (const auto& p : preparedPath) {
        if (!skipped && p.first >= 6000) {
            skipped = true;
            continue;
        }
        expected.push_back(p);
    }
    expected.push_back(preparedPath.back());
    EXPECT_EQ(MovesAt(j, kPathSpeed), expected) << j.shape;
}

// --- A line out of step ------------------------------------------------------------------

TEST_F(RunHardening, AStrayByteCostsAtMostOneResendAndNeverOverfillsTheBuffer)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(80), 1, 1);  // 161 points: the buffer fills and keeps being topped up
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    ASSERT_EQ(sim->Control("stray 31"), "ok");

    startButtonReleased();

    EXPECT_EQ(runCompleted, 1);
    const std::vector<std::string> journal = sim->NewJournal();
    int strays = 0;
    for (const std::string& e : journal) {
        strays += e.find("(stray byte before)") != std::string::npos;
        EXPECT_EQ(e.find("buffer full"), std::string::npos) << e;
    }
    EXPECT_GT(strays, 5);
    const ReadJournal j = Read(journal, kLeadSpeed, kPathSpeed);
    EXPECT_LE(RepeatedMoves(j, kPathSpeed), strays + 1);
    // Path moves: every point in order, each at most once more than it should be.
    const Pts streamed = MovesAt(j, kPathSpeed);
    EXPECT_TRUE(InOrder(Pts(preparedPath.begin() + 1, preparedPath.end()), streamed));
    EXPECT_LE(streamed.size(), preparedPath.size() + static_cast<size_t>(strays));
}

// --- Taps at awkward moments ---------------------------------------------------------------

TEST_F(RunHardening, StartTappedWhileAStoppedRunUnwindsStartsNothing)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(20), 1, 1);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    int eventsInView = 0;
    bool stopped = false, tapped = false;
    onEvents = [&] {
        if (!stopped && InView() && ++eventsInView == 3) {
            stopped = true;
            stopButtonReleased();  // its StopPattern runs events: the tap lands in there
        } else if (stopped && !tapped && runActive == 0) {
            tapped = true;
            startButtonReleased();
        }
    };

    startButtonReleased();

    EXPECT_TRUE(tapped);
    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
    EXPECT_EQ(ui->screens.back(), Screen::PatternView);
    // One start byte: the tap sent nothing and asked nothing (the script has no second
    // start question), and the stopped run's path is still whole.
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    EXPECT_EQ(std::count(j.shape.begin(), j.shape.end(), '?'), 1) << j.shape;
    ASSERT_NE(interface_.stitchList, nullptr);

    // Once unwound, Start works again.
    onEvents = nullptr;
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    fpTemp = nullptr;
    startButtonReleased();
    EXPECT_EQ(runCompleted, 1);
}

// Pauses at the fifth pass of events on the stitching view, then calls `tap` at the first
// pass of events while the pause is carried out (after the loop has left).
class TapDuringPause : public RunHardening {
protected:
    void Run(std::function<void()> tap)
    {
        int eventsInView = 0;
        int step = 0;
        bool inside = false;
        onEvents = [&, tap] {
            if (inside)
                return;
            inside = true;
            if (step == 0 && InView() && ++eventsInView == 5) {
                step = 1;
                OnBtnPauseToggled(true);
            } else if (step == 1 && allStop == RUN_PAUSE) {
                step = 2;
                tap();
            }
            inside = false;
        };
        startButtonReleased();
        onEvents = nullptr;
        EXPECT_EQ(step, 2);
    }
};

TEST_F(TapDuringPause, ResumeIsHonouredOnceThePauseIsComplete)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(60), 1, 1);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);

    Run([] { OnBtnPauseToggled(false); });

    EXPECT_EQ(runCompleted, 1);
    EXPECT_FALSE(runWidgets.pauseToggle);
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    Pts expected = preparedPath;
    expected.push_back(preparedPath.back());
    EXPECT_EQ(MovesAt(j, kPathSpeed), expected) << "every point once, none skipped";
}

TEST_F(TapDuringPause, ThreadBreakIsHonouredOnceThePauseIsComplete)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(60), 1, 1);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    std::string handAnswer;
    onMessage = [&](const std::string& text) {
        if (text == kMoveToBreak)
            handAnswer = PushByHand(1100, 1200);  // the first tooth's top
    };
    ui->Expect(kMoveToBreak, RESPONSE_OK)
        .Expect(kRestartHere, RESPONSE_YES)
        .Expect(kPullUpAfterBreak, RESPONSE_OK);

    Run([] { OnBtnThreadClicked(); });

    EXPECT_EQ(handAnswer.rfind("ok", 0), 0u) << handAnswer;
    EXPECT_EQ(runCompleted, 1);
}

// --- Stop while the needle cycles -----------------------------------------------------------

// Taps Stop while the simulator's needle is cycling, once `armed`: the needle cycle is made
// long when the run reaches the moment under test, so the program sits in its wait for the
// needle (where it runs events) while the tap comes.
class StopDuringNeedle : public RunHardening {
protected:
    void StopOnceTheNeedleCycles()
    {
        onEvents = [this] {
            if (armed && !stopped &&
                SimController::Word(sim->Control("state"), "needle") == "cycling") {
                stopped = true;
                stopButtonReleased();
            }
        };
    }
    void Arm()
    {
        ASSERT_EQ(sim->Control("needle-ms 60000"), "ok");
        armed = true;
    }
    bool armed = false;
    bool stopped = false;
};

TEST_F(StopDuringNeedle, BeforeTheRestartQuestionAsksNothingMore)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(20), 1, 1);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    AtViewEvent(5, [&] { OnBtnPauseToggled(true); });
    startButtonReleased();
    ASSERT_TRUE(runWidgets.pauseToggle);

    // Pushed back to the first tooth's top; the needle cycle of the restart is the long one.
    std::string handAnswer;
    onMessage = [&](const std::string& text) {
        if (text == kMoveToBreak) {
            handAnswer = PushByHand(1100, 1200);
            Arm();
        }
    };
    StopOnceTheNeedleCycles();
    ui->Expect(kMoveToBreak, RESPONSE_OK);  // and nothing after it

    OnBtnThreadClicked();

    EXPECT_EQ(handAnswer.rfind("ok", 0), 0u) << handAnswer;
    EXPECT_TRUE(stopped);
    EXPECT_EQ(ui->messages.back(), kMoveToBreak);
    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(runCompleted, 0);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
}

TEST_F(StopDuringNeedle, BeforeTheBobbinQuestionAfterAJumpAsksNothingMore)
{
    ASSERT_TRUE(StartSim());
    const int slot = Place(kZigzag, 1, 1);
    PlaceSlot(slot, 5, 1);
    onMessage = [&](const std::string& text) {
        if (text == "CUT THE THREAD")
            Arm();  // the next needle cycle is the tie-in's on the far side of the jump
    };
    StopOnceTheNeedleCycles();
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK).Expect("CUT THE THREAD", RESPONSE_OK);

    startButtonReleased();

    EXPECT_TRUE(stopped);
    EXPECT_EQ(ui->messages.back(), "CUT THE THREAD");
    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(runCompleted, 0);
    // Nothing of the second run was sewn.
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    for (const auto& p : MovesAt(j, kPathSpeed))
        EXPECT_LT(p.first, 6000) << j.shape;
}

// With stitching off there is no tie-in to set the speed back after a lead line: the start
// and a restart after a thread break must still stream the path at the stitching speed.
TEST_F(RunHardening, WithStitchingOffTheRunAndItsRestartStreamAtTheStitchingSpeed)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(20), 1, 1);
    runWidgets.stitchingToggle = false;
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    AtViewEvent(5, [&] { OnBtnPauseToggled(true); });
    startButtonReleased();
    onEvents = nullptr;
    ASSERT_TRUE(runWidgets.pauseToggle);
    const ReadJournal before = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    ASSERT_FALSE(MovesAt(before, kPathSpeed).empty()) << before.shape;
    EXPECT_EQ(before.shape.find('?', 1), std::string::npos) << before.shape;
    EXPECT_EQ(MovesAt(before, kPathSpeed).front(), preparedPath.front()) << before.shape;

    std::string handAnswer;
    onMessage = [&](const std::string& text) {
        if (text == kMoveToBreak)
            handAnswer = PushByHand(2205, 2010);  // beside (2200, 2000), the second tooth's foot
    };
    ui->Expect(kMoveToBreak, RESPONSE_OK).Expect("PRESS OK TO CONTINUE.", RESPONSE_OK);

    OnBtnThreadClicked();

    EXPECT_EQ(handAnswer.rfind("ok", 0), 0u) << handAnswer;
    EXPECT_EQ(runCompleted, 1);
    const ReadJournal after = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    // A lead line back, then the rest of the path at the stitching speed and nothing else.
    EXPECT_NE(after.shape.find("LP"), std::string::npos) << after.shape;
    EXPECT_EQ(after.shape.find('?'), std::string::npos) << after.shape;
    size_t from = 0;
    while (from < preparedPath.size() && preparedPath[from] != std::make_pair(2200.0f, 2000.0f))
        ++from;
    ASSERT_LT(from, preparedPath.size());
    Pts rest(preparedPath.begin() + static_cast<long>(from), preparedPath.end());
    rest.push_back(preparedPath.back());
    EXPECT_EQ(MovesAt(after, kPathSpeed), rest) << after.shape;
}

// --- The operator gets the message -----------------------------------------------------------

TEST_F(RunHardening, AStalledLeadLineEndsWithRobotNotResponsive)
{
    ASSERT_TRUE(StartSim());
    Place(kZigzag, 1, 1);
    ASSERT_EQ(sim->Control("stall on"), "ok");
    ui->Expect(kStart, RESPONSE_OK).Expect("ROBOT NOT RESPONSIVE. ERR: WFB100", RESPONSE_OK);

    startButtonReleased();

    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
}

TEST_F(RunHardening, ASilentLineEndsTheLeadLineWithUnableToSendAllPoints)
{
    ASSERT_TRUE(StartSim());
    Place(kZigzag, 1, 1);
    runWidgets.stitchingToggle = false;
    ASSERT_EQ(sim->Control("silent on"), "ok");
    ui->Expect(kStart, RESPONSE_OK)
        .Expect("UNABLE TO SEND ALL POINTS", RESPONSE_OK)
        .Expect("COULD NOT MOVE TO START. ERR: 1023", RESPONSE_OK);

    startButtonReleased();

    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
}

// --- The line goes away --------------------------------------------------------------------

// CPU seconds this process has used, user and system.
static double ProcessCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST_F(RunHardening, AHangUpMidRunStopsTheRunAndALaterRunWorksOnceTheLineIsBack)
{
    const std::string link = dir / "mc1.tty";
    ASSERT_TRUE(StartSim({"--link", link}));
    // The program reaches the controller through the link, which the simulator points at
    // each new line.
    setenv("CORVAN_SERIAL", link.c_str(), 1);
    ASSERT_GE(OpenPort(), 0);
    Place(LongZigzag(40), 1, 1);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    bool hungUp = false;
    double cpuAtHangUp = 0;
    onEvents = [&] {
        if (!hungUp && InView()) {
            hungUp = true;
            cpuAtHangUp = ProcessCpuSeconds();
            ASSERT_EQ(sim->Control("hangup"), "ok");
        }
    };

    startButtonReleased();

    EXPECT_TRUE(hungUp);
    // The run waits out its 10 s watch on the dead line; a wait that polls the hung-up line
    // again at once would burn all of it. Sleeping between looks costs a small part.
    EXPECT_LT(ProcessCpuSeconds() - cpuAtHangUp, 2.0);
    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(runCompleted, 0);
    EXPECT_EQ(runEndReason, "the line to the controller was hung up");
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
    EXPECT_EQ(ui->screens.back(), Screen::PatternView);

    // Back again: the next Start opens the line anew and the run goes to its end.
    onEvents = nullptr;
    ASSERT_EQ(sim->Control("reconnect"), "ok");
    ASSERT_TRUE(sim->WaitForState("line", "open"));
    for (int look = 0; look < 500 && access(link.c_str(), F_OK) != 0; ++look)
        usleep(10000);  // the simulator links the new line on its next turn
    ASSERT_EQ(access(link.c_str(), F_OK), 0);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    fpTemp = nullptr;
    startButtonReleased();
    EXPECT_EQ(runCompleted, 1);
    EXPECT_EQ(runEndReason, "");
}
