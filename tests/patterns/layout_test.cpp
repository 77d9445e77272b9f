// Placements: removal with their patterns, extents of the current box, nearest placement,
// turning arrays, the array table and the reset.

#include <gtest/gtest.h>

#include <string>

#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

int StorePattern(float w, float h) {
    Pattern* p = newPattern();
    addData(p, "pX0Y0", 1);
    addData(p, "pX" + std::to_string(w) + "Y" + std::to_string(h), 1);
    int slot = GetNextPattern();
    if (!StorePattern(slot, p)) {
        erasePattern(p);
        ADD_FAILURE() << "no pattern slot";
    }
    return slot;
}

// A fresh layout with boxes 0 and 1, box 0 current.
void FreshLayout() {
    ResetLayout();
    CreatePatternBox();
    CreatePatternBox();
    currentBox = 0;
}

}  // namespace

TEST(LayoutNodes, PatternIsErasedWithItsLastPlacement) {
    FreshLayout();
    int slot = StorePattern(1, 1);
    LayoutNode* a = NewPatternLayoutNode(slot, -1, 0, 0, 0);
    LayoutNode* b = NewPatternLayoutNode(slot, -1, 0, 5, 0);
    EXPECT_EQ(a->origin, a);
    EXPECT_EQ(a->next, b);

    RemoveLayoutNode(a);  // one of two: the pattern stays
    EXPECT_EQ(patternLayout, b);
    EXPECT_NE(GetPattern(slot), nullptr);
    EXPECT_EQ(patternList->usedCount, 1);

    RemoveLayoutNode(b);  // the last: the pattern goes and its slot is free
    EXPECT_EQ(patternLayout, nullptr);
    EXPECT_EQ(GetPattern(slot), nullptr);
    EXPECT_EQ(patternList->usedCount, 0);
    EXPECT_EQ(patternList->freeSlots, kPatternSlots);
    ResetLayout();
}

TEST(LayoutNodes, CopiesAreNotPartOfTheLayout) {
    FreshLayout();
    int slot = StorePattern(1, 1);
    LayoutNode* a = NewPatternLayoutNode(slot, 3, 1, 2, 4);
    NewPatternLayoutNode(slot, 3, 0, 6, 4);
    LayoutNode* copy = CopyLayoutNode(a);
    EXPECT_EQ(copy->next, nullptr);
    EXPECT_EQ(copy->origin, a);
    EXPECT_EQ(copy->arrayIndex, 3);
    EXPECT_EQ(copy->x, 2);
    EXPECT_EQ(CopyLayoutNode(nullptr), nullptr);
    // Removing a copy must not unlink or free anything of the layout.
    RemoveLayoutNode(copy);
    EXPECT_EQ(patternLayout, a);
    EXPECT_NE(GetPattern(slot), nullptr);
    FreeLayoutList(copy);
    RemoveLayoutNode(nullptr);
    ResetLayout();
}

TEST(LayoutNodes, ParentMovesAndInnerRemoval) {
    FreshLayout();
    int slot = StorePattern(1, 1);
    LayoutNode* loose = NewPatternLayoutNode(slot, -1, 0, 0, 0);
    LayoutNode* child = NewPatternLayoutNode(slot, 2, 0, 1, 1);
    LayoutNode* parent = NewPatternLayoutNode(slot, 2, 1, 2, 2);
    currentBox = 1;
    LayoutNode* other = NewPatternLayoutNode(slot, -1, 0, 9, 9);
    EXPECT_EQ(other->boxIndex, 1);
    EXPECT_EQ(GetParentNode(child), parent);
    EXPECT_EQ(GetParentNode(loose), nullptr);
    EXPECT_EQ(GetParentNode(nullptr), nullptr);

    currentBox = 0;
    MoveLayoutAll(1, -1);  // only the placements of box 0
    EXPECT_EQ(loose->x, 1);
    EXPECT_EQ(parent->y, 1);
    EXPECT_EQ(other->x, 9);
    MoveLayoutPattern(child, 0.5f, 0.5f);
    EXPECT_EQ(child->x, 2.5f);
    MoveLayoutPattern(nullptr, 1, 1);

    RemoveLayoutNode(child);  // from the middle of the list
    EXPECT_EQ(loose->next, parent);
    ResetLayout();
}

TEST(LayoutExtents, EmptyAndFilledCurrentBox) {
    FreshLayout();
    Point p{9, 9};
    GetLayoutOrigin(&p);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    GetLayoutCenter(&p);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    GetLayoutDimensions(&p);
    EXPECT_EQ(p.x, -1);
    EXPECT_EQ(p.y, -1);

    NewPatternLayoutNode(StorePattern(4, 2), -1, 0, 1, 3);
    NewPatternLayoutNode(StorePattern(2, 6), -1, 0, 7, 2);
    currentBox = 1;
    NewPatternLayoutNode(StorePattern(1, 1), -1, 0, -50, -50);  // another box: ignored
    GetLayoutDimensions(&p);
    EXPECT_EQ(p.x, 1);  // the current box has just that one
    currentBox = 0;

    GetLayoutOrigin(&p);
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 2);
    GetLayoutDimensions(&p);  // x 1..9, y 2..8
    EXPECT_FLOAT_EQ(p.x, 8);
    EXPECT_FLOAT_EQ(p.y, 6);
    GetLayoutCenter(&p);
    EXPECT_FLOAT_EQ(p.x, 5);
    EXPECT_FLOAT_EQ(p.y, 5);
    ResetLayout();
}

