// Capturing the quilting area and pattern boxes with mc1sim as the machine: the carriage is
// pushed by hand through the simulator's control socket, as the quilter pushes the head,
// and the taps go through the same steps as the screen's buttons.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "base/interface.h"
#include "base/sensitivity.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "machine/stitching_run.h"
#include "machine/test_run.h"
#include "app/main_menu.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"
#include "view/capture.h"

namespace {

using Corners = std::vector<std::pair<float, float>>;

Corners CornersOf(const PatternBox* box)
{
    Corners out;
    for (const BoxPoint* p = box ? box->corners : nullptr; p != nullptr; p = p->next)
        out.emplace_back(p->x, p->y);
    return out;
}

void ExpectCorners(const PatternBox* box, const Corners& expected)
{
    ASSERT_NE(box, nullptr);
    Corners got = CornersOf(box);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_EQ(box->cornerCount, int(expected.size()));
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].first, expected[i].first, 1e-4) << "corner " << i;
        EXPECT_NEAR(got[i].second, expected[i].second, 1e-4) << "corner " << i;
    }
}

// A simulator attached as the program's controller, with the machine handed over for
// pushing (as the capture screen does on entry).
struct Machine {
    Machine() : sim({"--time-scale", "20"})
    {
        if (!sim.ok()) return;
        open = OpenPort() >= 0;
        ReleaseMachineForCapture();
        // The hand pushes go through the control socket, which the simulator may read before
        // the release bytes on the line: push only once both axes are free.
        released = sim.WaitForState("x_driven", "false") && sim.WaitForState("y_driven", "false");
    }
    ~Machine() { ClosePort(); }
    // Pushes the carriage to (x, y) inches.
    void Push(double x, double y)
    {
        std::string answer = sim.Control("hand " + std::to_string(int(x * 1000 + 0.5)) + " " +
                                         std::to_string(int(y * 1000 + 0.5)));
        ASSERT_EQ(answer.rfind("ok", 0), 0u) << answer;
    }
    SimController sim;
    bool open = false;
    bool released = false;
};

#define START_MACHINE(m)                          \
    TempDir folder;                               \
    Machine m;                                    \
    ASSERT_TRUE(m.sim.ok()) << m.sim.problem();   \
    ASSERT_TRUE(m.open) << m.sim.ttyPath();       \
    ASSERT_TRUE(m.released);                      \
    homeMovedSinceArea = 0;                       \
    ResetLayout()

// A layout with a 60 x 40 area and one box, the state a box capture starts from.
void AreaWithOneBox()
{
    extents = new PatternBox();
    AddPatternBoxPoint(extents, 0, 0, 1, 0);
    AddPatternBoxPoint(extents, 60, 0, 0, 0);
    AddPatternBoxPoint(extents, 60, 40, 0, 0);
    AddPatternBoxPoint(extents, 0, 40, 0, 0);
    SetPatternBoxOrigin(extents);
    currentBox = CreatePatternBox();
    PatternBox* box = GetPatternBox(currentBox);
    AddPatternBoxPoint(box, 2, 14, 1, 0);
    AddPatternBoxPoint(box, 15, 14, 0, 0);
    AddPatternBoxPoint(box, 15, 2, 0, 0);
    AddPatternBoxPoint(box, 2, 2, 0, 0);
    SetPatternBoxOrigin(box);
}

const Corners kDefaultBox = {{2, 14}, {15, 14}, {15, 2}, {2, 2}};

size_t IndexOf(const std::vector<std::string>& journal, const std::string& entry)
{
    return size_t(std::find(journal.begin(), journal.end(), entry) - journal.begin());
}

}  // namespace

