// Scaling by linear programming, fitting a hull into a box, and cancelling either midway.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "base/interface.h"
#include "base/message_windows.h"
#include "app/popup_actions.h"
#include "base/settings.h"
#include "patterns/box_margin.h"
#include "patterns/fitting.h"
#include "patterns/layout.h"
#include "patterns/lp_scale.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "app/undo.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

using Pts = std::vector<std::pair<float, float>>;

PointArray Poly(const Pts& pts)
{
    PointArray out;
    for (auto [x, y] : pts)
        out.push_back({x, y, 0, int(out.size())});
    return out;
}

Pts PtsOf(const PointArray& poly)
{
    Pts out;
    for (const PolyPoint& p : poly)
        out.emplace_back(p.x, p.y);
    return out;
}

Pattern* Make(const Pts& pts, const char* name = "tile")
{
    Pattern* p = newPattern();
    for (auto [x, y] : pts) {
        p->pointX.push_back(x);
        p->pointY.push_back(y);
    }
    p->pointCount = int(pts.size());
    p->name = name;
    UpdatePatternSize(p);
    p->baseWidth = p->width;
    p->baseHeight = p->height;
    return p;
}

Pts PointsOf(const Pattern* p)
{
    Pts out;
    for (int i = 0; i < p->pointCount; ++i)
        out.emplace_back(p->pointX[size_t(i)], p->pointY[size_t(i)]);
    return out;
}

Pts Rect(float x, float y, float w, float h) { return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}; }

const Pts kSquare10{{0, 0}, {0, 10}, {10, 10}, {10, 0}};  // clockwise with Y up

// Box 0 (current) with these corners, the pattern in slot 0 and one placement at (x, y),
// which becomes the selection.
LayoutNode* PlaceIn(const Pts& corners, Pattern* pattern, float x, float y)
{
    ResetLayout();
    currentBox = CreatePatternBox();
    for (auto [cx, cy] : corners)
        AddPatternBoxPoint(GetPatternBox(currentBox), cx, cy, 0, 0);
    SetPatternBoxOrigin(GetPatternBox(currentBox));
    StorePattern(0, pattern);
    interface_.selectedNode = NewPatternLayoutNode(0, -1, 0, x, y);
    return interface_.selectedNode;
}

}  // namespace

