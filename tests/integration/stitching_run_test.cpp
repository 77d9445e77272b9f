// Whole stitching runs against mc1sim over a pseudo-terminal, the operator scripted. What
// counts is what the simulator received and where its carriage went, not what the program
// says about itself.
#include <gtest/gtest.h>

#include <unistd.h>

#include "base/interface.h"
#include "base/sensitivity.h"
#include "base/settings.h"
#include "machine/run_state.h"
#include "machine/stitch_path.h"
#include "machine/stitch_control.h"
#include "machine/stitching_run.h"
#include "patterns/pattern_box.h"
#include "run_fixture.h"

using namespace runtest;

namespace {

// A zigzag of five points, 1.2 inch wide.
const Pts kZigzag = {{0, 0}, {0.3f, 0.3f}, {0.6f, 0}, {0.9f, 0.3f}, {1.2f, 0}};

bool InRun() { return runActive == 1; }

// The path points the streaming sends, given where the run tied in again after jumps: a
// tie-in lands on the point after a jump's target, so that target is stitched by the lock
// stitches, not streamed. The last point is sent once more at the end.
Pts Streamed(const Pts& path, const FullPattern_t* /*unused*/, const std::vector<size_t>& tiedTargets)
{
    Pts out;
    for (size_t i = 0; i < path.size(); ++i) {
        bool skip = false;
        for (size_t t : tiedTargets)
            skip = skip || t == i;
        if (!skip)
            out.push_back(path[i]);
    }
    if (!path.empty())
        out.push_back(path.back());
    return out;
}

}  // namespace

TEST_F(StitchingRun, TwoPlacementsFarApartTieOffTravelAndTieInAgain)
{
    ASSERT_TRUE(StartSim());
    const int slot = Place(kZigzag, 1, 1);
    PlaceSlot(slot, 5, 1);  // 2.8 inches after the first ends: a jump
    ui->Expect(kStart, RESPONSE_OK)
        .Expect(kBobbin, RESPONSE_OK)
        .Expect("CUT THE THREAD", RESPONSE_OK)
        .Expect("PULL UP THE BOBBIN THREAD", RESPONSE_OK);

    startButtonReleased();

    EXPECT_EQ(runCompleted, 1);
    EXPECT_EQ(interface_.stitchList, nullptr);
    EXPECT_EQ(fpTemp, nullptr);
    ASSERT_FALSE(ui->masks.empty());
    EXPECT_EQ(ui->masks.front(), kMaskStitching);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
    ASSERT_FALSE(ui->screens.empty());
    EXPECT_EQ(ui->screens.back(), Screen::PatternView);

    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    // Start, lead line, needle up and hand over for the bobbin thread, lead line again,
    // tie-in (two passes: A, needle, B, needle), stream, tie-off, cut, travel, needle,
    // pull up, lead line to the tie-in point, tie-in, stream, tie-off at the end, stop.
    const std::string lockStitches = "KNKNKNKN";
    const std::string expected = "?GEEL" "NDDH" "EEL" + lockStitches + "P+P" "-" + lockStitches +
                                 "DDEE" "L" "N" "DDEE" "L" + lockStitches + "P+P" "-" +
                                 lockStitches + "!NHDD";
    EXPECT_EQ(j.shape, expected);

    // The tie-in at the start goes between the first point and the next one elsewhere, A
    // being the later point.
    const Pts lock = MovesAt(j, 40, 30000);
    ASSERT_EQ(lock.size(), 16u);
    ASSERT_GE(preparedPath.size(), 4u);
    EXPECT_EQ(lock[0], preparedPath[1]);
    EXPECT_EQ(lock[1], preparedPath[0]);
    EXPECT_EQ(lock[2], preparedPath[1]);
    EXPECT_EQ(lock[3], preparedPath[0]);

    // Every path point streamed once and in order.
    size_t jumpAt = 0;
    while (jumpAt < preparedPath.size() && preparedPath[jumpAt].first < 4000)
        ++jumpAt;
    ASSERT_LT(jumpAt, preparedPath.size());
    EXPECT_EQ(MovesAt(j, kPathSpeed), Streamed(preparedPath, nullptr, {jumpAt}));

    // The carriage stitched through every point of the path in order, but for the start of
    // the second run, which the tie-in's needle cycles sew.
    Pts stitched = preparedPath;
    stitched.erase(stitched.begin() + static_cast<long>(jumpAt));
    const std::string json = sim->Control("stitched");
    EXPECT_TRUE(InOrder(stitched, StitchedVertices(json))) << json;
    // Each run's start: the needle raised before the bobbin thread is pulled up, and one
    // stitch of each tie-in pass.
    EXPECT_EQ(NeedlesAt(json, preparedPath[jumpAt]), 3) << json;
    EXPECT_EQ(NeedlesAt(json, preparedPath[0]), 3) << json;
}

