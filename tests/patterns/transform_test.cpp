// Turning, mirroring, reversing, stretching, the margin, centring and merging.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "base/interface.h"
#include "base/message_windows.h"
#include "app/popup_actions.h"
#include "base/settings.h"
#include "patterns/auto_center.h"
#include "patterns/box_margin.h"
#include "patterns/layout.h"
#include "patterns/merge.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "patterns/transform.h"
#include "app/undo.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

using Pts = std::vector<std::pair<float, float>>;

Pattern* Make(const Pts& pts)
{
    Pattern* p = newPattern();
    for (auto [x, y] : pts)
        addData(p, "pX" + std::to_string(x) + "Y" + std::to_string(y), 1);
    p->baseWidth = p->width;
    p->baseHeight = p->height;
    return p;
}

Pts PointsOf(const Pattern* p)
{
    Pts out;
    for (int i = 0; i < p->pointCount; ++i)
        out.emplace_back(p->pointX[i], p->pointY[i]);
    return out;
}

void ExpectNear(const Pts& got, const Pts& want, float tolerance = 1e-5f)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].first, want[i].first, tolerance) << "point " << i;
        EXPECT_NEAR(got[i].second, want[i].second, tolerance) << "point " << i;
    }
}

// One box with the given corners (box 0, current) and the pattern in slot 0.
void BoxWith(const Pts& corners, Pattern* pattern)
{
    ResetLayout();
    currentBox = CreatePatternBox();
    for (auto [x, y] : corners)
        AddPatternBoxPoint(GetPatternBox(currentBox), x, y, 0, 0);
    SetPatternBoxOrigin(GetPatternBox(currentBox));
    if (pattern != nullptr)
        StorePattern(0, pattern);
}

const Pts kTwoByOne{{0, 0}, {2, 0}, {2, 1}, {0, 1}};
const Pts kSquare10{{0, 0}, {0, 10}, {10, 10}, {10, 0}};

}  // namespace

TEST(Transforms, TurnsQuarterTurnsAndEmptyPatterns)
{
    Pattern* p = Make(kTwoByOne);
    auto shift = RotatePattern(p, 90);
    ASSERT_TRUE(shift);
    EXPECT_FLOAT_EQ(shift->x, 0.5f);
    EXPECT_FLOAT_EQ(shift->y, -0.5f);
    ExpectNear(PointsOf(p), {{1, 0}, {1, 2}, {0, 2}, {0, 0}});
    EXPECT_FLOAT_EQ(p->width, 1);
    EXPECT_FLOAT_EQ(p->height, 2);
    EXPECT_EQ(p->rotation, 0);

    Pattern* q = Make(kTwoByOne);
    RotatePattern(q, -90);
    Pattern* r = Make(kTwoByOne);
    RotatePattern(r, 270);
    EXPECT_EQ(PointsOf(q), PointsOf(r));

    // An odd angle four times comes back; so does a turn beyond a whole circle.
    Pattern* s = Make({{0, 0}, {3, 0.5f}, {1, 2}, {2.5f, 1.5f}});
    const Pts before = PointsOf(s);
    for (int i = 0; i < 4; ++i) {
        RotatePattern(s, 90 + 360 * i);
        UpdatePatternSize(s);
    }
    ExpectNear(PointsOf(s), before, 1e-4f);

    Pattern* empty = newPattern();
    EXPECT_FALSE(RotatePattern(empty, 90));
    mirrorPattern(empty, 1, 1);
    ReversePattern(empty);
    EXPECT_EQ(stretchPattern(empty, 'x', 2, nullptr), 0.0f);
    EXPECT_EQ(empty->width, Pattern().width);  // no -19999.8 from the start values
    EXPECT_EQ(empty->pointCount, 0);
    EXPECT_FALSE(RotatePattern(p, std::numeric_limits<float>::quiet_NaN()));

    EXPECT_EQ(WrapRotation(730), 10);
    EXPECT_EQ(WrapRotation(-90), 270);
    EXPECT_EQ(WrapRotation(360), 0);
    for (Pattern* x : {p, q, r, s, empty})
        erasePattern(x);
}