TEST(LayoutClosest, DistanceOrderTiesAndNothing) {
    FreshLayout();
    AddPatternBoxPoint(GetPatternBox(0), 10, 20, 0, 0);  // origin (10, 20)
    int slot = StorePattern(1, 1);
    // Scale 0.1 inch per pixel: the box origin sits at pixel (100, 200); pan (5, -5).
    LayoutNode* far = NewPatternLayoutNode(slot, -1, 0, 3, 0);      // (135, 195)
    LayoutNode* tieA = NewPatternLayoutNode(slot, -1, 0, 1, 0);     // (115, 195)
    LayoutNode* tieB = NewPatternLayoutNode(slot, -1, 0, 1.25f, 0.5f);  // (117, 200)
    currentBox = 1;
    NewPatternLayoutNode(slot, -1, 0, 1, 0.5f);                     // other box
    currentBox = 0;

    // From (110, 200) tieA is sqrt(50) and tieB 7 pixels away: equal in whole pixels, so
    // layout order decides. The far one is 25 away.
    EXPECT_EQ(GetClosestPattern(110, 200, 0, 0.1f, 5, -5), tieA);
    EXPECT_EQ(GetClosestPattern(110, 200, 1, 0.1f, 5, -5), tieB);
    EXPECT_EQ(GetClosestPattern(110, 200, 2, 0.1f, 5, -5), far);
    EXPECT_EQ(GetClosestPattern(110, 200, 3, 0.1f, 5, -5), nullptr);
    EXPECT_EQ(GetClosestPattern(110, 200, -1, 0.1f, 5, -5), nullptr);
    // Near the far one it comes first.
    EXPECT_EQ(GetClosestPattern(140, 195, 0, 0.1f, 5, -5), far);
    // A zero scale gives an answer, not a crash.
    GetClosestPattern(0, 0, 0, 0.0f, 0, 0);
    ResetLayout();
    EXPECT_EQ(GetClosestPattern(0, 0, 0, 0.1f, 0, 0), nullptr);
}

TEST(LayoutRotate, ArrayTurnsAboutTheCentreAndStaysCentred) {
    FreshLayout();
    int slot = StorePattern(2, 2);
    LayoutNode* left = NewPatternLayoutNode(slot, 0, 1, 0, 0);
    LayoutNode* right = NewPatternLayoutNode(slot, 0, 0, 10, 0);
    LayoutNode* loose = NewPatternLayoutNode(slot, -1, 0, 4, 4);
    // The array covers 0..12 x 0..2 around (6, 1); half a turn swaps the two repeats.
    RotateLayout(left, 6, 1, 180);
    EXPECT_NEAR(left->x, 10, 1e-4);
    EXPECT_NEAR(left->y, 0, 1e-4);
    EXPECT_NEAR(right->x, 0, 1e-4);
    EXPECT_NEAR(right->y, 0, 1e-4);
    EXPECT_EQ(loose->x, 4);
    // A quarter turn stands the row up, still centred on (6, 1): x 5..7, y -5..7.
    RotateLayout(left, 6, 1, 90);
    EXPECT_NEAR(std::min(left->x, right->x), 5, 1e-4);
    EXPECT_NEAR(std::min(left->y, right->y), -5, 1e-4);
    EXPECT_NEAR(std::max(left->y, right->y), 5, 1e-4);
    RotateLayout(loose, 0, 0, 90);  // in no array: nothing
    EXPECT_EQ(loose->x, 4);
    RotateLayout(nullptr, 0, 0, 90);
    ResetLayout();
}

TEST(ArrayTable, SlotsFillLowestFirstAndRefuseWhenFull) {
    InitArrays();
    EXPECT_EQ(NewArrayNode(2, 0.5f, 3, 0.25f), 0);
    ASSERT_NE(GetArrayNode(0), nullptr);
    EXPECT_EQ(GetArrayNode(0)->rows, 2);
    EXPECT_EQ(GetArrayNode(0)->spacingDown, 0.5f);
    EXPECT_EQ(GetArrayNode(0)->columns, 3);
    EXPECT_EQ(GetArrayNode(0)->spacingAcross, 0.25f);
    SetArrayNode(0, 4, 1, 5, 2);
    EXPECT_EQ(GetArrayNode(0)->columns, 5);
    SetArrayNode(7, 4, 1, 5, 2);  // empty: ignored
    SetArrayNode(99, 4, 1, 5, 2);
    EXPECT_EQ(GetArrayNode(7), nullptr);
    EXPECT_EQ(GetArrayNode(50), nullptr);
    EXPECT_EQ(GetArrayNode(-3), nullptr);

    for (int i = 1; i < MAX_ARRAYS; ++i) EXPECT_EQ(NewArrayNode(1, 0, 1, 0), i);
    EXPECT_EQ(NewArrayNode(1, 0, 1, 0), -1);
    RemoveArrayNode(17);
    RemoveArrayNode(50);
    RemoveArrayNode(-1);
    EXPECT_EQ(NewArrayNode(1, 0, 1, 0), 17);
    InitArrays();
    EXPECT_EQ(GetArrayNode(0), nullptr);
}

TEST(LayoutReset, LeavesAnEmptyLayout) {
    ResetLayout();
    BogusExtents();
    int slot = StorePattern(1, 1);
    NewPatternLayoutNode(slot, NewArrayNode(1, 0, 1, 0), 1, 0, 0);
    AddPatternBoxPoint(pbTemp, 1, 1, 0, 0);
    hull = std::make_unique<PointArray>(3);
    ResetLayout();
    EXPECT_EQ(patternLayout, nullptr);
    EXPECT_EQ(extents, nullptr);
    EXPECT_EQ(patternBoxList->count, 0);
    EXPECT_EQ(currentBox, -1);
    EXPECT_EQ(pbTemp->cornerCount, 0);
    EXPECT_EQ(patternList->usedCount, 0);
    EXPECT_EQ(GetArrayNode(0), nullptr);
    EXPECT_EQ(hull, nullptr);
}
