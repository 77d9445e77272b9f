// Trace mode against mc1sim: Free Motion frees the head, the head is pushed (or glides) by
// hand through the simulator's control socket between readings, and the recording is
// judged point by point, then saved and read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "app/interface.h"
#include "app/main_menu.h"
#include "app/sensitivity.h"
#include "machine/serial.h"
#include "machine/trace.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"

namespace {

using Pts = std::vector<std::pair<float, float>>;

class TraceSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLayout();
        extents = new PatternBox();
        AddPatternBoxPoint(extents, 0, 0, 1, 0);
        AddPatternBoxPoint(extents, 0, 20, 0, 0);
        AddPatternBoxPoint(extents, 20, 20, 0, 0);
        AddPatternBoxPoint(extents, 20, 0, 0, 0);
        SetPatternBoxOrigin(extents);
        uiHooks.runPendingEvents = [this] {
            ++passes;
            if (onEvents) onEvents();
        };
    }
    void TearDown() override
    {
        onEvents = nullptr;
        ClosePort();
        BeginTraceScreen();
        ResetLayout();
    }
    // mc1sim at `scale` times real time, the line open and trace mode entered.
    bool Enter(const char* scale)
    {
        sim = std::make_unique<SimController>(std::vector<std::string>{"--time-scale", scale});
        if (!sim->ok()) {
            ADD_FAILURE() << sim->problem();
            return false;
        }
        if (OpenPort() < 0) {
            ADD_FAILURE() << "cannot open " << sim->ttyPath();
            return false;
        }
        menuMainTraceMode();
        EXPECT_EQ(ui.screens.back(), Screen::Trace);
        EXPECT_EQ(CurrentSensitivity(), NavigationMask());
        BeginTraceScreen();  // what building the screen does
        sim->NewJournal();
        passes = 0;
        return true;
    }
    void Push(const std::string& how)
    {
        const std::string answer = sim->Control(how);
        ASSERT_EQ(answer.rfind("ok", 0), 0u) << how << ": " << answer;
    }
    static Pts Points(const Pattern* p)
    {
        Pts pts;
        for (int i = 0; p != nullptr && i < p->pointCount; ++i)
            pts.emplace_back(p->pointX[i], p->pointY[i]);
        return pts;
    }
    // The latest recorded point, in thousandths.
    static std::pair<long, long> Last()
    {
        const Pattern* p = tmpPattern;
        if (p == nullptr || p->pointCount == 0) return {-1, -1};
        return {std::lround(p->pointX[p->pointCount - 1] * 1000),
                std::lround(p->pointY[p->pointCount - 1] * 1000)};
    }

    TempDir dir;
    ScriptedUi ui;
    std::unique_ptr<SimController> sim;
    std::function<void()> onEvents;
    int passes = 0;
};

}  // namespace

TEST_F(TraceSim, HandMovedRoundASquareBetweenReadingsIsRecordedExactlyAndSaved)
{
    ASSERT_TRUE(Enter("1"));
    const std::vector<std::string> moves = {"hand 1000 0", "hand 1000 1000", "hand 0 1000",
                                            "hand 0 0"};
    size_t next = 0;
    onEvents = [&] {
        if (passes == 1) return;  // before the first reading: the head stands at home
        if (next < moves.size())
            Push(moves[next++]);
        else
            traceWidgets.startActive = false;
    };
    EXPECT_EQ(RecordTrace(), 5);
    EXPECT_EQ(Points(tmpPattern), (Pts{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}}))
        << "the first reading is a point, also at home";

    dir.Write("patterns/.keep", "");
    ui.Type("./patterns/sq");
    EXPECT_EQ(OnBtnSaveClicked(), 1);
    Pattern* back = newPattern("./patterns/sq.qcc");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->pointCount, 5);
    EXPECT_FLOAT_EQ(back->width, 1);
    EXPECT_FLOAT_EQ(back->height, 1);
    erasePattern(back);
}

TEST_F(TraceSim, GlidingRoundASquareRecordsPointsOnItsSidesInOrder)
{
    ASSERT_TRUE(Enter("1"));
    const std::vector<std::pair<long, long>> corners = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}};
    size_t side = 0;
    onEvents = [&] {
        if (side < 4 && Last() == corners[side]) {
            ++side;
            Push("glide " + std::to_string(corners[side].first) + " " +
                 std::to_string(corners[side].second) + " 500");
        } else if (side == 4 && Last() == corners[4]) {
            traceWidgets.startActive = false;
        } else if (passes > 2000) {
            ADD_FAILURE() << "the glide never arrived";
            traceWidgets.startActive = false;
        }
    };
    RecordTrace();
    const Pts pts = Points(tmpPattern);
    ASSERT_GE(pts.size(), 5u);
    // Each point lies on a side; sides are visited in order; some points lie between corners.
    int sideOf = 0, between = 0;
    for (const auto& p : pts) {
        const long x = std::lround(p.first * 1000), y = std::lround(p.second * 1000);
        auto onSide = [&](int s) {
            switch (s) {
            case 0: return std::labs(y) <= 1 && x >= -1 && x <= 1001;
            case 1: return std::labs(x - 1000) <= 1 && y >= -1 && y <= 1001;
            case 2: return std::labs(y - 1000) <= 1 && x >= -1 && x <= 1001;
            default: return std::labs(x) <= 1 && y >= -1 && y <= 1001;
            }
        };
        while (sideOf < 4 && !onSide(sideOf)) ++sideOf;
        ASSERT_LT(sideOf, 4) << "off the square or out of order at " << x << "," << y;
        const bool corner = (std::labs(x) <= 1 || std::labs(x - 1000) <= 1) &&
                            (std::labs(y) <= 1 || std::labs(y - 1000) <= 1);
        between += corner ? 0 : 1;
    }
    EXPECT_EQ(sideOf, 3) << "went all the way round";
    EXPECT_GE(between, 4) << "points between the corners";
}

TEST_F(TraceSim, AStandingMachineGivesOnePointAndStopActsWithinOneUnansweredReading)
{
    ASSERT_TRUE(Enter("1"));
    onEvents = [&] {
        if (passes > 10) traceWidgets.startActive = false;
    };
    EXPECT_EQ(RecordTrace(), 1);
    ui.Expect("NOTHING HAS BEEN RECORDED.", RESPONSE_OK);
    EXPECT_EQ(OnBtnSaveClicked(), 0);

    // Five readings will go unanswered; Stop is pressed after the first.
    Push("drop-xy 5");
    sim->NewJournal();
    passes = 0;
    onEvents = [&] {
        if (passes == 2) traceWidgets.startActive = false;
    };
    EXPECT_EQ(RecordTrace(), 0);
    const std::vector<std::string> journal = sim->NewJournal();
    EXPECT_EQ(std::count_if(journal.begin(), journal.end(),
                            [](const std::string& e) { return e.rfind("GetXY", 0) == 0; }),
              1)
        << "no reading after Stop";
    EXPECT_TRUE(ui.messages.size() == 1) << "no abort message for one failure";
}
