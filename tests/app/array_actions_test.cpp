// Repeat and Autofill on the selected placement: the grid, the array table's limits, the
// proportions question, the fit of the whole array and Cancel.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/array_actions.h"
#include "app/undo.h"
#include "base/interface.h"
#include "base/message_windows.h"
#include "base/sensitivity.h"
#include "base/settings.h"
#include "patterns/array_fit.h"
#include "patterns/array_layout.h"
#include "patterns/box_margin.h"
#include "patterns/geometry.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

using Offsets = std::vector<std::pair<float, float>>;
const char* const kProportions = "KEEP PATTERN PROPORTIONS ON AUTOSCALE?";

PatternBox* Box(PatternBox* box, const Offsets& corners)
{
    for (auto [x, y] : corners)
        AddPatternBoxPoint(box, x, y, 0, 0);
    SetPatternBoxOrigin(box);
    return box;
}

// Box 0 of w x h inches at (2, 3) and a w0 x h0 rectangle pattern placed at (x, y).
LayoutNode* Placed(float w0, float h0, float x, float y, float w = 30, float h = 30)
{
    ResetLayout();
    xMargin = yMargin = 0;
    extents = Box(new PatternBox(), {{0, 0}, {0, 40}, {40, 40}, {40, 0}});
    currentBox = CreatePatternBox();
    Box(GetPatternBox(currentBox), {{2, 3}, {2, 3 + h}, {2 + w, 3 + h}, {2 + w, 3}});
    Pattern* p = newPattern();
    p->pointX = {0, w0, w0, 0};
    p->pointY = {0, 0, h0, h0};
    p->pointCount = 4;
    UpdatePatternSize(p);
    p->baseWidth = w0;
    p->baseHeight = h0;
    StorePattern(0, p);
    return interface_.selectedNode = NewPatternLayoutNode(0, -1, 0, x, y);
}

// The copies' offsets in layout order.
Offsets Copies()
{
    Offsets out;
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n->isArrayParent == 0)
            out.emplace_back(n->x, n->y);
    return out;
}

// Placements in the layout, and array records in use.
std::pair<int, int> Counts()
{
    int nodes = 0, arrays = 0;
    for (const LayoutNode* p = patternLayout; p != nullptr; p = p->next)
        ++nodes;
    for (int i = 0; i < MAX_ARRAYS; ++i)
        arrays += GetArrayNode(i) != nullptr;
    return {nodes, arrays};
}

void FillArrayTable()
{
    while (NewArrayNode(1, 0, 1, 0) >= 0) {
    }
}

}  // namespace

TEST(Repeat, GridFromParentOrCopyAndBackToOneWithUndo)
{
    TempDir dir;
    dir.Write("tmp/.keep", "");  // the undo snapshot's folder
    ScriptedUi ui;
    LayoutNode* parent = Placed(4, 3, 1, 1);
    ASSERT_EQ(RepeatApply(parent, {3, 0.5f, 2, 0.5f}), REPEAT_DONE);
    EXPECT_EQ(Copies(), (Offsets{{5.5f, 1}, {1, 4.5f}, {5.5f, 4.5f}, {1, 8}, {5.5f, 8}}));
    const RepeatValues v = RepeatStartValues(parent->next);  // a copy shows its array's values
    EXPECT_EQ(std::vector<float>({float(v.down), v.spacingDown, float(v.across)}),
              std::vector<float>({3, 0.5f, 2}));
    RestoreUndoFile();
    EXPECT_EQ(Counts(), std::make_pair(1, 0));

    // From a copy: the old copies go (the copy worked from among them), the parent is kept
    // and selected; then 1 x 1 makes it a single placement again.
    parent = Placed(4, 3, 1, 1);
    ApplyRepeat(parent, 3, 0.5f, 2, 0.5f);
    interface_.selectedNode = parent->next->next;
    ASSERT_EQ(RepeatApply(interface_.selectedNode, {2, 0, 2, 0}), REPEAT_DONE);
    EXPECT_EQ(interface_.selectedNode, parent);
    EXPECT_EQ(Copies(), (Offsets{{5, 1}, {1, 4}, {5, 4}}));
    ASSERT_EQ(ApplyRepeat(parent->next, 1, 0, 1, 0), REPEAT_DONE);
    EXPECT_EQ(Counts(), std::make_pair(1, 0));
    EXPECT_EQ(parent->arrayIndex, -1);
    EXPECT_EQ(parent->isArrayParent, 0);
}

