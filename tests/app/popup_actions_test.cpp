// The pop-up menu's shape items and Edit ▸ AutoCenter on the selected placement.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "base/interface.h"
#include "app/popup_actions.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"
#include "support/small_layouts.h"
#include "support/temp_dir.h"

namespace {

// The area, the box (5,17),(25,17),(25,5),(5,5) and a 2 x 1 pattern placed at (3, 4).
LayoutNode* PlacedTwoByOne()
{
    ResetLayout();
    extents = new PatternBox();
    for (auto [x, y] : {std::pair<float, float>{0, 0}, {0, 20}, {40, 20}, {40, 0}})
        AddPatternBoxPoint(extents, x, y, 0, 0);
    SetPatternBoxOrigin(extents);
    currentBox = CreatePatternBox();
    for (auto [x, y] : {std::pair<float, float>{5, 17}, {25, 17}, {25, 5}, {5, 5}})
        AddPatternBoxPoint(GetPatternBox(currentBox), x, y, 0, 0);
    SetPatternBoxOrigin(GetPatternBox(currentBox));
    Pattern* p = newPattern();
    for (const char* line : {"c e s", "pX0Y0", "pX2Y0", "pX2Y1", "pX0Y1", "c e e"})
        addData(p, line, 1);
    StorePattern(0, p);
    return interface_.selectedNode = NewPatternLayoutNode(0, -1, 0, 3, 4);
}

}  // namespace

TEST(PopupActions, NothingWithoutALiveSelection)
{
    TempDir dir;
    mkdir("tmp", 0777);
    ScriptedUi ui;  // any question would fail the test
    testing::internal::CaptureStdout();
    LayoutNode* node = PlacedTwoByOne();
    const std::vector<float> xs = GetPattern(0)->pointX;
    for (LayoutNode* selection : {static_cast<LayoutNode*>(nullptr), node + 1}) {
        interface_.selectedNode = selection;
        popupRotateCW();
        popupRotateCCW();
        popupMirrorH();
        popupMirrorV();
        popupFlipPath();
        popupMergePattern();
        popupRemove();
    }
    EXPECT_EQ(GetPattern(0)->pointX, xs);
    EXPECT_EQ(node->x, 3);
    EXPECT_EQ(PlacementCount(), 1);
    EXPECT_FALSE(dir.Exists("tmp/undo.qlf"));

    // A placement whose slot is empty, an array whose record is gone.
    interface_.selectedNode = node;
    node->patternIndex = 7;
    popupRotateCW();
    EXPECT_EQ(node->x, 3);
    node->patternIndex = 0;
    node->arrayIndex = 12;
    ui.Expect("DO YOU REALLY WANT TO REMOVE THIS PATTERN?", RESPONSE_NO);
    popupRemove();
    EXPECT_EQ(PlacementCount(), 1);
    testing::internal::GetCapturedStdout();
    ResetLayout();
}

TEST(PopupActions, MirrorReverseMergeAndRemove)
{
    TempDir dir;
    mkdir("tmp", 0777);
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    LayoutNode* node = PlacedTwoByOne();
    Pattern* p = GetPattern(0);
    popupMirrorH();
    EXPECT_EQ(p->pointY, (std::vector<float>{1, 1, 0, 0}));
    popupMirrorV();
    EXPECT_EQ(p->pointX, (std::vector<float>{2, 0, 0, 2}));
    popupFlipPath();
    EXPECT_EQ(p->pointX, (std::vector<float>{2, 0, 0, 2}));
    EXPECT_EQ(p->pointY, (std::vector<float>{0, 0, 1, 1}));
    EXPECT_EQ(p->commandType, (std::vector<CommandKind>{CommandKind::EntityStart, CommandKind::EntityEnd}));
    EXPECT_FALSE(dir.Exists("tmp/undo.qlf"));  // none of these is undoable
    popupRotateCW();
    EXPECT_FLOAT_EQ(node->x, 3.5f);
    EXPECT_TRUE(dir.Exists("tmp/undo.qlf"));
    popupRotateCCW();

    ui.Expect("ONLY REPEATED PATTERNS MAY BE MERGED", RESPONSE_OK);
    popupMergePattern();

    // A 1 x 2 array of it, merged from the popup.
    const int a = NewArrayNode(1, 0, 2, 1);
    node->arrayIndex = a;
    node->isArrayParent = 1;
    NewPatternLayoutNode(0, a, 0, 6, 4);
    ui.Expect("THIS WILL MERGE THE SELECTED PATTERN INTO A SINGLE PATTERN\n\n"
              "DO YOU WANT TO CONTINUE?", RESPONSE_YES);
    ui.Expect("MERGE COMPLETED SUCCESSFULLY", RESPONSE_OK);
    popupMergePattern();
    EXPECT_EQ(PlacementCount(), 1);
    EXPECT_FLOAT_EQ(GetPattern(0)->width, 5);
    EXPECT_TRUE(dir.Exists("tmp/undo.qlf"));

    // Removing one of an array removes it all and frees the record.
    const int b = NewArrayNode(1, 0, 3, 0);
    patternLayout->arrayIndex = b;
    interface_.selectedNode = NewPatternLayoutNode(0, b, 0, 10, 4);
    NewPatternLayoutNode(0, b, 0, 15, 4);
    ui.Expect("DO YOU REALLY WANT TO REMOVE THIS PATTERN?", RESPONSE_YES);
    popupRemove();
    EXPECT_EQ(PlacementCount(), 0);
    EXPECT_EQ(GetArrayNode(b), nullptr);
    EXPECT_EQ(interface_.selectedNode, nullptr);
    EXPECT_EQ(GetPattern(0), nullptr);
    testing::internal::GetCapturedStdout();
    ResetLayout();
}