// A straight pattern with new strokes (jumps) before the given points.
TEST_F(StitchingRun, ShortJumpsAreSewnOverAndJumpsWithinJumpStitchAskNothing)
{
    ASSERT_TRUE(StartSim());
    // 0.1 inch gap before point 3 (sewn over), 0.5 inch gap before point 6 (tied, no
    // questions because jumpStitch is 1 inch).
    const Pts line = {{0, 0}, {0.15f, 0}, {0.3f, 0}, {0.4f, 0}, {0.55f, 0}, {0.7f, 0},
                      {1.2f, 0}, {1.35f, 0}, {1.5f, 0}};
    PlaceWithStrokes(line, {3, 6}, 1, 1);
    jumpStitch = 1.0f;
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);

    startButtonReleased();

    EXPECT_EQ(runCompleted, 1);
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    // Lock stitches at the start, around the long jump (off and in), at the end; none at
    // the short one.
    EXPECT_EQ(MovesAt(j, 40, 30000).size(), 4u * 4u) << j.shape;
    size_t longJump = 0;
    while (longJump < preparedPath.size() && preparedPath[longJump].first < 2000 + 1000)
        ++longJump;
    EXPECT_EQ(MovesAt(j, kPathSpeed), Streamed(preparedPath, nullptr, {longJump}));

    // The short jump is stitched straight over; the long one is travelled.
    Pts stitched = preparedPath;
    stitched.erase(stitched.begin() + static_cast<long>(longJump));
    const std::string json = sim->Control("stitched");
    EXPECT_TRUE(InOrder(stitched, StitchedVertices(json))) << json;
    const Pts vertices = StitchedVertices(json);
    EXPECT_TRUE(InOrder({{2300, 1000 + 1000}, {2400, 2000}}, vertices)) << json;
}

TEST_F(StitchingRun, PauseAndResumeSendEveryPointOnce)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(40), 1, 1);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    AtViewEvent(30, [&] { OnBtnPauseToggled(true); });

    startButtonReleased();

    // Paused: the controller halted, stitching off, the thread button offered.
    EXPECT_EQ(runActive, 1);
    EXPECT_EQ(runCompleted, 0);
    EXPECT_TRUE(runWidgets.pauseToggle);
    EXPECT_TRUE(runWidgets.threadShown);
    EXPECT_TRUE(runWidgets.threadSensitive);
    EXPECT_EQ(SimController::Word(sim->Control("state"), "stitching"), "false");
    ASSERT_NE(fpTemp, nullptr);
    EXPECT_NE(fpTemp->next, nullptr) << "paused before the end";
    // The stored mask is the one on the screen: still the run's while paused.
    EXPECT_EQ(CurrentSensitivity(), kMaskStitching);

    onEvents = nullptr;
    OnBtnPauseToggled(false);

    EXPECT_EQ(runCompleted, 1);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
    EXPECT_EQ(CurrentSensitivity(), kMaskNormal);
    // The pointer left PAUSE each time it was pressed.
    EXPECT_EQ(ui->pointerMoves, std::vector<PointerMove>(2, PointerMove::OffRunButtons));
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    EXPECT_EQ(MovesAt(j, kPathSpeed), Streamed(preparedPath, nullptr, {}));
    EXPECT_TRUE(InOrder(preparedPath, StitchedVertices(sim->Control("stitched"))));
    // Stitching went off for the pause and on again for the rest.
    EXPECT_NE(j.shape.find("P+P-N+P"), std::string::npos) << j.shape;
}

