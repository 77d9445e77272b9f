// Nest against mc1sim: the quilter pushes the free head to each mark by hand between the
// questions, the box is found again one strip on and turned to match, and the fine-tune
// dialog's movement moves it further. Failures leave the box where it was.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/nesting.h"
#include "app/undo.h"
#include "base/interface.h"
#include "base/ui_hooks.h"
#include "machine/serial.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"

namespace {

using Pts = std::vector<std::pair<long, long>>;

const char* const kEmpty = "PATTERN BOX IS EMPTY";
const char* const kComm = "COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN.";
const char* const kClose = "THE MARKS ARE TOO CLOSE TOGETHER.\nPLEASE TRY AGAIN.";

class Nest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Write("tmp/.keep", "");
        ResetLayout();
        extents = new PatternBox();
        for (auto [x, y] : std::vector<std::pair<float, float>>{{0, 0}, {0, 40}, {40, 40}, {40, 0}})
            AddPatternBoxPoint(extents, x, y, 0, 0);
        SetPatternBoxOrigin(extents);
        currentBox = CreatePatternBox();
        for (auto [x, y] : std::vector<std::pair<float, float>>{{2, 3}, {2, 11}, {12, 11}, {12, 3}})
            AddPatternBoxPoint(GetPatternBox(currentBox), x, y, 0, 0);
        SetPatternBoxOrigin(GetPatternBox(currentBox));
        Pattern* p = newPattern();
        for (auto [x, y] : std::vector<std::pair<float, float>>{{0, 0}, {4, 0}, {4, 2}, {0, 2}}) {
            p->pointX.push_back(x);
            p->pointY.push_back(y);
        }
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
                    Hand(marks[next++]);
            }
            return int(messages.size()) == cancelAt ? int(RESPONSE_CANCEL) : int(RESPONSE_OK);
        };
        uiHooks.selectPosition = [this] { Released(); ++positionDialogs; };
        uiHooks.nestFineTune = [this] {
            Released();
            const std::string s = sim->Control("state");
            Hand({long(SimController::Number(s, "x")) + tuneX,
                  long(SimController::Number(s, "y")) + tuneY});
            return int(RESPONSE_OK);
        };
    }
    void TearDown() override
    {
        ResetUiHooks();
        sim.reset();
    }
    bool StartSim()
    {
        sim = std::make_unique<SimController>();
        if (!sim->ok())
            return false;
        OpenPort();
        return sp >= 0;
    }
    // The head is pushed only when both axes are free.
    void Released()
    {
        ++handSteps;
        EXPECT_TRUE(sim->WaitForState("x_driven", "false")) << messages.back();
        EXPECT_TRUE(sim->WaitForState("y_driven", "false")) << messages.back();
    }
    void Hand(std::pair<long, long> at)
    {
        const std::string a =
            sim->Control("hand " + std::to_string(at.first) + " " + std::to_string(at.second));
        EXPECT_EQ(a.rfind("ok", 0), 0u) << a;
    }
    static std::vector<float> Corners()
    {
        const PatternBox* b = GetPatternBox(currentBox);
        std::vector<float> out{b->originX, b->originY, b->centerX, b->centerY};
        for (const BoxPoint* c = b->corners; c != nullptr; c = c->next) {
            out.push_back(c->x);
            out.push_back(c->y);
        }
        return out;
    }

    TempDir dir;
    std::unique_ptr<SimController> sim;
    std::vector<std::string> messages;
    Pts marks{{1000, 2000}, {31000, 2000}, {1500, 14000}, {31500, 14000}};
    size_t next = 0;
    int cancelAt = -1;
    long tuneX = 250, tuneY = -100;
    int handSteps = 0;
    int positionDialogs = 0;
};

}  // namespace