TEST(CaptureArea, ThreeCornersMakeTheAreaItsSizeMessageAndTheFirstBox)
{
    START_MACHINE(m);
    ScriptedUi ui;
    ui.Expect("TABLE WIDTH = 60.000 IN.\nTABLE HEIGHT = 40.000 IN.", RESPONSE_OK);

    // The head starts anywhere on the table; the first corner becomes the home.
    m.Push(12.5, 7.25);
    BeginCapture(CAPTURE_AREA);
    EXPECT_EQ(interface_.capturePrompt.value_or(""), capture_text::kAreaBackLeft);
    m.sim.NewJournal();
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_ADD), 0);
    EXPECT_EQ(interface_.capturePrompt.value_or(""), capture_text::kAreaBackRight);
    m.Push(60, 0);
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_ADD), 0);
    EXPECT_EQ(interface_.capturePrompt.value_or(""), capture_text::kAreaFrontRight);
    EXPECT_EQ(extents, nullptr);
    m.Push(60, 40);
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_ADD), 1);

    ExpectCorners(extents, {{0, 0}, {60, 0}, {60, 40}, {0, 40}});
    EXPECT_FLOAT_EQ(extents->originX, 0);
    EXPECT_FLOAT_EQ(extents->width, 60);
    EXPECT_FLOAT_EQ(extents->height, 40);

    // The first pattern box is the area itself, run the other way round.
    ASSERT_EQ(patternBoxList->count, 1);
    EXPECT_EQ(currentBox, 0);
    const PatternBox* box = GetPatternBox(0);
    ExpectCorners(box, {{0, 40}, {60, 40}, {60, 0}, {0, 0}});
    EXPECT_FLOAT_EQ(box->originX, 0);
    EXPECT_FLOAT_EQ(box->originY, 0);
    EXPECT_FLOAT_EQ(box->width, 60);
    EXPECT_FLOAT_EQ(box->height, 40);
    EXPECT_FLOAT_EQ(box->angle, 0);

    EXPECT_EQ(pbTemp, nullptr);
    ASSERT_FALSE(ui.screens.empty());
    EXPECT_EQ(ui.screens.back(), Screen::PatternView);
    ASSERT_FALSE(ui.masks.empty());
    EXPECT_EQ(ui.masks.back(), kMaskNormal);

    // The controller learnt the home at the first corner and the area at the third.
    std::vector<std::string> j = m.sim.NewJournal();
    size_t home = IndexOf(j, "SetHome"), clear = IndexOf(j, "ClearExtents"),
           set = IndexOf(j, "SetExtents");
    ASSERT_LT(set, j.size());
    EXPECT_LT(home, clear);
    EXPECT_LT(clear, set);
    EXPECT_EQ(std::count(j.begin(), j.end(), "SetHome"), 1);
}

TEST(CaptureArea, ANewAreaReplacesTheCurrentBoxAndKeepsItsPlacements)
{
    START_MACHINE(m);
    AreaWithOneBox();
    currentBox = CreatePatternBox();  // a second box, current
    AddPatternBoxPoint(GetPatternBox(1), 1, 1, 1, 0);
    ASSERT_NE(NewPatternLayoutNode(0, -1, 0, 1.5f, 2.5f), nullptr);
    ScriptedUi ui;
    ui.Expect("TABLE WIDTH = 30.000 IN.\nTABLE HEIGHT = 20.000 IN.", RESPONSE_OK);

    BeginCapture(CAPTURE_AREA);
    CaptureAreaAdd();
    m.Push(30, 0);
    CaptureAreaAdd();
    m.Push(30, 20);
    EXPECT_EQ(CaptureAreaAdd(), 1);

    ExpectCorners(extents, {{0, 0}, {30, 0}, {30, 20}, {0, 20}});
    ASSERT_EQ(patternBoxList->count, 2);
    ExpectCorners(GetPatternBox(0), kDefaultBox);
    ExpectCorners(GetPatternBox(1), {{0, 20}, {30, 20}, {30, 0}, {0, 0}});
    ASSERT_NE(patternLayout, nullptr);
    EXPECT_EQ(patternLayout->boxIndex, 1);
    EXPECT_FLOAT_EQ(patternLayout->x, 1.5f);
}