TEST_F(StitchingRun, StopDuringTheLeadLineIsNoError)
{
    ASSERT_TRUE(StartSim());
    Place(kZigzag, 6, 6);  // far from the carriage: a long lead line
    ui->Expect(kStart, RESPONSE_OK);  // and nothing else
    int events = 0;
    onEvents = [&] {
        if (InRun() && ++events == 6)
            stopButtonReleased();
    };
    testing::internal::CaptureStdout();
    startButtonReleased();
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_NE(out.find("LL STOPPED"), std::string::npos);
    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
    EXPECT_EQ(ui->screens.back(), Screen::PatternView);
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    EXPECT_EQ(j.shape.find('K'), std::string::npos) << j.shape;
    EXPECT_EQ(j.shape.find('P'), std::string::npos) << j.shape;
    const std::string state = sim->Control("state");
    EXPECT_EQ(SimController::Number(state, "queued"), 0) << state;
}

TEST_F(StitchingRun, StopInTheMiddleLeavesTheMachineIdle)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(20), 1, 1);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    AtViewEvent(25, [&] { stopButtonReleased(); });
    startButtonReleased();

    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(runCompleted, 0);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
    EXPECT_EQ(ui->screens.back(), Screen::PatternView);
    EXPECT_FALSE(runWidgets.pauseExists);
    EXPECT_TRUE(runWidgets.stitchingSensitive);
    // Stitching off, and the needle raised once the machine stands.
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    const std::string end = j.shape.substr(j.shape.rfind('P') + 1);
    EXPECT_EQ(end, "!!-HDD!NHDD") << j.shape;
    usleep(100000);
    const std::string state = sim->Control("state");
    EXPECT_EQ(SimController::Word(state, "moving"), "false") << state;
    EXPECT_EQ(SimController::Word(state, "stitching"), "false") << state;
    EXPECT_EQ(SimController::Number(state, "queued"), 0) << state;
}

// --- The operator recovers from a thread break ------------------------------------------------

class ThreadBreak : public StitchingRun {
protected:
    // Runs until paused in the middle of a 40-tooth zigzag; the carriage is then pushed by
    // hand to `handAt` when the program asks for it.
    void PauseInTheMiddle(std::pair<float, float> handAt)
    {
        ASSERT_TRUE(StartSim());
        Place(LongZigzag(40), 1, 1);
        ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
        AtViewEvent(40, [&] { OnBtnPauseToggled(true); });
        onMessage = [this, handAt](const std::string& text) {
            if (text.rfind("MOVE YOUR MACHINE", 0) == 0)
                handAnswer = PushByHand(handAt);
        };
        startButtonReleased();
        onEvents = nullptr;
        ASSERT_TRUE(runWidgets.pauseToggle);
        journalBefore = sim->NewJournal();
    }
    // The axes are released by bytes still on their way down the line: push until they give.
    std::string PushByHand(std::pair<float, float> to)
    {
        std::string answer;
        for (int attempt = 0; attempt < 50; ++attempt) {
            answer = sim->Control("hand " + std::to_string(to.first) + " " + std::to_string(to.second));
            if (answer.rfind("ok", 0) == 0)
                break;
            usleep(20000);
        }
        return answer;
    }
    std::string handAnswer;
    std::vector<std::string> journalBefore;
};