TEST(Repeat, TurnedPatternSlotsAndBadRecordsOrCounts)
{
    ScriptedUi ui;
    LayoutNode* node = Placed(4, 3, 2, 2);
    GetPattern(0)->rotation = 90;
    ASSERT_EQ(ApplyRepeat(node, 1, 0, 2, 0), REPEAT_DONE);
    ASSERT_EQ(Copies().size(), 1u);
    EXPECT_NEAR(Copies()[0].first, 1.999, 1e-4);
    EXPECT_NEAR(Copies()[0].second, 6.000, 1e-4);

    // All 50 records taken: 2 x 2 refused without change; 1 x 1 needs none and says nothing.
    node = Placed(4, 3, 1, 1);
    FillArrayTable();
    ui.Expect(kCouldNotAddArray, RESPONSE_OK);
    EXPECT_EQ(ApplyRepeat(node, 2, 0, 2, 0), REPEAT_NO_SLOT);
    EXPECT_EQ(ApplyRepeat(node, 1, 0, 1, 0), REPEAT_DONE);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(Counts().first, 1);

    // Counts beyond the sliders and gaps beyond 10 inches are refused.
    node = Placed(1, 1, 1, 1);
    EXPECT_EQ(ApplyRepeat(node, 21, 0, 1, 0), REPEAT_REFUSED);
    EXPECT_EQ(ApplyRepeat(node, 2, 11, 2, 0), REPEAT_REFUSED);
    EXPECT_EQ(ApplyRepeat(node, 2, NAN, 2, 0), REPEAT_REFUSED);
    EXPECT_EQ(Counts(), std::make_pair(1, 0));

    // A node whose record is gone is a single placement again; an array that lost its parent
    // is repeated from the copy.
    node->arrayIndex = 7;
    EXPECT_EQ(RepeatTarget(node), node);
    EXPECT_EQ(node->arrayIndex, -1);
    LayoutNode* orphan = NewPatternLayoutNode(0, NewArrayNode(1, 0, 2, 0), 0, 9, 9);
    ASSERT_EQ(ApplyRepeat(orphan, 1, 0, 2, 0), REPEAT_DONE);
    EXPECT_EQ(orphan->isArrayParent, 1);
    EXPECT_EQ(Counts(), std::make_pair(3, 1));
}

TEST(Autofill, LaysOutTheGridOrRefuses)
{
    ScriptedUi ui;
    LayoutNode* node = Placed(3, 2, 5, 5, 10, 8);
    ui.Expect(kProportions, RESPONSE_YES);
    int stretch = -1;
    ASSERT_EQ(AutofillLayout(node, &stretch), AUTOFILL_LAID_OUT);
    EXPECT_EQ(stretch, 0);
    EXPECT_EQ(Counts(), std::make_pair(12, 1));
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        EXPECT_TRUE(n->x == 0 || n->x == 3 || n->x == 6) << n->x;
        EXPECT_TRUE(n->y == 0 || n->y == 2 || n->y == 4 || n->y == 6) << n->y;
    }
    ui.Expect("YOU MAY NOT AUTOFILL AN ARRAYED PATTERN", RESPONSE_OK);
    EXPECT_EQ(AutofillLayout(node->next, &stretch), AUTOFILL_ARRAYED);

    // One column and one row only; no width at all; too large.
    for (auto [w, h] : Offsets{{5, 5}, {0, 1}, {11, 1}}) {
        node = Placed(w, h, 1, 1, 9, 9);
        ui.Expect(kCannotArray, RESPONSE_OK);
        EXPECT_EQ(AutofillLayout(node, &stretch), AUTOFILL_NO_FIT);
        EXPECT_EQ(Counts().first, 1);
    }
    ClearPatternBox(GetPatternBox(currentBox));  // a box without corners
    ui.Expect(kCannotArray, RESPONSE_OK);
    EXPECT_EQ(AutofillLayout(patternLayout, &stretch), AUTOFILL_NO_FIT);

    // A tiny pattern: at most 20 each way, as the repeat's sliders.
    node = Placed(0.05f, 0.05f, 1, 1, 10, 8);
    ui.Expect(kProportions, RESPONSE_NO);
    ASSERT_EQ(AutofillLayout(node, &stretch), AUTOFILL_LAID_OUT);
    EXPECT_EQ(stretch, 1);
    EXPECT_EQ(Counts().first, 400);

    // A full table or Cancel: the placement stays where it was and nothing is added.
    node = Placed(3, 2, 5, 5, 10, 8);
    FillArrayTable();
    ui.Expect(kProportions, RESPONSE_YES).Expect(kCouldNotCreateArray, RESPONSE_OK);
    EXPECT_EQ(AutofillLayout(node, &stretch), AUTOFILL_NO_SLOT);
    EXPECT_EQ(node->x, 5);
    node = Placed(3, 2, 5, 5, 10, 8);
    ui.Expect(kProportions, RESPONSE_CANCEL);
    EXPECT_EQ(AutofillLayout(node, &stretch), AUTOFILL_CANCELLED);
    EXPECT_EQ(Counts(), std::make_pair(1, 0));
    EXPECT_EQ(node->y, 5);
}