TEST(Transforms, MirrorAndReverseUndoThemselves)
{
    Pattern* p = Make({{1, 0}, {2, 3}, {4, 1}, {0, 2}, {3, 3}});
    addData(p, "n flower", 1);
    p->commandType = {CommandKind::EntityStart, CommandKind::Start, CommandKind::Feed, CommandKind::EntityEnd};
    p->commandPoint = {1, 3, 5, 6};
    p->commandCount = 4;
    const Pts before = PointsOf(p);
    mirrorPattern(p, 1, 0);
    ExpectNear(PointsOf(p), {{3, 0}, {2, 3}, {0, 1}, {4, 2}, {1, 3}});
    mirrorPattern(p, 1, 0);
    mirrorPattern(p, 0, 1);
    ExpectNear(PointsOf(p), {{1, 3}, {2, 0}, {4, 2}, {0, 1}, {3, 0}});
    mirrorPattern(p, 0, 1);
    EXPECT_EQ(PointsOf(p), before);

    ReversePattern(p);
    ExpectNear(PointsOf(p), {{3, 3}, {0, 2}, {4, 1}, {2, 3}, {1, 0}});
    // The stroke start before point 3 now stands before point 4; the entity still opens
    // before the first point and closes after the last.
    EXPECT_EQ(p->commandType, (std::vector<CommandKind>{CommandKind::EntityStart, CommandKind::Feed, CommandKind::Start,
                                                CommandKind::EntityEnd}));
    EXPECT_EQ(p->commandPoint, (std::vector<int>{1, 2, 4, 6}));
    ReversePattern(p);
    EXPECT_EQ(PointsOf(p), before);
    EXPECT_EQ(p->commandPoint, (std::vector<int>{1, 3, 5, 6}));
    erasePattern(p);
}

TEST(Transforms, StretchScalesOneAxisAndRefusesBadFactors)
{
    Pattern* p = Make(kTwoByOne);
    EXPECT_FLOAT_EQ(stretchPattern(p, 'x', 2.0, nullptr), 1.0f);
    EXPECT_FLOAT_EQ(p->width, 4);
    EXPECT_FLOAT_EQ(p->baseWidth, 4);
    EXPECT_FLOAT_EQ(p->height, 1);
    EXPECT_FLOAT_EQ(p->baseHeight, 1);
    const Pts stretched = PointsOf(p);
    for (double bad : {0.0, -1.0, std::nan(""), HUGE_VAL, 1e9}) {
        EXPECT_EQ(stretchPattern(p, 'x', bad, nullptr), 0.0f) << bad;
        EXPECT_EQ(PointsOf(p), stretched) << bad;
        EXPECT_FLOAT_EQ(p->baseWidth, 4) << bad;
    }
    EXPECT_EQ(stretchPattern(p, 'z', 2.0, nullptr), 0.0f);

    // Drawn away from 0: the shift is still half the growth.
    Pattern* off = Make({{5, 1}, {7, 2}});
    EXPECT_FLOAT_EQ(stretchPattern(off, 'y', 3.0, nullptr), 1.0f);
    EXPECT_FLOAT_EQ(off->height, 3);
    erasePattern(p);
    erasePattern(off);
}

TEST(BoxMargin, SidesMoveInwardAndParallelSidesKeepTheirCorner)
{
    xMargin = 0.5f;
    PointArray square;
    for (auto [x, y] : kSquare10)
        square.push_back(PolyPoint{x, y, 0, 0});
    PointArray shrunk = square;
    AdjustForMargin(&shrunk);
    Pts got;
    for (const PolyPoint& v : shrunk)
        got.emplace_back(v.x, v.y);
    ExpectNear(got, {{9.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 9.5f}, {9.5f, 9.5f}});

    xMargin = -0.5f;  // either sign moves inward
    PointArray again = square;
    AdjustForMargin(&again);
    EXPECT_NEAR(again[1].x, 0.5f, 1e-5);
    EXPECT_NEAR(again[1].y, 0.5f, 1e-5);

    xMargin = 0.5f;
    PointArray five;
    for (auto [x, y] : Pts{{0, 0}, {0, 5}, {0, 10}, {10, 10}, {10, 0}})
        five.push_back(PolyPoint{x, y, 0, 0});
    AdjustForMargin(&five);
    EXPECT_NEAR(five[2].x, 0.5f, 1e-5);
    EXPECT_NEAR(five[2].y, 5.0f, 1e-5);

    xMargin = 12.0f;
    PointArray kept = square;
    AdjustForMargin(&kept);
    EXPECT_EQ(xMargin, 0.0f);
    EXPECT_EQ(kept[0].x, square[0].x);
    EXPECT_EQ(kept[1].y, square[1].y);
    AdjustForMargin(nullptr);
}