TEST(CaptureArea, RefusedCornersAndCancelChangeNothing)
{
    START_MACHINE(m);
    ScriptedUi ui;
    BeginCapture(CAPTURE_AREA);
    // Without an area Cancel has nowhere to go back to.
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_MIDDLE), 0);
    EXPECT_TRUE(ui.screens.empty());

    CaptureAreaAdd();
    m.Push(60, 30);
    // An unreadable position: the controller does not answer.
    ui.Expect(capture_text::kCommandFailed, RESPONSE_OK);
    ASSERT_EQ(m.sim.Control("drop 1"), "ok");
    EXPECT_EQ(CaptureAreaAdd(), 0);
    EXPECT_EQ(pbTemp->cornerCount, 1);
    EXPECT_EQ(interface_.capturePrompt.value_or(""), capture_text::kAreaBackRight);
    CaptureAreaAdd();

    // Front-right corner behind the back-right one: the front edge would cut the back edge.
    m.Push(40, 10);
    ui.Expect(capture_text::kBorderOverlap, RESPONSE_OK);
    EXPECT_EQ(CaptureAreaAdd(), 0);
    EXPECT_EQ(extents, nullptr);
    ExpectCorners(pbTemp, {{0, 0}, {60, 30}});

    // Corrected, the same entry goes on to an area.
    m.Push(60, 45);
    ui.ExpectContaining("TABLE WIDTH = 60.000 IN.", RESPONSE_OK);
    EXPECT_EQ(CaptureAreaAdd(), 1);
    ExpectCorners(extents, {{0, 0}, {60, 30}, {60, 45}, {0, 45}});

    // With an area, Cancel returns to the pattern view.
    BeginCapture(CAPTURE_AREA);
    ui.screens.clear();
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_MIDDLE), 1);
    ASSERT_EQ(ui.screens.size(), 1u);
    EXPECT_EQ(ui.screens[0], Screen::PatternView);
    ExpectCorners(extents, {{0, 0}, {60, 30}, {60, 45}, {0, 45}});
}

TEST(CaptureBox, ABaselineSpansARectangleUnlessItRunsAlongAnAxis)
{
    START_MACHINE(m);
    AreaWithOneBox();
    ScriptedUi ui;

    m.Push(10, 5);
    BeginCapture(CAPTURE_BOX);
    ExpectCorners(pbTemp, {{10, 5}});
    EXPECT_EQ(interface_.capturePolling, 1);
    EXPECT_EQ(CaptureTap(CAPTURE_BOX, CAPTURE_ADD), 0);
    EXPECT_EQ(interface_.capturePrompt.value_or(""), capture_text::kBoxNextPoint);
    m.Push(30, 25);
    EXPECT_EQ(CaptureTap(CAPTURE_BOX, CAPTURE_MIDDLE), 1);

    const PatternBox* box = GetPatternBox(currentBox);
    ExpectCorners(box, {{10, 5}, {10, 25}, {30, 25}, {30, 5}});
    EXPECT_FLOAT_EQ(box->originX, 10);
    EXPECT_FLOAT_EQ(box->originY, 5);
    EXPECT_FLOAT_EQ(box->width, 20);
    EXPECT_FLOAT_EQ(box->height, 20);
    EXPECT_FLOAT_EQ(box->angle, 0);
    EXPECT_EQ(interface_.capturePolling, 0);
    EXPECT_EQ(pbTemp, nullptr);
    EXPECT_EQ(ui.masks.back(), kMaskNormal);

    // Along X: refused, the box stays as it was.
    m.Push(10, 5);
    BeginCapture(CAPTURE_BOX);
    CaptureBoxPlus();
    m.Push(30, 5);
    ui.Expect("CANNOT CREATE PATTERN BOX WITH POINTS GIVEN. ABORTING.", RESPONSE_OK);
    EXPECT_EQ(CaptureBoxCheck(), 1);
    ExpectCorners(GetPatternBox(currentBox), {{10, 5}, {10, 25}, {30, 25}, {30, 5}});
    EXPECT_EQ(ui.screens.back(), Screen::PatternView);

    // Check with no point added: nothing to make a box of.
    BeginCapture(CAPTURE_BOX);
    ui.Expect("NO POINTS ADDED. ABORTING.", RESPONSE_OK);
    EXPECT_EQ(CaptureBoxCheck(), 1);
    ExpectCorners(GetPatternBox(currentBox), {{10, 5}, {10, 25}, {30, 25}, {30, 5}});
}

