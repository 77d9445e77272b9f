// Nest against mc1sim: the quilter pushes the free head to each mark by hand between the
// questions, the box is found again one strip on and turned to match, and the fine-tune
// dialog's movement moves it further. Failures leave the box where it was.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/nesting.h"
#include "app/undo.h"
#include "base/ui_hooks.h"
#include "machine/serial.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"

namespace {

using Pts = std::vector<std::pair<float, float>>;
const char* const kComm = "COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN.";

class Nest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Write("tmp/.keep", "");  // the undo snapshot's folder
        ResetLayout();
        extents = Box(new PatternBox(), {{0, 0}, {0, 40}, {40, 40}, {40, 0}});
        currentBox = CreatePatternBox();
        Box(GetPatternBox(currentBox), {{2, 3}, {2, 11}, {12, 11}, {12, 3}});
        Pattern* p = newPattern();
        p->pointX = {0, 4, 4, 0};
        p->pointY = {0, 0, 2, 2};
        p->pointCount = 4;
        UpdatePatternSize(p);
        StorePattern(0, p);
        NewPatternLayoutNode(0, -1, 0, 3, 3);

        ResetUiHooks();
        uiHooks.showMessage = [this](int, int, const std::string& text) {
            messages.push_back(text);
            if (text.rfind("MOVE THE MACHINE", 0) == 0) {
                Released();
                if (next < marks.size())
                    Hand(marks[next].first, marks[next].second), ++next;
            }
            return int(messages.size()) == cancelAt ? int(RESPONSE_CANCEL) : int(RESPONSE_OK);
        };
        uiHooks.selectPosition = [this] { Released(); };
        uiHooks.nestFineTune = [this] {
            Released();
            const std::string s = sim->Control("state");
            Hand(SimController::Number(s, "x") + 250, SimController::Number(s, "y") - 100);
            NestTrackTick();                // the dialog saw the push ...
            sim->Control("drop-xy 1");      // ... but the last reading on OK goes unanswered
            return fineTuneAnswer;
        };
        sim = std::make_unique<SimController>();
        ASSERT_TRUE(sim->ok()) << sim->problem();
        OpenPort();
        ASSERT_GE(sp, 0);
    }
    void TearDown() override { ResetUiHooks(); }

    static PatternBox* Box(PatternBox* box, const Pts& corners)
    {
        for (auto [x, y] : corners)
            AddPatternBoxPoint(box, x, y, 0, 0);
        return SetPatternBoxOrigin(box), box;
    }
    // The head is pushed only when both axes are free.
    void Released()
    {
        ++handSteps;
        EXPECT_TRUE(sim->WaitForState("x_driven", "false")) << messages.back();
        EXPECT_TRUE(sim->WaitForState("y_driven", "false")) << messages.back();
    }
    void Hand(double x, double y)
    {
        const std::string a = sim->Control("hand " + std::to_string(long(x)) + " " +
                                           std::to_string(long(y)));
        EXPECT_EQ(a.rfind("ok", 0), 0u) << a;
    }
    // Origin, centre and every corner of the current box.
    static std::vector<float> Where()
    {
        const PatternBox* b = GetPatternBox(currentBox);
        std::vector<float> out{b->originX, b->originY, b->centerX, b->centerY};
        for (const BoxPoint* c = b->corners; c != nullptr; c = c->next)
            out.insert(out.end(), {c->x, c->y});
        return out;
    }
    void ExpectMovedBy(const std::vector<float>& before, float dx, float dy)
    {
        const std::vector<float> after = Where();
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i)
            EXPECT_NEAR(after[i], before[i] + (i % 2 == 0 ? dx : dy), 1e-4) << i;
    }

    TempDir dir;
    std::unique_ptr<SimController> sim;
    std::vector<std::string> messages;
    Pts marks{{1000, 2000}, {31000, 2000}, {1500, 14000}, {31500, 14000}};
    size_t next = 0;
    int cancelAt = -1;
    int fineTuneAnswer = RESPONSE_OK;
    int handSteps = 0;  // four marks, the position dialog and the fine-tune
};

}  // namespace

