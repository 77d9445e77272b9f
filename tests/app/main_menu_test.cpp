// What the home menu, the pattern select screen and the pop-up menu decide: screens, masks,
// messages and the layout they leave behind.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/interface.h"
#include "app/main_menu.h"
#include "base/screen_config.h"
#include "base/screen_state.h"
#include "base/sensitivity.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "patterns/transform.h"
#include "support/scripted_ui.h"
#include "support/small_layouts.h"
#include "view/capture.h"
#include "support/temp_dir.h"

namespace {

const char kSquare[] = "n square\np X0.000 Y0.000\np X2.000 Y0.000\np X2.000 Y2.000\n"
                       "p X0.000 Y2.000\np X0.000 Y0.000\n";

}  // namespace

TEST(HomeMenu, ScreensNeedingTheAreaFallBackToItsSetup)
{
    ScriptedUi ui;
    ResetLayout();
    FreePatternBox(pbTemp);  // start with no outline being entered at all
    pbTemp = nullptr;
    interface_.boxEditTarget = 1;
    testing::internal::CaptureStdout();
    menuMainPatternView();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Extents == NULL\n");
    ASSERT_NE(pbTemp, nullptr);
    EXPECT_EQ(pbTemp->cornerCount, 0);
    EXPECT_EQ(interface_.boxEditTarget, 0);

    OnBtnUseCurrentClicked();  // "Repeat" with no area
    EXPECT_EQ(ui.screens, (std::vector<Screen>{Screen::ExtentsSetup, Screen::ExtentsSetup}));
    EXPECT_EQ(ui.masks, (std::vector<unsigned>{kMaskNoExtents, kMaskNoExtents}));

    AreaWithOneBox();
    menuMainPatternView();
    EXPECT_EQ(ui.screens.back(), Screen::PatternView);
    EXPECT_EQ(ui.masks.back(), kMaskNormal);
    EXPECT_EQ(command, EditMode::None);
}

TEST(HomeMenu, NewLayoutAsksThenStartsAgainFromTheArea)
{
    ScriptedUi ui;
    AreaWithOneBox();
    Pattern* p = newPattern();
    addData(p, "pX0Y0", 1);
    StorePattern(0, p);
    interface_.selectedNode = NewPatternLayoutNode(0, -1, 0, 1, 1);
    interface_.current_layout = "./Layout/quilt";
    const char question[] = "IF YOU HAVEN'T SAVED YOUR CURRENT LAYOUT ALL DATA WILL BE LOST.\n"
                            "CONTINUE?";

    ui.Expect(question, RESPONSE_CANCEL);
    menuMainNewLayout();
    EXPECT_NE(extents, nullptr);
    EXPECT_EQ(PlacementCount(), 1);
    EXPECT_TRUE(ui.screens.empty());

    ui.Expect(question, RESPONSE_OK);
    menuMainNewLayout();
    EXPECT_EQ(extents, nullptr);
    EXPECT_EQ(patternLayout, nullptr);
    EXPECT_EQ(patternList->usedCount, 0);
    EXPECT_EQ(patternBoxList->count, 0);
    EXPECT_EQ(interface_.selectedNode, nullptr);  // it named a freed placement
    EXPECT_TRUE(interface_.current_layout.empty());
    EXPECT_EQ(command, EditMode::Zoom);
    ASSERT_NE(pbTemp, nullptr);
    EXPECT_EQ(ui.screens, (std::vector<Screen>{Screen::ExtentsSetup}));
    EXPECT_EQ(ui.masks, (std::vector<unsigned>{kMaskNoExtents}));
}