TEST_F(ThreadBreak, RunResumesFromTheNearestPointAlreadySent)
{
    PauseInTheMiddle({2305, 2190});  // near (2300, 2200), the second tooth's top
    ui->Expect("MOVE YOUR MACHINE TO THE POINT WHERE THE THREAD BROKE AND PRESS OK.", RESPONSE_OK)
        .Expect("IS THIS WHERE YOU WANT TO RESTART?", RESPONSE_YES)
        .Expect("PULL UP THE BOBBIN THREAD.\nPRESS OK TO CONTINUE THE PATTERN.", RESPONSE_OK);

    OnBtnThreadClicked();

    EXPECT_EQ(handAnswer.rfind("ok", 0), 0u) << handAnswer;
    EXPECT_EQ(runCompleted, 1);
    const ReadJournal after = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    // Back to (2300, 2200), tied in there, and on from it to the end of the path.
    const Pts path = MovesAt(after, kPathSpeed);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), std::make_pair(2300.0f, 2200.0f));
    size_t from = 0;
    while (from < preparedPath.size() && preparedPath[from] != path.front())
        ++from;
    ASSERT_LT(from, preparedPath.size());
    Pts rest(preparedPath.begin() + static_cast<long>(from), preparedPath.end());
    rest.push_back(preparedPath.back());
    EXPECT_EQ(path, rest);
    EXPECT_EQ(MovesAt(after, 40, 30000).size(), 8u) << "tie-in after the break, tie-off at the end";
}

TEST_F(ThreadBreak, FailedLeadLineBackStopsTheRun)
{
    PauseInTheMiddle({2205, 2190});
    ui->Expect("MOVE YOUR MACHINE TO THE POINT WHERE THE THREAD BROKE AND PRESS OK.", RESPONSE_OK)
        .Expect("X MOTOR FAILURE", RESPONSE_OK);
    // The motor fails as soon as the program asks for the buffer on the way back.
    onMessage = [this](const std::string& text) {
        if (text.rfind("MOVE YOUR MACHINE", 0) == 0) {
            PushByHand({2205, 2190});
            sim->Control("error 1");
        }
    };

    OnBtnThreadClicked();

    // Nothing is left waiting: no bobbin question, the machine idle, the screen normal.
    EXPECT_EQ(runActive, 0);
    EXPECT_FALSE(runWidgets.pauseExists);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
    EXPECT_EQ(ui->screens.back(), Screen::PatternView);
    const ReadJournal after = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    EXPECT_EQ(after.shape.find('P'), std::string::npos) << after.shape;
    EXPECT_EQ(after.shape.find('K'), std::string::npos) << after.shape;
    const std::string state = sim->Control("state");
    EXPECT_EQ(SimController::Word(state, "stitching"), "false") << state;
    EXPECT_EQ(SimController::Number(state, "queued"), 0) << state;
}

// --- Controller faults ----------------------------------------------------------------------

TEST_F(StitchingRun, ErrorStatusStopsTheRunWithTheTextForItsCode)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(10), 1, 1);
    const std::vector<std::pair<int, std::string>> cases = {
        {-1, "MOTOR CONTROLLER HAS AN ERROR.\nUNABLE TO RETRIEVE"},
        {0, "MOTOR CONTROLLER HAD AN ERROR\nBUT IT HAS BEEN CLEARED"},
        {6, "Y MOTOR FAILURE\nSTITCH CONTROLLER GENERATED AN ERROR"},
        {9, "MOTOR CONTROLLER HAS UNKNOWN ERROR\n9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK).Expect(c.second, RESPONSE_OK);
        AtViewEvent(5, [&] { sim->Control("error " + std::to_string(c.first)); });
        startButtonReleased();
        EXPECT_EQ(runActive, 0);
        EXPECT_EQ(runCompleted, 0);
        EXPECT_EQ(ui->masks.back(), kMaskNormal);
        FreeStitchList();
    }
}