TEST_F(Nest, FindsTheBoxOneStripOnAndFineTunesIt)
{
    const std::vector<float> before = Where();
    EXPECT_EQ(NestingDialog(), RESPONSE_OK);
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "MOVE THE MACHINE TO THE LOWER LEFT CORNER OF YOUR QUILTING AREA.",
                            "MARK THIS LOCATION.",
                            "MOVE THE MACHINE TO THE LOWER RIGHT CORNER OF YOUR QUILTING AREA.",
                            "MARK THIS LOCATION.", "YOU MAY NOW ROLL THE QUILT.",
                            "MOVE THE MACHINE TO YOUR FIRST MARK.",
                            "MOVE THE MACHINE TO YOUR SECOND MARK."}));
    EXPECT_EQ(handSteps, 6);
    // +(0.5, 12 + 8) for the marks, +(0.25, -0.1) for the fine-tune: origin (2.75, 22.9).
    ExpectMovedBy(before, 0.75f, 19.9f);
    EXPECT_EQ(patternLayout->x, 3);  // nothing turned
    EXPECT_EQ(patternLayout->y, 3);

    // NESTING closed without a tap: its response, and no fine-tune.
    messages.clear();
    next = 0;
    fineTuneAnswer = RESPONSE_DELETE;
    const std::vector<float> second = Where();
    EXPECT_EQ(NestingDialog(), RESPONSE_DELETE);
    ExpectMovedBy(second, 0.5f, 20.0f);
}

TEST_F(Nest, ATurnedQuiltTurnsTheBoxContentsAndOneUndoTakesItAllBack)
{
    marks[3] = {31500, 14300};
    const std::vector<float> before = Where();
    testing::internal::CaptureStdout();
    EXPECT_EQ(NestingDialog(), RESPONSE_OK);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("New Rotation: 0.010 rad.\nDifference: -0.010 rad.\n"), std::string::npos)
        << out;
    // A 4 x 2 rectangle turned by 0.01 rad is a little wider than before.
    EXPECT_NEAR(GetPattern(0)->width, 4 * std::cos(0.01) + 2 * std::sin(0.01), 1e-3);
    RestoreUndoFile();
    EXPECT_EQ(Where(), before);
    EXPECT_NEAR(GetPattern(patternLayout->patternIndex)->width, 4, 1e-5);
}

TEST_F(Nest, FailuresAndCancelLeaveTheBoxAlone)
{
    const std::vector<float> before = Where();
    for (cancelAt = 1; cancelAt <= 7; ++cancelAt) {
        messages.clear();
        next = 0;
        EXPECT_EQ(NestingDialog(), -1) << cancelAt;
        EXPECT_EQ(int(messages.size()), cancelAt);
        EXPECT_EQ(Where(), before) << cancelAt;
    }
    cancelAt = -1;

    // No answer at the second reading; then two marks in the same place (nobody pushes).
    uiHooks.showMessage = [this, first = true](int, int, const std::string& text) mutable {
        messages.push_back(text);
        if (text == "MOVE THE MACHINE TO THE LOWER RIGHT CORNER OF YOUR QUILTING AREA." && first)
            first = false, sim->Control("drop-xy 1");
        return int(RESPONSE_OK);
    };
    EXPECT_EQ(NestingDialog(), -90);
    EXPECT_EQ(messages.back(), kComm);
    EXPECT_EQ(NestingDialog(), -90);
    EXPECT_EQ(messages.back(), "THE MARKS ARE TOO CLOSE TOGETHER.\nPLEASE TRY AGAIN.");
    ClosePort();  // no position is not (0, 0)
    EXPECT_EQ(NestingDialog(), -90);
    EXPECT_EQ(messages.back(), kComm);
    EXPECT_EQ(Where(), before);

    // An empty box is refused before any question.
    RemoveLayoutNode(patternLayout);
    messages.clear();
    EXPECT_EQ(NestingDialog(), -90);
    EXPECT_EQ(messages, std::vector<std::string>{"PATTERN BOX IS EMPTY"});
}