TEST(HomeMenu, PatternBoxChoices)
{
    ScriptedUi ui;
    ParseConfig();
    ResetLayout();
    // Without an area: said so, and the setup collects the area, not a box.
    ui.Expect("YOU MUST SET UP THE TABLE EXTENTS FIRST.\nPROCEEDING TO THE TABLE EXTENTS SETUP.",
              RESPONSE_OK);
    menuMainPatternbox(1);
    EXPECT_EQ(interface_.boxEditTarget, 0);
    EXPECT_EQ(patternBoxList->count, 0);
    EXPECT_EQ(ui.screens.back(), Screen::ExtentsSetup);

    AreaWithOneBox();
    // Remove with a single box: refused, nothing removed.
    ui.Expect("YOU MAY NOT DELETE THIS PATTERN BOX", RESPONSE_OK);
    menuMainPatternbox(2);
    EXPECT_EQ(patternBoxList->count, 1);

    // Add: a 13 x 12 box at (2, 2), the view scaled to the whole area, everything off
    // while it is adjusted.
    menuMainPatternbox(1);
    ASSERT_EQ(patternBoxList->count, 2);
    EXPECT_EQ(currentBox, 1);
    PatternBox* box = GetPatternBox(1);
    EXPECT_EQ(box->cornerCount, 4);
    EXPECT_FLOAT_EQ(box->originX, 2);
    EXPECT_FLOAT_EQ(box->originY, 2);
    EXPECT_FLOAT_EQ(box->width, 13);
    EXPECT_FLOAT_EQ(box->height, 12);
    EXPECT_EQ(interface_.boxEditTarget, 1);
    EXPECT_FLOAT_EQ(interface_.viewScale, 40.0f / 320.0f);  // 40/320 beats 20/200
    EXPECT_EQ(ui.screens.back(), Screen::ExtentsSetup);
    EXPECT_EQ(ui.masks.back(), kMaskAllOff);

    // Remove the current one, with its placements, once confirmed.
    const char warning[] = "ALL PATTERNS ATTACHED TO THE PATTERN BOX WILL BE DELETED AS WELL.\n\n"
                           "CONTINUE?";
    Pattern* p = newPattern();
    addData(p, "pX0Y0", 1);
    StorePattern(0, p);
    interface_.selectedNode = NewPatternLayoutNode(0, -1, 0, 0, 0);
    ui.Expect(warning, RESPONSE_CANCEL);
    menuMainPatternbox(2);
    EXPECT_EQ(patternBoxList->count, 2);
    ui.Expect(warning, RESPONSE_OK);
    menuMainPatternbox(2);
    EXPECT_EQ(patternBoxList->count, 1);
    EXPECT_EQ(patternLayout, nullptr);
    EXPECT_EQ(interface_.selectedNode, nullptr);
}

TEST(HomeMenu, AnAreaOfNoSizeStillGivesAUsableScale)
{
    ScriptedUi ui;
    ParseConfig();
    AreaWithOneBox();
    // A loaded area whose corners all lie on one spot.
    FreePatternBox(extents);
    extents = new PatternBox();
    for (int i = 0; i < 4; ++i)
        AddPatternBoxPoint(extents, 3, 3, i == 0, 0);
    SetPatternBoxOrigin(extents);
    ASSERT_EQ(extents->width, 0.0f);
    interface_.viewScale = 7.0f;
    menuMainPatternbox(0);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.001f);
    ResetLayout();
}

TEST(HomeMenu, SetQuiltAreaStartsFromAnEmptyOutline)
{
    ScriptedUi ui;
    AreaWithOneBox();
    FreePatternBox(pbTemp);
    pbTemp = new PatternBox();
    AddPatternBoxPoint(pbTemp, 1, 1, 1, 0);
    interface_.boxEditTarget = 1;
    interface_.highlightEntity = 3;
    menuMainExtents();
    EXPECT_EQ(pbTemp->cornerCount, 0);
    EXPECT_EQ(interface_.boxEditTarget, 0);
    EXPECT_EQ(interface_.highlightEntity, -1);
    EXPECT_EQ(command, EditMode::Zoom);
    EXPECT_EQ(ui.screens, (std::vector<Screen>{Screen::ExtentsSetup}));
    EXPECT_EQ(ui.masks, (std::vector<unsigned>{kMaskNoExtents}));
}