TEST(CaptureBox, ACrossingSideIsRefusedAndTheEntryGoesOn)
{
    START_MACHINE(m);
    AreaWithOneBox();
    ScriptedUi ui;

    m.Push(10, 10);
    BeginCapture(CAPTURE_BOX);
    CaptureBoxPlus();
    m.Push(10, 20);
    CaptureBoxPlus();
    m.Push(20, 20);
    CaptureBoxPlus();
    // From (20, 20) to (5, 15) cuts the first side.
    m.Push(5, 15);
    ui.Expect("PATTERN BOX LINES MAY NOT CROSS", RESPONSE_OK);
    EXPECT_EQ(CaptureBoxPlus(), 0);
    ExpectCorners(pbTemp, {{10, 10}, {10, 20}, {20, 20}, {5, 15}});  // the last one is live
    // Check at a crossing point is refused the same way.
    ui.Expect("PATTERN BOX LINES MAY NOT CROSS", RESPONSE_OK);
    EXPECT_EQ(CaptureBoxCheck(), 0);
    EXPECT_EQ(interface_.capturePolling, 1);

    m.Push(20, 10);
    EXPECT_EQ(CaptureBoxCheck(), 1);
    const PatternBox* box = GetPatternBox(currentBox);
    ExpectCorners(box, {{10, 10}, {10, 20}, {20, 20}, {20, 10}});
    EXPECT_FLOAT_EQ(box->originX, 10);
    EXPECT_FLOAT_EQ(box->width, 10);
    EXPECT_EQ(ui.masks.back(), kMaskNormal);
}

TEST(CaptureBox, AnUnreadablePositionIsReportedAndChangesNothing)
{
    START_MACHINE(m);
    AreaWithOneBox();
    ScriptedUi ui;
    m.Push(10, 10);
    BeginCapture(CAPTURE_BOX);
    CaptureBoxPlus();
    m.Push(12, 20);
    ASSERT_EQ(m.sim.Control("drop 1"), "ok");
    ui.Expect("COMMAND FAILED, PLEASE TRY AGAIN.", RESPONSE_OK);
    EXPECT_EQ(CaptureBoxPlus(), 0);
    ExpectCorners(pbTemp, {{10, 10}, {10, 10}});
    ASSERT_EQ(m.sim.Control("drop 1"), "ok");
    ui.Expect("COMMAND FAILED, PLEASE TRY AGAIN.", RESPONSE_OK);
    EXPECT_EQ(CaptureBoxCheck(), 0);
    EXPECT_EQ(interface_.capturePolling, 1);
    ExpectCorners(GetPatternBox(currentBox), kDefaultBox);

    // Cancel leaves the box alone and stops the poll.
    EXPECT_EQ(CaptureTap(CAPTURE_BOX, CAPTURE_RIGHT), 1);
    EXPECT_EQ(interface_.capturePolling, 0);
    ExpectCorners(GetPatternBox(currentBox), kDefaultBox);
    EXPECT_EQ(ui.screens.back(), Screen::PatternView);
}