TEST(Autofill, ScalesTheWholeArrayIntoTheBoxKeepingProportions)
{
    ScriptedUi ui;
    LayoutNode* node = Placed(2, 1, 1, 1, 10, 10);  // 2 x 2 of 2 x 1 in 10 x 10
    ApplyRepeat(node, 2, 0, 2, 0);
    interface_.fittingActive = 1;
    ASSERT_EQ(AutoScaleArray(node, 0, 10, 10), AUTOSCALE_ARRAY_DONE);
    EXPECT_EQ(hull, nullptr);
    const Pattern* p = GetPattern(0);
    EXPECT_GT(p->width, 4.5);  // nearly the whole 10-inch width for two columns
    EXPECT_NEAR(p->width / 2.0, p->height / 1.0, 0.01 * p->width / 2.0);
    const PointArray after = ConvexHullOfArray(node);
    EXPECT_EQ(PolygonsOverlap(BoxPolygon(GetPatternBox(currentBox)), after, nullptr, 0), -1);
}

TEST(Autofill, MarginsThatLeaveNoBoxAndCancelChangeNothing)
{
    TempDir dir;
    dir.Write("tmp/.keep", "");
    ScriptedUi ui;
    // Margins that turn the box inside out: refused at once, the menus back to normal.
    Placed(2, 1, 1, 1, 10, 10);
    xMargin = yMargin = 6;
    ui.Expect(kProportions, RESPONSE_YES).Expect(kCannotAutoscale, RESPONSE_OK);
    EXPECT_EQ(popupAutofill(), AUTOSCALE_ARRAY_BAD_BOX);
    EXPECT_EQ(CurrentSensitivity(), kMaskNormal);
    EXPECT_EQ(interface_.fittingActive, 0);
    interface_.fittingActive = 1;
    ui.Expect(kCannotAutoscale, RESPONSE_OK);
    EXPECT_EQ(AutoScaleArray(patternLayout, 0, 10, 10), AUTOSCALE_ARRAY_BAD_BOX);
    EXPECT_EQ(hull, nullptr);

    // Cancel of the waiting window in the middle of the fit: the layout from before.
    Placed(3, 3, 1, 1, 10, 10);
    ui.Expect(kProportions, RESPONSE_YES);
    bool pressed = false;
    uiHooks.runPendingEvents = [&] {
        if (!pressed && hull != nullptr && waitWindow != nullptr)
            pressed = true, OnBtnWaitWindowCancelClicked(waitWindow->window);
    };
    uiHooks.stopWorkOnCancel = [] { interface_.fittingActive = 0; };
    EXPECT_EQ(popupAutofill(), AUTOSCALE_ARRAY_DONE);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(hull, nullptr);
    EXPECT_EQ(Counts(), std::make_pair(1, 0));
    EXPECT_EQ(patternLayout->x, 1);
    EXPECT_EQ(GetPattern(patternLayout->patternIndex)->width, 3);
    EXPECT_EQ(CurrentSensitivity(), kMaskNormal);
}