TEST(AutoCentre, BoxesTrianglesAndLinesOfCorners)
{
    xMargin = 0.0f;
    BoxWith(kSquare10, Make(kTwoByOne));
    LayoutNode* n = NewPatternLayoutNode(0, -1, 0, 0, 0);
    AutoCenter(1, 0);
    EXPECT_FLOAT_EQ(n->x, 4);
    EXPECT_FLOAT_EQ(n->y, 0);
    AutoCenter(1, 1);
    EXPECT_FLOAT_EQ(n->x, 4);
    EXPECT_FLOAT_EQ(n->y, 4.5f);

    BoxWith({{0, 0}, {0, 6}, {6, 0}}, Make({{0, 0}, {2, 2}}));
    n = NewPatternLayoutNode(0, -1, 0, 0, 0);
    AutoCenter(1, 1);
    EXPECT_NEAR(n->x, 1, 1e-5);
    EXPECT_NEAR(n->y, 1, 1e-5);

    BoxWith({{0, 0}, {0, 5}, {0, 10}}, Make({{0, 0}, {2, 2}}));
    n = NewPatternLayoutNode(0, -1, 0, 3, 3);
    AutoCenter(1, 1);
    EXPECT_EQ(n->x, 3);
    EXPECT_EQ(n->y, 3);

    // A placement in no array moves alone; an array moves as one.
    BoxWith(kSquare10, Make({{0, 0}, {1, 1}}));
    LayoutNode* single = NewPatternLayoutNode(0, -1, 0, 0, 0);
    const int a = NewArrayNode(1, 0, 2, 0);
    LayoutNode* left = NewPatternLayoutNode(0, a, 1, 0, 0);
    LayoutNode* right = NewPatternLayoutNode(0, a, 0, 1, 0);
    AutoCenterPattern(left, 1, 1);
    EXPECT_FLOAT_EQ(left->x, 4);
    EXPECT_FLOAT_EQ(right->x, 5);
    EXPECT_FLOAT_EQ(right->y, 4.5f);
    EXPECT_EQ(single->x, 0);
    AutoCenterPattern(single, 0, 1);
    EXPECT_FLOAT_EQ(single->y, 4.5f);
    EXPECT_EQ(single->x, 0);
    ResetLayout();
}

namespace {

// A 1 x 1 pattern repeated in an array whose copies sit at `offsets` (the first the parent).
LayoutNode* ArrayOf(const std::vector<std::pair<float, float>>& offsets, int rows, int columns)
{
    Pattern* p = Make({{0, 0}, {1, 0}, {1, 1}});
    p->name = "tile";
    BoxWith({{0, 0}, {0, 30}, {30, 30}, {30, 0}}, p);
    const int a = NewArrayNode(rows, 0.25f, columns, 0.5f);
    LayoutNode* parent = nullptr;
    for (auto [x, y] : offsets) {
        LayoutNode* n = NewPatternLayoutNode(0, a, parent == nullptr, x, y);
        parent = parent ? parent : n;
    }
    return parent;
}

int Count(const Pattern* p, CommandKind kind)
{
    int n = 0;
    for (CommandKind t : p->commandType)
        n += t == kind;
    return n;
}

// Every placed point of the current box, in stitching order.
Pts Placed()
{
    Pts out;
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        const Pattern* p = GetPattern(n->patternIndex);
        for (int i = 0; i < p->pointCount; ++i)
            out.emplace_back(n->x + p->pointX[i] - p->minX, n->y + p->pointY[i] - p->minY);
    }
    return out;
}

}  // namespace