TEST(CaptureBox, ThePollMovesTheLiveCornerAndDropsThePromptOnceTheHeadLeaves)
{
    START_MACHINE(m);
    AreaWithOneBox();
    ScriptedUi ui;
    m.Push(10, 10);
    BeginCapture(CAPTURE_BOX);

    // Before the first corner is fixed the whole entry (origin too) follows the head.
    m.Push(10.010, 10);
    EXPECT_EQ(CapturePollOnce(), 1);
    ExpectCorners(pbTemp, {{10.010f, 10}});
    EXPECT_FLOAT_EQ(pbTemp->originX, 10.010f);
    EXPECT_TRUE(interface_.capturePrompt.has_value()) << "0.01 inch keeps the prompt";
    m.Push(10.010, 10.025);
    CapturePollOnce();
    EXPECT_FALSE(interface_.capturePrompt.has_value()) << "0.025 inch further drops it";

    CaptureBoxPlus();
    EXPECT_TRUE(interface_.capturePrompt.has_value());
    m.Push(10.020, 18);
    CapturePollOnce();
    EXPECT_FALSE(interface_.capturePrompt.has_value());
    ExpectCorners(pbTemp, {{10.010f, 10.025f}, {10.020f, 18}});
    EXPECT_FLOAT_EQ(pbTemp->originX, 10.010f);  // fixed with the first corner

    // An unanswered poll changes nothing; a stopped poll does not even ask.
    ASSERT_EQ(m.sim.Control("drop 1"), "ok");
    m.Push(11, 19);
    EXPECT_EQ(CapturePollOnce(), 0);
    ExpectCorners(pbTemp, {{10.010f, 10.025f}, {10.020f, 18}});
    StopPositionPoll();
    m.sim.NewJournal();
    EXPECT_EQ(CapturePollOnce(), 0);
    EXPECT_TRUE(m.sim.NewJournal().empty());
}

// --- Outlines that must not be accepted, and taps that must change nothing ------------------

TEST(CaptureArea, CancelAfterTheHomeMovedAsksForTheAreaAgainAndNoRunStarts)
{
    START_MACHINE(m);
    AreaWithOneBox();
    ScriptedUi ui;
    m.Push(5, 5);
    BeginCapture(CAPTURE_AREA);
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_ADD), 0);  // the home is now (5, 5)
    EXPECT_EQ(homeMovedSinceArea, 1);

    // Cancel cannot go back to an area laid out from the old home.
    ui.Expect(capture_text::kHomeMoved, RESPONSE_OK);
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_MIDDLE), 0);
    ASSERT_NE(pbTemp, nullptr);
    EXPECT_EQ(pbTemp->cornerCount, 0);
    EXPECT_EQ(interface_.capturePrompt.value_or(""), capture_text::kAreaBackLeft);

    // Left through another screen anyway: Start refuses and nothing moves.
    Pattern* p = newPattern();
    addData(p, "pX0Y0", 1);
    addData(p, "pX1Y1", 1);
    StorePattern(0, p);
    NewPatternLayoutNode(0, -1, 0, 1, 1);
    m.sim.NewJournal();
    ui.Expect("THE MACHINE'S HOME HAS MOVED.\nSET THE QUILTING AREA AGAIN.", RESPONSE_OK);
    startButtonReleased();
    EXPECT_EQ(runActive, 0);
    EXPECT_TRUE(m.sim.NewJournal().empty());

    // A completed area is in the new frame: runs may start again.
    ui.Expect("TABLE WIDTH = 30.000 IN.\nTABLE HEIGHT = 20.000 IN.", RESPONSE_OK);
    m.Push(0, 0);
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_ADD), 0);
    m.Push(30, 0);
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_ADD), 0);
    m.Push(30, 20);
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_ADD), 1);
    EXPECT_EQ(homeMovedSinceArea, 0);
    ResetLayout();
}

