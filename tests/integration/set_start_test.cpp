// SET START against mc1sim: the operator pushes the free head beside a point of the
// prepared path and taps OK; the run starts there. corvan-tool's --start-near must start at
// the same point. The dialog is stood in for by a function that pushes the head.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "base/sensitivity.h"
#include "base/interface.h"
#include "machine/point_select.h"
#include "machine/serial.h"
#include "machine/stitching_run.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern_box.h"
#include "run_fixture.h"
#include "support/tool_run.h"

using namespace runtest;

namespace {

const Pts kZigzag = {{0, 0}, {0.3f, 0.3f}, {0.6f, 0}, {0.9f, 0.3f}, {1.2f, 0}};

// What the operator does while the dialog is open; returns the dialog's response.
std::function<int()> operatorAtDialog;

FullPattern_t* ScriptedSelectPoint()
{
    return SelectStartPoint([] { return operatorAtDialog(); });
}

class SetStart : public StitchingRun {
protected:
    void SetUp() override
    {
        StitchingRun::SetUp();
        uiHooks.runSelectPoint = ScriptedSelectPoint;
        runWidgets.stitchingToggle = false;  // travel only: no lock stitches to the neighbours
    }
    void TearDown() override
    {
        uiHooks.runSelectPoint = nullptr;
        operatorAtDialog = nullptr;
        StitchingRun::TearDown();
    }
    // Pushes the head by hand; the dialog must have freed the axes for that.
    void Push(long x, long y)
    {
        const std::string answer =
            sim->Control("hand " + std::to_string(x) + " " + std::to_string(y));
        EXPECT_EQ(answer.rfind("ok", 0), 0u) << answer;
    }
    static bool Near(std::pair<float, float> a, std::pair<float, float> b)
    {
        return std::fabs(a.first - b.first) <= 1 && std::fabs(a.second - b.second) <= 1;
    }
    static bool OnPath(std::pair<float, float> a, const Pts& path)
    {
        for (const auto& p : path)
            if (Near(a, p)) return true;
        return false;
    }
    // The moves from the first arrival at `start` on.
    static Pts FromStart(const Pts& moves, std::pair<float, float> start)
    {
        for (size_t i = 0; i < moves.size(); ++i)
            if (Near(moves[i], start)) return Pts(moves.begin() + long(i), moves.end());
        return {};
    }
};

}  // namespace

