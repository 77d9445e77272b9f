// Trace mode against mc1sim: Free Motion frees the head, which is pushed (or glides) by hand
// through the simulator's control socket between readings.
#include <gtest/gtest.h>

#include <cmath>

#include "app/main_menu.h"
#include "base/sensitivity.h"
#include "machine/serial.h"
#include "machine/trace.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"
#include "patterns/navigation_mask.h"

namespace {

using Thou = std::pair<long, long>;

class TraceSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLayout();
        extents = new PatternBox();
        for (auto [x, y] : {Thou{0, 0}, {0, 20}, {20, 20}, {20, 0}})
            AddPatternBoxPoint(extents, float(x), float(y), x == 0 && y == 0, 0);
        SetPatternBoxOrigin(extents);
        uiHooks.runPendingEvents = [this] {
            ++passes;
            if (onEvents) onEvents();
        };
        ASSERT_TRUE(sim.ok()) << sim.problem();
        ASSERT_GE(OpenPort(), 0);
        menuMainTraceMode();
        EXPECT_EQ(ui.screens.back(), Screen::Trace);
        EXPECT_EQ(CurrentSensitivity(), NavigationMask());
        BeginTraceScreen();
    }
    void TearDown() override
    {
        ClosePort();
        BeginTraceScreen();
        ResetLayout();
    }
    void Do(const std::string& command) { ASSERT_EQ(sim.Control(command).rfind("ok", 0), 0u) << command; }
    std::vector<Thou> Points() const
    {
        std::vector<Thou> pts;
        for (int i = 0; tmpPattern != nullptr && i < tmpPattern->pointCount; ++i)
            pts.emplace_back(std::lround(tmpPattern->pointX[i] * 1000), std::lround(tmpPattern->pointY[i] * 1000));
        return pts;
    }

    TempDir dir;
    ScriptedUi ui;
    SimController sim{{"--time-scale", "1"}};
    std::function<void()> onEvents;
    int passes = 0;
};

const std::vector<Thou> kSquare = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}};

}  // namespace

TEST_F(TraceSim, HandMovedRoundASquareIsRecordedExactlyAndSavedAndGlidesStayOnIt)
{
    size_t corner = 0;
    onEvents = [&] {
        if (passes == 1) return;  // before the first reading: the head stands at home
        if (++corner < kSquare.size())
            Do("hand " + std::to_string(kSquare[corner].first) + " " + std::to_string(kSquare[corner].second));
        else
            traceWidgets.startActive = false;
    };
    EXPECT_EQ(RecordTrace(), 5);
    EXPECT_EQ(Points(), kSquare) << "the first reading is a point, also at home";
    dir.Write("patterns/.keep", "");
    ui.Type("./patterns/sq");
    EXPECT_EQ(OnBtnSaveClicked(), 1);
    Pattern* back = newPattern("./patterns/sq.qcc");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->pointCount, 5);
    EXPECT_FLOAT_EQ(back->width, 1);
    EXPECT_FLOAT_EQ(back->height, 1);
    erasePattern(back);

    // Gliding along each side: every point on the square, the sides in order, and points
    // between the corners.
    size_t side = 0;
    onEvents = [&] {
        if (passes > 3000) {
            ADD_FAILURE() << "the glide never arrived";
            traceWidgets.startActive = false;
        }
        const auto pts = Points();
        if (pts.empty() || pts.back() != kSquare[side]) return;
        if (++side < kSquare.size())
            Do("glide " + std::to_string(kSquare[side].first) + " " + std::to_string(kSquare[side].second) + " 500");
        else
            traceWidgets.startActive = false;
    };
    passes = 0;
    RecordTrace();
    EXPECT_EQ(side, kSquare.size());
    size_t on = 0;
    int between = 0;
    for (const Thou& p : Points()) {
        auto onSide = [&](size_t s) {
            const Thou a = kSquare[s], b = kSquare[s + 1];
            const bool vertical = a.first == b.first;
            const long across = vertical ? p.first - a.first : p.second - a.second;
            const long along = vertical ? p.second : p.first;
            const long lo = vertical ? std::min(a.second, b.second) : std::min(a.first, b.first);
            const long hi = vertical ? std::max(a.second, b.second) : std::max(a.first, b.first);
            return std::labs(across) <= 1 && along >= lo - 1 && along <= hi + 1;
        };
        while (on < 4 && !onSide(on)) ++on;
        ASSERT_LT(on, 4u) << "off the square or out of order at " << p.first << "," << p.second;
        between += (p.first % 1000 != 0 || p.second % 1000 != 0);
    }
    EXPECT_GE(between, 4);
}

TEST_F(TraceSim, AStandingMachineGivesOnePointAndStopActsWithinOneUnansweredReading)
{
    onEvents = [&] { if (passes > 10) traceWidgets.startActive = false; };
    EXPECT_EQ(RecordTrace(), 1);

    Do("drop-xy 5");
    sim.NewJournal();
    passes = 0;
    onEvents = [&] { if (passes == 2) traceWidgets.startActive = false; };
    EXPECT_EQ(RecordTrace(), 0);
    const auto journal = sim.NewJournal();
    EXPECT_EQ(std::count_if(journal.begin(), journal.end(), [](const std::string& e) { return e.rfind("GetXY", 0) == 0; }), 1)
        << "no reading after Stop";
    EXPECT_TRUE(ui.messages.empty());
}