TEST(HomeMenu, AddPatternReleasesTheMachineAndTheLocks)
{
    ScriptedUi ui;
    std::vector<std::pair<ToolbarToggle, bool>> toggles;
    uiHooks.setToggle = [&](ToolbarToggle t, bool on) { toggles.push_back({t, on}); };
    interface_.capturePolling = 1;
    ResetLayout();
    command = EditMode::MovePattern;
    menuMainAddPattern();
    EXPECT_EQ(command, EditMode::None);
    EXPECT_EQ(ui.pollTimerStops, 1);
    EXPECT_EQ(interface_.capturePolling, 0);
    EXPECT_EQ(toggles, (std::vector<std::pair<ToolbarToggle, bool>>{
                           {ToolbarToggle::LockX, false}, {ToolbarToggle::LockY, false}}));
    EXPECT_EQ(ui.screens, (std::vector<Screen>{Screen::PatternSelect}));
    EXPECT_EQ(ui.masks, (std::vector<unsigned>{kMaskNavigationNoBox}));

    AreaWithOneBox();
    menuMainAddPattern();
    EXPECT_EQ(ui.masks.back(), kMaskNavigationBoxes);
}

TEST(PatternSelect, PathsOfRowsAndTheirLimit)
{
    EXPECT_EQ(PatternRowPath({}, "star.qcc", 75), "./patterns/star.qcc");
    EXPECT_EQ(PatternRowPath({"Borders", "Loops"}, "loop.qcc", 75),
              "./patterns/Borders/Loops/loop.qcc");
    std::string name(64, 'a');  // "./patterns/" is 11: 75 fits, 76 does not
    EXPECT_EQ(PatternRowPath({}, name, 75).size(), 75u);
    EXPECT_EQ(PatternRowPath({}, name + "b", 75), "");
}

TEST(PatternSelect, SelectingPlacesThePatternInTheCurrentBox)
{
    TempDir dir;
    dir.Write("patterns/Shapes/square.qcc", kSquare);
    ScriptedUi ui;
    AreaWithOneBox();
    testing::internal::CaptureStdout();
    int slot = SelectPatternRow({"Shapes"}, "square.qcc");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Extents is not NULL\n");
    ASSERT_GE(slot, 0);
    ASSERT_NE(patternLayout, nullptr);
    EXPECT_EQ(patternLayout->patternIndex, slot);
    EXPECT_EQ(patternLayout->boxIndex, currentBox);
    EXPECT_EQ(patternLayout->arrayIndex, -1);
    EXPECT_FLOAT_EQ(patternLayout->x, 0);
    EXPECT_EQ(GetPattern(slot)->name, "square");
    EXPECT_EQ(patternList->usedCount, 1);
    EXPECT_EQ(patternList->freeSlots, kPatternSlots - 1);
    EXPECT_EQ(interface_.lastPatternPath, "./patterns/Shapes/square.qcc");
    EXPECT_EQ(selectedFile, "./patterns/Shapes/square.qcc");
    EXPECT_EQ(ui.screens, (std::vector<Screen>{Screen::PatternView}));
    EXPECT_EQ(ui.masks, (std::vector<unsigned>{kMaskNormal}));

    // A folder row does nothing.
    EXPECT_EQ(SelectPatternRow({}, ""), -1);
    EXPECT_EQ(PlacementCount(), 1);
    EXPECT_EQ(ui.screens.size(), 1u);
}

TEST(PatternSelect, PatternsTurnToTheBoxAngle)
{
    TempDir dir;
    dir.Write("patterns/square.qcc", kSquare);
    ScriptedUi ui;
    ResetLayout();
    BogusExtents();  // a diamond-shaped box
    int slot = SelectPatternRow({}, "square.qcc");
    ASSERT_GE(slot, 0);
    int angle = static_cast<int>(GetPatternBox(currentBox)->angle);
    EXPECT_NE(angle, 0);
    const Pattern* placed = GetPattern(slot);
    EXPECT_EQ(placed->rotation, angle);
    // The placed points are the file's points turned by the box angle.
    Pattern* file = newPattern("./patterns/square.qcc");
    ASSERT_NE(file, nullptr);
    const std::vector<float> unturnedX = file->pointX;
    ASSERT_TRUE(RotatePattern(file, float(angle)).has_value());
    EXPECT_NE(placed->pointX, unturnedX);
    EXPECT_EQ(placed->pointX, file->pointX);
    EXPECT_EQ(placed->pointY, file->pointY);
    erasePattern(file);
}