TEST_F(SetStart, RunStartsAtThePointBesideTheHeadAndTheToolStartsThereToo)
{
    ASSERT_TRUE(StartSim());
    Place(kZigzag, 1, 1);
    ui->Expect(kStart, RESPONSE_SET_START).Expect(kBobbin, RESPONSE_OK);
    Pts pathAtDialog;
    long headX = 0, headY = 0;
    operatorAtDialog = [&] {
        pathAtDialog = PathPoints(interface_.stitchList);
        EXPECT_GT(pathAtDialog.size(), 4u);
        headX = long(pathAtDialog[2].first) + 30;
        headY = long(pathAtDialog[2].second);
        Push(headX, headY);
        return int(RESPONSE_OK);
    };
    startButtonReleased();

    ASSERT_GT(pathAtDialog.size(), 4u);
    EXPECT_EQ(runCompleted, 1);
    // Every move the controller took: the lead line from the head, then the path from
    // point 3 on. Points 1 and 2 are never gone to.
    const ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    Pts moves;
    for (const SimMove& m : j.moves)
        if (m.accepted) moves.emplace_back(float(m.x_thou), float(m.y_thou));
    ASSERT_FALSE(moves.empty());
    EXPECT_TRUE(Near(moves.front(), {float(headX), float(headY)})) << "the lead line leaves the head";
    for (const auto& m : moves)
        for (int skipped = 0; skipped < 2; ++skipped)
            EXPECT_FALSE(Near(m, pathAtDialog[skipped])) << "point " << skipped + 1 << " was moved to";
    const Pts fromPoint3 = FromStart(moves, pathAtDialog[2]);
    ASSERT_FALSE(fromPoint3.empty()) << "the lead line never reached point 3";
    for (size_t i = 0; i < moves.size() - fromPoint3.size(); ++i)
        EXPECT_FALSE(OnPath(moves[i], pathAtDialog)) << "the lead line ends at point 3 and not before";
    EXPECT_TRUE(InOrder(Pts(pathAtDialog.begin() + 2, pathAtDialog.end()), fromPoint3));

    // corvan-tool on the same layout with the head given as numbers: the same start, the
    // same stream.
    extents = new PatternBox();
    AddPatternBoxPoint(extents, 0, 0, 1, 0);
    AddPatternBoxPoint(extents, 0, 20, 0, 0);
    AddPatternBoxPoint(extents, 20, 20, 0, 0);
    AddPatternBoxPoint(extents, 20, 0, 0, 0);
    SetPatternBoxOrigin(extents);
    ASSERT_EQ(SaveLayout(dir / "set-start", kOverwriteWithoutAsking, kNameIsPath), 1);
    SimController toolSim({"--time-scale", "25"});
    ASSERT_TRUE(toolSim.ok()) << toolSim.problem();
    const ToolRun run = RunCorvanTool({"stitch", dir / "set-start.qlf", "--device", toolSim.ttyPath(),
                                       "--no-stitch", "--start-near", std::to_string(headX),
                                       std::to_string(headY)});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("[answer] SET START"), std::string::npos) << run.err;
    Pts toolMoves;
    for (const SimMove& m : Read(toolSim.Journal(), -1, -1).moves)
        if (m.accepted) toolMoves.emplace_back(float(m.x_thou), float(m.y_thou));
    EXPECT_EQ(FromStart(toolMoves, pathAtDialog[2]), fromPoint3);

    // Arguments that name no position.
    for (std::vector<std::string> bad : {std::vector<std::string>{"--start-near", "5"},
                                         {"--start-near", "x", "5"},
                                         {"--start-near", "5", "2147483648"},
                                         {"--start-near", "-2147483649", "0"}}) {
        std::vector<std::string> args = {"stitch", dir / "set-start.qlf", "--device", toolSim.ttyPath()};
        args.insert(args.end(), bad.begin(), bad.end());
        EXPECT_EQ(RunCorvanTool(args).status, 2) << bad[1];
    }
}

TEST_F(SetStart, CancelOrAnUnreadablePositionAtOkStartsNothing)
{
    ASSERT_TRUE(StartSim());
    Place(kZigzag, 1, 1);
    ui->Expect(kStart, RESPONSE_SET_START)
        .Expect(kStart, RESPONSE_SET_START)
        .Expect(kPointReadFailed, RESPONSE_OK)
        .Expect(kStart, RESPONSE_SET_START)
        .Expect(kPointReadFailed, RESPONSE_OK);
    operatorAtDialog = [] { return int(RESPONSE_CANCEL); };
    startButtonReleased();
    operatorAtDialog = [&] {
        EXPECT_EQ(sim->Control("drop-xy 1"), "ok");
        return int(RESPONSE_OK);
    };
    startButtonReleased();
    EXPECT_EQ(runActive, 0);
    EXPECT_EQ(ui->screens.back(), Screen::PatternView);
    EXPECT_EQ(ui->masks.back(), kMaskNormal);
    ReadJournal j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    EXPECT_TRUE(j.moves.empty()) << j.shape;

    // The line gone altogether: the same message, nothing moves.
    operatorAtDialog = [&] {
        ClosePort();
        return int(RESPONSE_OK);
    };
    startButtonReleased();
    EXPECT_EQ(runActive, 0);
    j = Read(sim->NewJournal(), kLeadSpeed, kPathSpeed);
    EXPECT_TRUE(j.moves.empty()) << j.shape;
}