TEST_F(Nest, FindsTheBoxOneStripOnAndFineTunesIt)
{
    ASSERT_TRUE(StartSim()) << sim->problem();
    const std::vector<float> before = Corners();
    EXPECT_EQ(NestingDialog(), RESPONSE_OK);
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "MOVE THE MACHINE TO THE LOWER LEFT CORNER OF YOUR QUILTING AREA.",
                            "MARK THIS LOCATION.",
                            "MOVE THE MACHINE TO THE LOWER RIGHT CORNER OF YOUR QUILTING AREA.",
                            "MARK THIS LOCATION.", "YOU MAY NOW ROLL THE QUILT.",
                            "MOVE THE MACHINE TO YOUR FIRST MARK.",
                            "MOVE THE MACHINE TO YOUR SECOND MARK."}));
    EXPECT_EQ(handSteps, 6);
    EXPECT_EQ(positionDialogs, 1);
    // +(0.5, 12 + 8) for the marks, +(0.25, -0.1) for the fine-tune.
    const std::vector<float> after = Corners();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_NEAR(after[i], before[i] + (i % 2 == 0 ? 0.75f : 19.9f), 1e-4) << i;
    EXPECT_NEAR(after[0], 2.75, 1e-4);
    EXPECT_NEAR(after[1], 22.9, 1e-4);
    // Nothing turned: the placement is where it was in its box.
    EXPECT_EQ(patternLayout->x, 3);
    EXPECT_EQ(patternLayout->y, 3);
}

TEST_F(Nest, ATurnedQuiltTurnsTheBoxContentsAndOneUndoTakesItAllBack)
{
    ASSERT_TRUE(StartSim()) << sim->problem();
    marks[3] = {31500, 14300};
    tuneX = tuneY = 0;
    const std::vector<float> before = Corners();
    testing::internal::CaptureStdout();
    EXPECT_EQ(NestingDialog(), RESPONSE_OK);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Difference: -0.010 rad.\n"), std::string::npos) << out;
    EXPECT_NE(out.find("rolled 12.000 inches and has an x offset of 0.500 inches"), std::string::npos);
    const Pattern* p = GetPattern(0);
    // A 4 x 2 rectangle turned by 0.01 rad is a little larger than before.
    EXPECT_NEAR(p->width, 4 * std::cos(0.01) + 2 * std::sin(0.01), 1e-3);
    EXPECT_NEAR(Corners()[0], before[0] + 0.5, 1e-4);

    RestoreUndoFile();
    EXPECT_EQ(Corners(), before);
    EXPECT_NEAR(GetPattern(patternLayout->patternIndex)->width, 4, 1e-5);
}

TEST_F(Nest, FailuresAndCancelLeaveTheBoxAlone)
{
    ASSERT_TRUE(StartSim()) << sim->problem();
    const std::vector<float> before = Corners();
    // Cancel at each of the seven questions.
    for (int q = 1; q <= 7; ++q) {
        messages.clear();
        next = 0;
        cancelAt = q;
        EXPECT_EQ(NestingDialog(), -1) << q;
        EXPECT_EQ(int(messages.size()), q);
        EXPECT_EQ(Corners(), before) << q;
    }
    cancelAt = -1;

    // No answer at the second reading, then two marks in the same place.
    messages.clear();
    next = 0;
    marks = {{1000, 2000}, {1000, 2000}};
    uiHooks.showMessage = [this, first = true](int, int, const std::string& text) mutable {
        messages.push_back(text);
        if (text == "MOVE THE MACHINE TO THE LOWER RIGHT CORNER OF YOUR QUILTING AREA." && first) {
            first = false;
            sim->Control("drop-xy 1");
        }
        return int(RESPONSE_OK);
    };
    EXPECT_EQ(NestingDialog(), -90);
    EXPECT_EQ(messages.back(), kComm);
    EXPECT_EQ(NestingDialog(), -90);
    EXPECT_EQ(messages.back(), kClose);
    EXPECT_EQ(Corners(), before);

    // The port closed: no position is (0, 0).
    ClosePort();
    EXPECT_EQ(NestingDialog(), -90);
    EXPECT_EQ(messages.back(), kComm);
    EXPECT_EQ(Corners(), before);

    // An empty box is refused before any question.
    RemoveLayoutNode(patternLayout);
    messages.clear();
    EXPECT_EQ(NestingDialog(), -90);
    EXPECT_EQ(messages, std::vector<std::string>{kEmpty});
}