TEST_F(StitchingRun, RefusedAndUnansweredMovesAreSentAgainNothingSkipped)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(20), 1, 1);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    int eventsInView = 0;
    onEvents = [&] {
        if (InView()) {
            ++eventsInView;
            if (eventsInView == 3)
                sim->Control("nak 3");
            if (eventsInView == 60)
                sim->Control("drop 2");
        }
    };
    startButtonReleased();
    EXPECT_EQ(runCompleted, 1);

    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    int refused = 0;
    for (size_t i = 0; i < j.moves.size(); ++i) {
        if (j.moves[i].accepted || j.moves[i].speed != kPathSpeed)
            continue;
        ++refused;
        // The next move sent is the same point.
        ASSERT_LT(i + 1, j.moves.size());
        EXPECT_EQ(j.moves[i + 1].x_thou, j.moves[i].x_thou);
        EXPECT_EQ(j.moves[i + 1].y_thou, j.moves[i].y_thou);
    }
    EXPECT_EQ(refused, 3);
    // A move whose answer was lost was taken all the same and goes twice: the same place
    // twice in a row, never a point left out.
    Pts sent = MovesAt(j, kPathSpeed);
    Pts once;
    for (const auto& p : sent)
        if (once.empty() || once.back() != p)
            once.push_back(p);
    long lostMoveAnswers = 0;
    for (const std::string& e : j.entries)
        if (e.rfind("Move ", 0) == 0 && e.find("reply dropped") != std::string::npos)
            ++lostMoveAnswers;
    EXPECT_EQ(sent.size(), once.size() + 1 + static_cast<size_t>(lostMoveAnswers))
        << "each lost answer, and the last point's re-send";
    Pts expected = preparedPath;
    EXPECT_EQ(once, expected);
}

TEST_F(StitchingRun, StalledCarriageStopsTheRunWithoutAMessage)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(20), 1, 1);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    // The stall comes at the first pass of events on the stitching view: the buffer is full
    // and the controller still halted, so however slow this machine is, the path cannot be
    // over before the carriage sticks.
    AtViewEvent(1, [&] { ASSERT_EQ(sim->Control("stall on"), "ok"); });
    startButtonReleased();
    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(runCompleted, 0);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
    EXPECT_EQ(ui->screens.back(), Screen::PatternView);
}

TEST_F(StitchingRun, SilentLineStopsTheRunInsteadOfHanging)
{
    ASSERT_TRUE(StartSim());
    Place(LongZigzag(20), 1, 1);
    ui->Expect(kStart, RESPONSE_OK).Expect(kBobbin, RESPONSE_OK);
    // Silent from the first pass of events on the stitching view, before the controller is
    // resumed: the path cannot end before the line goes quiet.
    AtViewEvent(1, [&] { ASSERT_EQ(sim->Control("silent on"), "ok"); });
    startButtonReleased();
    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(runCompleted, 0);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
    sim->Control("silent off");
}

// --- Refusals at Start ----------------------------------------------------------------------

TEST_F(StitchingRun, EmptyBoxSendsOnlyTheStartByte)
{
    ASSERT_TRUE(StartSim());
    Place(kZigzag, 1, 1);
    CreatePatternBox();
    currentBox = 1;  // a second box without placements
    ui->Expect("PATTERN BOX IS EMPTY", RESPONSE_OK);
    runWidgets.stitchingToggle = false;
    startButtonReleased();
    EXPECT_EQ(sim->NewJournal(), std::vector<std::string>{"StartByte"});

    ui->Expect("PATTERN BOX IS EMPTY", RESPONSE_OK);
    runWidgets.stitchingToggle = true;
    startButtonReleased();
    EXPECT_EQ(sim->NewJournal(), (std::vector<std::string>{"StartByte", "GetStitcher -> 1"}));
    EXPECT_TRUE(ui->masks.empty());
}

TEST_F(StitchingRun, StitchControllerNotReadySwitchesStitchingOff)
{
    ASSERT_TRUE(StartSim({"--stitcher", "33"}));
    Place(kZigzag, 1, 1);
    ui->Expect("HANDLE BARS NOT IN ROBOT MODE", RESPONSE_OK);
    startButtonReleased();
    EXPECT_FALSE(runWidgets.stitchingToggle);
    EXPECT_EQ(sim->NewJournal(), (std::vector<std::string>{"StartByte", "GetStitcher -> 33"}));

    sim->Control("stitcher 7");
    ui->Expect("STITCH CONTROLLER NOT PRESENT", RESPONSE_OK);
    const int followed = ui->runWidgetChanges;
    menuRunStitching(true);
    EXPECT_FALSE(runWidgets.stitchingToggle);
    EXPECT_GT(ui->runWidgetChanges, followed) << "the toggle is shown off again";
    EXPECT_EQ(ui->pointerMoves, std::vector<PointerMove>{PointerMove::OffToolbar});
    EXPECT_TRUE(ui->masks.empty()) << "nothing started";
}