TEST(LpScale, SolvesBothProgramsAndLeavesFailuresAlone)
{
    testing::internal::CaptureStdout();
    const PointArray box = Poly(kSquare10);
    double s = 1, tx = 0, ty = 0;
    // The objective must be set and maximised (else s is 0 or -10), and the variables are
    // sol[1..3] (sol[0] is the homogenising 1).
    ASSERT_EQ(lpSolve(box, Poly(Rect(0, 0, 1, 1)), &s, &tx, &ty), 1);
    EXPECT_NEAR(s, 10, 1e-9);
    EXPECT_NEAR(tx, 0, 1e-9);
    EXPECT_NEAR(ty, 0, 1e-9);
    ASSERT_EQ(lpSolve(box, Poly(Rect(2, 3, 1, 1)), &s, &tx, &ty), 1);
    EXPECT_NEAR(s, 10, 1e-9);
    EXPECT_NEAR(tx, -20, 1e-9);
    EXPECT_NEAR(ty, -30, 1e-9);
    ASSERT_EQ(lpSolve(Poly({{0, 4}, {3.9f, 8}, {8, 3.9f}, {4, 0}}), Poly(Rect(0, 0, 1, 1)), &s,
                      &tx, &ty),
              1);
    EXPECT_NEAR(s, 3.95, 1e-5);

    double sx = 1, sy = 1;
    ASSERT_EQ(lpSolveXYScale(box, Poly(Rect(0, 0, 1, 2)), &sx, &sy, &tx, &ty), 1);
    EXPECT_NEAR(sx, 10, 1e-9);
    EXPECT_NEAR(sy, 5, 1e-9);

    // Infeasible or unbounded programs still "solve": a counter-clockwise box, a hull of one
    // point, nothing at all. The outputs stay as they were.
    const Pts ccw{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    for (const auto& [b, h] : std::vector<std::pair<Pts, Pts>>{
             {ccw, Rect(0, 0, 1, 1)}, {kSquare10, {{2, 2}}}, {kSquare10, {}}, {{}, Rect(0, 0, 1, 1)},
             {{{0, 0}, {0, 10}}, Rect(0, 0, 1, 1)}}) {
        s = 1, sx = 1, sy = 1, tx = 0, ty = 0;
        EXPECT_EQ(lpSolve(Poly(b), Poly(h), &s, &tx, &ty), 0);
        EXPECT_EQ(lpSolveXYScale(Poly(b), Poly(h), &sx, &sy, &tx, &ty), 0);
        EXPECT_EQ(s, 1);
        EXPECT_EQ(sx, 1);
        EXPECT_EQ(sy, 1);
        EXPECT_EQ(tx, 0);
        EXPECT_EQ(ty, 0);
    }
    testing::internal::GetCapturedStdout();
}

TEST(LpScale, AutoScaleFillsTheBoxWithPlacementsAndArrays)
{
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    LayoutNode* node = PlaceIn(kSquare10, Make(Rect(0, 0, 1, 1)), 0, 0);
    AutoScaleResult r = runAutoScale(1);
    EXPECT_EQ(r.solved, 1);
    EXPECT_NEAR(r.scaleX, 10, 1e-4);
    EXPECT_NEAR(GetPattern(0)->width, 10, 1e-4);
    EXPECT_NEAR(GetPattern(0)->height, 10, 1e-4);
    EXPECT_NEAR(node->x, 0, 1e-4);
    EXPECT_NEAR(node->y, 0, 1e-4);

    // The placement moves as s * x + t: one solve brings a 1 x 1 at (2, 3) to the corner.
    node = PlaceIn(kSquare10, Make(Rect(0, 0, 1, 1)), 2, 3);
    ASSERT_EQ(autoScale(0, 1), 1);
    EXPECT_NEAR(node->x, 0, 1e-4);
    EXPECT_NEAR(node->y, 0, 1e-4);
    // A pattern drawn away from its origin: the hull is where the pattern is drawn.
    node = PlaceIn(kSquare10, Make(Rect(5, 7, 1, 1)), 2, 3);
    ASSERT_EQ(autoScale(0, 1), 1);
    EXPECT_NEAR(node->x, 0, 1e-4);
    EXPECT_NEAR(node->y, 0, 1e-4);

    node = PlaceIn(kSquare10, Make(Rect(0, 0, 1, 2)), 0, 0);
    r = runAutoScale(1);
    EXPECT_NEAR(GetPattern(0)->width, 5, 1e-4);
    EXPECT_NEAR(GetPattern(0)->height, 10, 1e-4);
    node = PlaceIn(kSquare10, Make(Rect(0, 0, 1, 2)), 0, 0);
    r = runAutoScale(0);
    EXPECT_NEAR(GetPattern(0)->width, 10, 1e-3);
    EXPECT_NEAR(GetPattern(0)->height, 10, 1e-3);
    EXPECT_NEAR(r.scaleX, 10, 1e-3);
    EXPECT_NEAR(r.scaleY, 5, 1e-3);

    // A 2 x 2 array of a 1 x 1 with spacing 1: sizes and spacings become 10/3.
    PlaceIn(kSquare10, Make(Rect(0, 0, 1, 1)), 0, 0);
    const int slot = NewArrayNode(2, 1, 2, 1);
    patternLayout->arrayIndex = slot;
    patternLayout->isArrayParent = 1;
    for (auto [x, y] : Pts{{2, 0}, {0, 2}, {2, 2}})
        NewPatternLayoutNode(0, slot, 0, x, y);
    interface_.selectedNode = patternLayout->next->next;  // any copy stands for the array
    r = runAutoScale(1);
    EXPECT_EQ(r.solved, 1);
    const float third = 10.0f / 3.0f;
    EXPECT_NEAR(GetPattern(0)->width, third, 1e-4);
    EXPECT_NEAR(GetArrayNode(slot)->spacingAcross, third, 1e-4);
    EXPECT_NEAR(GetArrayNode(slot)->spacingDown, third, 1e-4);
    EXPECT_NEAR(patternLayout->next->next->next->x, 2 * third, 1e-4);
    EXPECT_NEAR(patternLayout->next->next->next->y, 2 * third, 1e-4);

    // Nothing to scale, or no box to scale into: bit for bit as before.
    ui.Expect("CANNOT AUTOSCALE TO DEFINED PATTERN BOX. \nABORTING AUTOSCALE.", RESPONSE_OK);
    for (const auto& [corners, pts] : std::vector<std::pair<Pts, Pts>>{
             {kSquare10, {{1, 1}}},
             {kSquare10, {}},
             {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, Rect(0, 0, 1, 1)}}) {
        node = PlaceIn(corners, Make(pts), 2, 3);
        const Pts before = PointsOf(GetPattern(0));
        r = runAutoScale(0);
        EXPECT_EQ(r.solved, 0);
        EXPECT_EQ(r.scaleX, 1);
        EXPECT_EQ(PointsOf(GetPattern(0)), before);
        EXPECT_EQ(node->x, 2);
        EXPECT_EQ(node->y, 3);
    }
    // A stale selection and an array whose record is gone.
    node = PlaceIn(kSquare10, Make(Rect(0, 0, 1, 1)), 2, 3);
    node->arrayIndex = 7;
    EXPECT_EQ(runAutoScale(1).solved, 0);
    EXPECT_EQ(node->x, 2);
    ResetLayout();
    EXPECT_EQ(runAutoScale(1).solved, 0);
    interface_.selectedNode = nullptr;
    testing::internal::GetCapturedStdout();
}

TEST(Fitting, ShrinkPushAndMeasure)
{
    ScriptedUi ui;
    interface_.fittingActive = 1;
    const PointArray box = Poly(kSquare10);
    PointArray fits = Poly(Rect(2, 2, 3, 1));
    EXPECT_EQ(PatternInBox2(&box, &fits, nullptr), 1);
    EXPECT_EQ(PtsOf(fits), Rect(2, 2, 3, 1));
    EXPECT_EQ(ui.pendingEventRuns, 0);

    PointArray big = Poly(Rect(-5, -5, 20, 20));
    EXPECT_EQ(PatternInBox2(&box, &big, nullptr), 1);
    EXPECT_EQ(ui.pendingEventRuns, 69);
    float minX = 99, maxX = -99, minY = 99, maxY = -99;
    for (const PolyPoint& p : big) {
        minX = std::fmin(minX, p.x), maxX = std::fmax(maxX, p.x);
        minY = std::fmin(minY, p.y), maxY = std::fmax(maxY, p.y);
    }
    EXPECT_NEAR((minX + maxX) / 2, 5, 1e-4);
    EXPECT_NEAR((minY + maxY) / 2, 5, 1e-4);
    EXPECT_LE(maxX - minX, 10);

    // More than half the box as a margin turns it about its centre (still convex and
    // clockwise) and is refused; a box not convex and clockwise is refused by the fitting.
    const PointArray unit = Poly({{0, 0}, {0, 1}, {1, 1}, {1, 0}});
    const float savedMargin = xMargin;
    for (float margin : {0.25f, 0.75f}) {
        PointArray shrunk = unit;
        xMargin = margin;
        AdjustForMargin(&shrunk);
        EXPECT_EQ(MarginLeavesBox(unit, shrunk), margin < 0.5f ? 1 : 0) << margin;
    }
    xMargin = savedMargin;
    PointArray one = Poly(Rect(0, 0, 1, 1));
    const PointArray ccw = Poly({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    const PointArray reflex = Poly({{0, 0}, {0, 1}, {0.2f, 0.2f}, {1, 0}});
    EXPECT_EQ(PatternInBox2(&ccw, &one, nullptr), 0);
    EXPECT_EQ(PatternInBox2(&reflex, &one, nullptr), 0);
    EXPECT_EQ(PtsOf(one), Rect(0, 0, 1, 1));
    EXPECT_EQ(ui.pendingEventRuns, 69);

    Edge edge{0, 10, 0, 0};
    EXPECT_NEAR(GetOverlapDistance({5, -1}, edge), 1, 1e-6);
    EXPECT_NEAR(GetOverlapDistance({12, -1}, edge), std::sqrt(5.0), 1e-6);
    Edge slanted{0, 10, 0, 10};
    EXPECT_NEAR(GetOverlapDistance({0, 2}, slanted), std::sqrt(2.0), 1e-6);

    PointArray poking = Poly(Rect(9.5f, 4, 1, 1));
    EXPECT_EQ(PatternInBox(&box, &poking, nullptr, 0, 0, nullptr), 1);
    EXPECT_EQ(PolygonsOverlap(box, poking, nullptr, 0), -1);
    EXPECT_NEAR(poking[1].x, 10, 1e-5);
    EXPECT_NEAR(poking[1].y, 4, 1e-5);
    // Too large to be pushed inside: gives up after the move cap instead of hanging.
    PointArray huge = Poly(Rect(0, 0, 30, 30));
    EXPECT_EQ(PatternInBox(&box, &huge, nullptr, 0, 0, nullptr), 0);
    interface_.fittingActive = 0;
}

TEST(Fitting, HullBounceGrowsUntilItsLimitsAndStops)
{
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    interface_.fittingActive = 1;
    const PointArray box = Poly(kSquare10);
    PointArray still = Poly(Rect(4, 4, 1, 1));
    double d = HullBounce(&box, &still, 3, 0.05, 3, nullptr, 1.0, 1.0, 2.3561945, 5, 0);
    EXPECT_GT(d, 0);
    const PointArray before = still;
    EXPECT_NEAR(still[1].x - still[0].x, 1, 1e-4);  // never grown

    PointArray grows = Poly(Rect(4, 4, 1, 1));
    d = HullBounce(&box, &grows, 3, 0.05, 1000, nullptr, 1.005, 1.005, 3.9269910, 50, 0);
    EXPECT_GT(d, 0);
    EXPECT_NEAR(grows[1].x - grows[0].x, std::pow(1.005, 50), 1e-3);
    EXPECT_EQ(PolygonsOverlap(box, grows, nullptr, 0), -1);
    PointArray tilted = Poly(Rect(4, 4, 1, 1));
    d = HullBounce(&box, &tilted, 1, 0.05, 1000, nullptr, 1.005, 1.0, 3.1415927, 20, 30);
    EXPECT_GT(d, 0);
    EXPECT_EQ(PolygonsOverlap(box, tilted, nullptr, 0), -1);

    interface_.fittingActive = 0;
    PointArray moved = before;
    EXPECT_EQ(HullBounce(&box, &moved, 3, 0.05, 3, nullptr, 1.005, 1.005, 0.5, 5, 0), -1);
    EXPECT_EQ(PtsOf(moved), PtsOf(before));

    interface_.fittingActive = 1;
    static double now = 0;
    now = 0;
    fittingClockForTest = [] { return now; };
    uiHooks.runPendingEvents = [] { now += 11; };
    const std::string printed = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    EXPECT_EQ(HullBounce(&box, &moved, 2, 0.05, 1000000, nullptr, 1.0, 1.0, 4.7123890, 5, 0), -1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("HullBounce while loop Timeout"),
              std::string::npos);
    fittingClockForTest = [] { return 0.0; };
    uiHooks.runPendingEvents = [] {};

    StatusWindow* status = CreateStatusWindow("fit");
    ui.pressStatusStop = true;
    EXPECT_EQ(HullBounce(&box, &moved, 3, 0.05, 1000000, status, 1.0, 1.0, 0.5, 5, 0), 0);
    EXPECT_EQ(status->abortRequested, 1u);
    CloseStatusWindow(status);
    fittingClockForTest = nullptr;
    interface_.fittingActive = 0;
    (void)printed;
}

// Cancel pressed while the fitting runs events: the undo restore releases the hull, the
// patterns and the placements; the fitting must return without touching any of them.
TEST(Fitting, CancelMidwayReleasesNothingInUse)
{
    TempDir dir;
    mkdir("tmp", 0777);
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    uiHooks.restoreUndoOnCancel = RestoreUndoOnCancel;
    uiHooks.stopWorkOnCancel = StopWorkInProgress;
    for (int which = 0; which < 2; ++which) {
        PlaceIn(kSquare10, Make(Rect(0, 0, 20, 20)), 1, 1);
        extents = new PatternBox();
        for (auto [x, y] : kSquare10)
            AddPatternBoxPoint(extents, x, y, 0, 0);
        CreateUndoFile();
        ASSERT_TRUE(dir.Exists("tmp/undo.qlf"));
        patternLayout->x = 4;  // the fitting's work so far, undone by Cancel
        hull = std::make_unique<PointArray>(ConvexHull(GetPattern(0), 1, 1));
        waitWindow = CreateWaitingWindow("\n\nUPDATING PATTERNS", 1);
        waitWindow->undoOnCancel = 1;
        interface_.fittingActive = 1;
        int runs = 0;
        bool inside = false;
        uiHooks.runPendingEvents = [&] {
            if (inside || ++runs != 3)
                return;
            inside = true;
            ui.pressWaitingCancel = true;
            RefreshWaitingWindow();
            inside = false;
        };
        const PointArray box = Poly(kSquare10);
        if (which == 0) {
            EXPECT_EQ(PatternInBox2(&box, hull.get(), nullptr), 0);
        } else {
            PointArray small = Poly(Rect(4, 4, 1, 1));
            *hull = small;
            fittingClockForTest = [] { return 0.0; };
            EXPECT_EQ(HullBounce(&box, hull.get(), 3, 0.05, 1000000, nullptr, 1.005, 1.005, 0.5,
                                 1000000, 0),
                      -1);
            fittingClockForTest = nullptr;
        }
        EXPECT_EQ(hull, nullptr) << which;
        EXPECT_EQ(interface_.fittingActive, 0);
        ASSERT_NE(patternLayout, nullptr);
        EXPECT_EQ(patternLayout->x, 1) << which;
        EXPECT_NEAR(GetPattern(patternLayout->patternIndex)->width, 20, 1e-4);
        ui.pressWaitingCancel = false;
        uiHooks.runPendingEvents = [] {};
    }
    uiHooks.restoreUndoOnCancel = nullptr;
    uiHooks.stopWorkOnCancel = nullptr;
    testing::internal::GetCapturedStdout();
    ResetLayout();
}