TEST(CaptureArea, TheMovedHomeOutlivesARestartAndNoRunNorTestRunStarts)
{
    const std::string refusal = "THE MACHINE'S HOME HAS MOVED.\nSET THE QUILTING AREA AGAIN.";
    START_MACHINE(m);
    AreaWithOneBox();
    Pattern* p = newPattern();
    addData(p, "pX0Y0", 1);
    addData(p, "pX1Y1", 1);
    StorePattern(0, p);
    NewPatternLayoutNode(0, -1, 0, 1, 1);
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    ASSERT_FALSE(folder.Exists("home_moved"));
    m.Push(5, 5);
    BeginCapture(CAPTURE_AREA);
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_ADD), 0);  // the home is now (5, 5)
    EXPECT_EQ(folder.Read("home_moved"), "1\n");

    // The program ends here; the next one reads the mark before anything can start.
    homeMovedSinceArea = 0;
    EXPECT_EQ(LoadHomeMovedMark(), 1);
    EXPECT_EQ(homeMovedSinceArea, 1);
    m.sim.NewJournal();
    const size_t shown = ui.messages.size();
    ui.Expect(refusal, RESPONSE_OK);
    startButtonReleased();
    ui.Type("brindle").Expect(refusal, RESPONSE_OK);
    menuRunTest();
    EXPECT_EQ(runActive, 0);
    EXPECT_TRUE(m.sim.NewJournal().empty());
    EXPECT_EQ(std::vector<std::string>(ui.messages.begin() + shown, ui.messages.end()),
              (std::vector<std::string>{refusal, refusal}));

    // The completed area clears the mark and its file: the next start finds nothing.
    ui.Expect("TABLE WIDTH = 30.000 IN.\nTABLE HEIGHT = 20.000 IN.", RESPONSE_OK);
    m.Push(30, 0);
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_ADD), 0);
    m.Push(30, 20);
    EXPECT_EQ(CaptureTap(CAPTURE_AREA, CAPTURE_ADD), 1);
    EXPECT_FALSE(folder.Exists("home_moved"));
    EXPECT_EQ(LoadHomeMovedMark(), 0);

    // A mark that cannot be read is taken for a moved home, whatever it holds.
    for (const std::string& bytes : {std::string(), std::string("0\n"), std::string("\xff\x00garbage", 9)}) {
        folder.Write("home_moved", bytes);
        EXPECT_EQ(LoadHomeMovedMark(), 1) << bytes.size() << " bytes";
    }
    ASSERT_EQ(std::remove((folder / "home_moved").c_str()), 0);
    ASSERT_EQ(mkdir((folder / "home_moved").c_str(), 0700), 0);
    EXPECT_EQ(LoadHomeMovedMark(), 1) << "a folder in its place";
    testing::internal::GetCapturedStdout();
    homeMovedSinceArea = 0;
    ResetLayout();
}