TEST_F(StitchingRun, SetStartWithNoPointPickedEndsIdle)
{
    ASSERT_TRUE(StartSim());
    Place(kZigzag, 1, 1);
    ui->Expect(kStart, RESPONSE_SET_START);
    startButtonReleased();
    EXPECT_EQ(ui->startPointPicks, 1);
    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(CurrentSensitivity(), kMaskNormal);
    EXPECT_EQ(MovesAt(Read(sim->NewJournal(), kLeadSpeed, kPathSpeed), kPathSpeed).size(), 0u);
}

// --- Lock stitches ------------------------------------------------------------------------

// The lock stitches at a cursor: which neighbour, which end first, and how a stitch is made.
TEST_F(StitchingRun, LockStitchesGoBetweenTheCursorAndTheRightNeighbour)
{
    ASSERT_TRUE(StartSim());
    stitchRep = 2;  // one pass: A, stitch, B, stitch
    FullPattern_t* first = AppendFullPatternPoint(nullptr, 1000, 1000, 0);
    FullPattern_t* sameX1 = AppendFullPatternPoint(first, 1000, 1040, 50);
    FullPattern_t* sameX2 = AppendFullPatternPoint(sameX1, 1000, 1080, 50);
    FullPattern_t* diagonal = AppendFullPatternPoint(sameX2, 1050, 1060, 50);
    FullPattern_t* before = AppendFullPatternPoint(diagonal, 2900, 1000, 50);
    FullPattern_t* repeat = AppendFullPatternPoint(before, 2900, 1000, 50);
    FullPattern_t* far = AppendFullPatternPoint(repeat, 3000, 1000, 0);
    interface_.stitchList = first;
    auto at = [](const FullPattern_t* p) { return std::make_pair(p->x, p->y); };
    struct Case {
        const char* what;
        FullPattern_t* cursor;
        Pts moves;
    };
    const std::vector<Case> cases = {
        {"first point: the next point elsewhere first", first, {at(sameX1), at(first)}},
        {"near the first, same X: the nearest earlier point elsewhere, cursor first", sameX2,
         {at(sameX2), at(sameX1)}},
        {"near the first, differing in X and Y: the first point, cursor first", diagonal,
         {at(diagonal), at(first)}},
        {"elsewhere: the nearest earlier point at another place first", far, {at(before), at(far)}},
        {"a repeated point is passed over", repeat, {at(diagonal), at(repeat)}},
    };
    sim->NewJournal();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fpTemp = c.cursor;
        LockStitch(0);
        const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
        EXPECT_EQ(MovesAt(j, 40, 30000), c.moves);
        EXPECT_EQ(j.shape, "KNKN");
    }

    // On the AR18 the stitch-regulator button is held through the pass instead.
    needleUpMethod = MACHINE_TYPE_AR18;
    needleUpTime = 10;
    fpTemp = far;
    LockStitch(0);
    std::vector<std::string> buttons;
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    for (const std::string& e : j.entries)
        if (e.rfind("Button", 0) == 0)
            buttons.push_back(e);
    EXPECT_EQ(j.shape, "KK");
    EXPECT_EQ(buttons, (std::vector<std::string>{"Button H 1", "Button H 0"}));

    // Nowhere else to go: no stitches at all.
    FullPattern_t* lone = AppendFullPatternPoint(nullptr, 500, 500, 0);
    AppendFullPatternPoint(lone, 500, 500, 0);
    FreeStitchList();
    interface_.stitchList = lone;
    fpTemp = lone;
    LockStitch(0);
    EXPECT_EQ(Read(sim->NewJournal(), kLeadSpeed, kPathSpeed).shape, "");
}