TEST(Merge, ArrayBecomesOnePatternWhereverItsCopiesStand)
{
    TempDir dir;
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    // 2 rows x 3 columns at (1, 1), across 0.5, down 0.25, laid out row by row.
    std::vector<std::pair<float, float>> grid;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            grid.emplace_back(1 + c * 1.5f, 1 + r * 1.25f);
    interface_.selectedNode = ArrayOf(grid, 2, 3)->next->next;  // not the parent
    const Pts before = Placed();
    ASSERT_EQ(MergePatterns(), 1);
    ASSERT_EQ(patternLayout->next, nullptr);
    const Pattern* m = GetPattern(patternLayout->patternIndex);
    EXPECT_EQ(m->name, "tile_merged");
    EXPECT_EQ(patternLayout->arrayIndex, -1);
    EXPECT_EQ(GetArrayNode(0)->rows, 0);
    EXPECT_EQ(Count(m, CommandKind::EntityStart), 6);
    EXPECT_EQ(Count(m, CommandKind::EntityEnd), 6);
    EXPECT_FLOAT_EQ(m->pointX[5 * 3], 4);  // copy (1, 2)
    EXPECT_FLOAT_EQ(m->pointY[5 * 3], 2.25f);
    ExpectNear(Placed(), before, 1e-3f);
    EXPECT_EQ(ui.waitingMessages, std::vector<std::string>{"MERGING PATTERN FILES"});
    EXPECT_EQ(mergePatternsActive, 0);

    // Negative spacing and a turned array whose parent is neither the top-left copy nor the
    // first in the layout; a single placement shares the pattern and keeps it.
    interface_.selectedNode = ArrayOf({{6, 6}, {3, 6}, {6, 3}, {3, 3}}, 2, 2);
    patternLayout->isArrayParent = 0;
    patternLayout->next->isArrayParent = 1;
    NewPatternLayoutNode(0, -1, 0, 20, 20);
    TurnPlacement(interface_.selectedNode, 90);
    UpdatePatternSize(GetPattern(0));
    const Pts turned = Placed();
    Pts expected(turned.begin() + 3, turned.begin() + 6);  // the parent's copy first
    expected.insert(expected.end(), turned.begin(), turned.begin() + 3);
    expected.insert(expected.end(), turned.begin() + 6, turned.end());
    ASSERT_EQ(MergePatterns(), 1);
    ExpectNear(Placed(), expected, 1e-3f);
    EXPECT_EQ(GetPattern(patternLayout->next->patternIndex)->pointCount, 3);
    EXPECT_NE(patternLayout->patternIndex, patternLayout->next->patternIndex);

    // No array, an emptied array record, no selection: nothing happens.
    ui.Expect("ONLY REPEATED PATTERNS MAY BE MERGED", RESPONSE_OK);
    EXPECT_EQ(MergePatterns(), 0);
    interface_.selectedNode = ArrayOf({{1, 1}, {3, 1}}, 0, 2);
    EXPECT_EQ(MergePatterns(), 0);
    EXPECT_NE(patternLayout->next, nullptr);
    interface_.selectedNode = nullptr;
    EXPECT_EQ(MergePatterns(), 0);
    testing::internal::GetCapturedStdout();
    ResetLayout();
}

TEST(Merge, CancelRollsTheLayoutBack)
{
    TempDir dir;
    mkdir("tmp", 0777);
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    uiHooks.restoreUndoOnCancel = RestoreUndoOnCancel;
    uiHooks.stopWorkOnCancel = StopWorkInProgress;
    interface_.selectedNode = ArrayOf({{1, 1}, {3, 1}, {5, 1}, {7, 1}}, 1, 4);
    extents = new PatternBox();  // a layout is saved only with its quilting area
    for (auto [x, y] : kSquare10)
        AddPatternBoxPoint(extents, x, y, 0, 0);
    const Pts before = Placed();
    CreateUndoFile();
    ASSERT_TRUE(dir.Exists("tmp/undo.qlf"));
    uiHooks.waitingInfo = [&](void*, const std::string& info) {
        ui.pressWaitingCancel = info.rfind("Merging Pattern 3 of 4", 0) == 0;
    };
    EXPECT_EQ(MergePatterns(), 0);
    EXPECT_EQ(Placed(), before);
    EXPECT_EQ(GetArrayNode(0)->columns, 4);
    EXPECT_EQ(interface_.selectedNode, nullptr);
    EXPECT_EQ(mergePatternsActive, 0);
    testing::internal::GetCapturedStdout();
    uiHooks.restoreUndoOnCancel = nullptr;
    uiHooks.stopWorkOnCancel = nullptr;
    ResetLayout();
}