TEST(CaptureBox, OutlinesThatCrossOrEncloseNothingAreRefused)
{
    START_MACHINE(m);
    AreaWithOneBox();
    ScriptedUi ui;
    struct Case {
        const char* what;
        Corners corners;
    };
    const Case cases[] = {
        {"a bow-tie", {{10, 10}, {20, 10}, {10, 20}, {20, 20}}},
        {"three corners in a line", {{10, 10}, {15, 10}, {20, 10}}},
        {"the closing side folds back along the first", {{10, 10}, {20, 10}, {20, 15}, {15, 10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BeginCapture(CAPTURE_BOX);
        for (size_t i = 0; i + 1 < c.corners.size(); ++i) {
            m.Push(c.corners[i].first, c.corners[i].second);
            CaptureBoxPlus();
        }
        m.Push(c.corners.back().first, c.corners.back().second);
        ui.Expect(capture_text::kBoxLinesCross, RESPONSE_OK);
        EXPECT_EQ(CaptureBoxCheck(), 0);
        EXPECT_EQ(interface_.capturePolling, 1) << "the capture goes on";
        ExpectCorners(GetPatternBox(currentBox), kDefaultBox);
        EXPECT_EQ(CaptureBoxCancel(), 1);
    }

    // A dented outline that crosses nothing is taken.
    BeginCapture(CAPTURE_BOX);
    const Corners dented = {{10, 10}, {10, 20}, {20, 22}, {15, 18}};
    for (size_t i = 0; i + 1 < dented.size(); ++i) {
        m.Push(dented[i].first, dented[i].second);
        CaptureBoxPlus();
    }
    m.Push(dented.back().first, dented.back().second);
    EXPECT_EQ(CaptureBoxCheck(), 1);
    ExpectCorners(GetPatternBox(currentBox), dented);
}

TEST(CaptureBox, ADoubleTapAddsNoCornerTwice)
{
    START_MACHINE(m);
    AreaWithOneBox();
    ScriptedUi ui;
    BeginCapture(CAPTURE_BOX);
    m.Push(10, 10);
    CaptureBoxPlus();
    CaptureBoxPlus();
    ExpectCorners(pbTemp, {{10, 10}, {10, 10}});  // one fixed, one live
    m.Push(10, 20);
    CaptureBoxPlus();
    m.Push(20, 20);
    CaptureBoxPlus();
    CaptureBoxPlus();
    EXPECT_EQ(CaptureBoxCheck(), 1);  // Check on the same spot finishes with what is fixed
    ExpectCorners(GetPatternBox(currentBox), {{10, 10}, {10, 20}, {20, 20}});
}

TEST(CaptureBox, AnAddedBoxLeftWithoutAnOutlineIsRemoved)
{
    START_MACHINE(m);
    AreaWithOneBox();
    ScriptedUi ui;
    currentBox = CreatePatternBox();  // two boxes, the second current
    PatternBox* second = GetPatternBox(currentBox);
    AddPatternBoxPoint(second, 20, 20, 1, 0);
    AddPatternBoxPoint(second, 30, 20, 0, 0);
    AddPatternBoxPoint(second, 30, 30, 0, 0);
    SetPatternBoxOrigin(second);
    currentBox = 0;

    menuMainPatternbox(1);  // Add Pattern Box: a stand-in box, current
    ASSERT_EQ(patternBoxList->count, 3);
    BeginCapture(CAPTURE_BOX);
    EXPECT_EQ(CaptureBoxCancel(), 1);
    EXPECT_EQ(patternBoxList->count, 2);
    EXPECT_EQ(currentBox, 0);
    ExpectCorners(GetPatternBox(0), kDefaultBox);

    menuMainPatternbox(1);
    BeginCapture(CAPTURE_BOX);
    m.Push(40, 30);
    ui.Expect(capture_text::kNoPointsAdded, RESPONSE_OK);
    EXPECT_EQ(CaptureBoxCheck(), 1);
    EXPECT_EQ(patternBoxList->count, 2);
    EXPECT_EQ(currentBox, 0);

    // Adjusting an existing box and cancelling keeps it.
    currentBox = 1;
    menuMainPatternbox(0);
    BeginCapture(CAPTURE_BOX);
    EXPECT_EQ(CaptureBoxCancel(), 1);
    EXPECT_EQ(patternBoxList->count, 2);
    EXPECT_EQ(currentBox, 1);
}

TEST(CaptureBox, ASilentControllerIsReportedOnceAndThePollGoesOn)
{
    START_MACHINE(m);
    AreaWithOneBox();
    ScriptedUi ui;
    m.Push(10, 10);
    BeginCapture(CAPTURE_BOX);
    ASSERT_EQ(m.sim.Control("silent on"), "ok");
    testing::internal::CaptureStdout();
    for (int poll = 0; poll < 3; ++poll)
        EXPECT_EQ(CapturePollOnce(), 0);
    ASSERT_EQ(m.sim.Control("silent off"), "ok");
    m.Push(11, 10);
    EXPECT_EQ(CapturePollOnce(), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    size_t said = 0;
    for (size_t at = out.find("the controller does not answer"); at != std::string::npos;
         at = out.find("the controller does not answer", at + 1))
        ++said;
    EXPECT_EQ(said, 1u) << out;
    EXPECT_NE(out.find("the controller answers again"), std::string::npos) << out;
    ExpectCorners(pbTemp, {{11, 10}});
    EXPECT_EQ(interface_.capturePolling, 1);
    CaptureBoxCancel();
}