TEST(PatternSelect, RefusalsLeaveTheLayoutAlone)
{
    TempDir dir;
    dir.Write("patterns/square.qcc", kSquare);
    dir.Write("patterns/empty.qcc", "n x\n");
    ScriptedUi ui;
    AreaWithOneBox();

    // Fifty patterns are the most a layout holds.
    for (int i = 0; i < kPatternSlots; ++i)
        ASSERT_GE(SelectPatternRow({}, "square.qcc"), 0);
    ui.Expect("MAXIMUM PATTERN COUNT EXCEEDED.\nPLEASE LINK YOUR PATTERNS TO CREATE MORE SPACE.",
              RESPONSE_OK);
    EXPECT_EQ(SelectPatternRow({}, "square.qcc"), -1);
    EXPECT_EQ(PlacementCount(), kPatternSlots);
    EXPECT_EQ(ui.screens.back(), Screen::PatternView);  // the screen still changes

    // A file that no longer reads as a pattern.
    AreaWithOneBox();
    ui.Expect("Pattern File Is Invalid\n", RESPONSE_OK);
    EXPECT_EQ(SelectPatternRow({}, "empty.qcc"), -1);
    EXPECT_EQ(patternLayout, nullptr);
    EXPECT_EQ(patternList->usedCount, 0);

    // Folder names too long to keep.
    ui.ExpectContaining("TOO LONG", RESPONSE_OK);
    size_t screens = ui.screens.size();
    EXPECT_EQ(SelectPatternRow({std::string(70, 'f')}, "square.qcc"), -1);
    EXPECT_EQ(ui.screens.size(), screens);
    EXPECT_EQ(patternLayout, nullptr);
}

TEST(PopupMenu, NextStepsThroughOverlappingPlacements)
{
    AreaWithOneBox();
    interface_.viewScale = 0.1f;
    Pattern* p = newPattern();
    addData(p, "pX0Y0", 1);
    addData(p, "pX2Y2", 1);
    StorePattern(0, p);
    LayoutNode* only = NewPatternLayoutNode(0, -1, 0, 0, 0);
    // Distances are measured to the placements' corners; the box origin (5, 5) lies at
    // pixel (50, 50) at 0.1 inch per pixel.
    int x = 50, y = 50;

    // One placement: "Next" finds the same one again.
    EXPECT_EQ(SelectPopupPattern(x, y, 0, 0), only);
    EXPECT_EQ(SelectNextPopupPattern(x, y, 0, 0), only);
    EXPECT_EQ(patternSkip, 0);

    // Two arrays of two and a loose one on top of each other: "Next" skips the rest of the
    // current array, then comes round to the closest again.
    ResetLayout();
    AreaWithOneBox();
    p = newPattern();
    addData(p, "pX0Y0", 1);
    addData(p, "pX2Y2", 1);
    StorePattern(0, p);
    LayoutNode* a1 = NewPatternLayoutNode(0, 0, 1, 0, 0);
    LayoutNode* a2 = NewPatternLayoutNode(0, 0, 0, 0.1f, 0);
    LayoutNode* loose = NewPatternLayoutNode(0, -1, 0, 0.2f, 0);
    LayoutNode* b1 = NewPatternLayoutNode(0, 1, 1, 0.3f, 0);
    NewPatternLayoutNode(0, 1, 0, 0.4f, 0);
    EXPECT_EQ(SelectPopupPattern(x, y, 0, 0), a1);
    EXPECT_EQ(SelectNextPopupPattern(x, y, 0, 0), loose);
    EXPECT_EQ(SelectNextPopupPattern(x, y, 0, 0), b1);
    EXPECT_EQ(SelectNextPopupPattern(x, y, 0, 0), a1);
    EXPECT_EQ(interface_.selectedNode, a1);
    (void)a2;
}
