// The scale, rotate and properties dialogs' work, driven as the widgets drive it.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/interface.h"
#include "app/popup_actions.h"
#include "machine/serial.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "app/pattern_dialogs.h"
#include "app/undo.h"
#include "base/screen_config.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

// The box (5,17),(25,17),(25,5),(5,5) and a pattern from `lines` placed at (x, y).
LayoutNode* Placed(std::initializer_list<const char*> lines, float x, float y)
{
    ResetLayout();
    extents = new PatternBox();
    for (auto [ex, ey] : {std::pair<float, float>{0, 0}, {0, 20}, {40, 20}, {40, 0}})
        AddPatternBoxPoint(extents, ex, ey, 0, 0);
    SetPatternBoxOrigin(extents);
    currentBox = CreatePatternBox();
    for (auto [bx, by] : {std::pair<float, float>{5, 17}, {25, 17}, {25, 5}, {5, 5}})
        AddPatternBoxPoint(GetPatternBox(currentBox), bx, by, 0, 0);
    SetPatternBoxOrigin(GetPatternBox(currentBox));
    Pattern* p = newPattern();
    for (const char* line : lines)
        addData(p, line, 1);
    UpdatePatternSize(p);
    StorePattern(0, p);
    return interface_.selectedNode = NewPatternLayoutNode(0, -1, 0, x, y);
}

LayoutNode* TwoByOne() { return Placed({"c e s", "pX0Y0", "pX2Y0", "pX2Y1", "pX0Y1", "c e e"}, 3, 4); }

// A 2 x 2 array of a 1 x 1 pattern, parent at (2, 2), spacing 1 both ways.
LayoutNode* SmallArray()
{
    LayoutNode* parent = Placed({"pX0Y0", "pX1Y0", "pX1Y1", "pX0Y1"}, 2, 2);
    const int slot = NewArrayNode(2, 1, 2, 1);
    parent->arrayIndex = slot;
    parent->isArrayParent = 1;
    NewPatternLayoutNode(0, slot, 0, 4, 2);
    NewPatternLayoutNode(0, slot, 0, 2, 4);
    NewPatternLayoutNode(0, slot, 0, 4, 4);
    return parent;
}

std::vector<std::pair<float, float>> Offsets()
{
    std::vector<std::pair<float, float>> out;
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        out.emplace_back(n->x, n->y);
    return out;
}

struct Folder {
    Folder() { mkdir("tmp", 0777); }
    TempDir dir;
};

}  // namespace

TEST(ScaleDialog, SlidersClampRoundAndFollowTheLock)
{
    ScaleState s;
    ScaleSetWidth(s, 150);
    EXPECT_EQ(s.height_percent, 150.0f);
    ScaleSetWidth(s, 401.6);
    EXPECT_EQ(s.width_percent, 400.0f);
    ScaleSetHeight(s, 9.4);
    EXPECT_EQ(s.width_percent, 10.0f);
    ScaleSetWidth(s, -5);
    EXPECT_EQ(s.width_percent, 10.0f);
    ScaleSetWidth(s, std::nan(""));
    EXPECT_EQ(s.width_percent, 10.0f);
    s.lock = false;
    ScaleSetWidth(s, 120);
    ScaleSetHeight(s, 80);
    EXPECT_EQ(s.width_percent, 120.0f);
    s.lock = true;
    // Each button moves each slider by one from its own value.
    ScaleStepWidth(s, +1);
    EXPECT_EQ(s.width_percent, 121.0f);
    EXPECT_EQ(s.height_percent, 81.0f);
    ScaleStepHeight(s, -1);
    EXPECT_EQ(s.width_percent, 120.0f);
    EXPECT_EQ(s.height_percent, 80.0f);
    ScaleSetWidth(s, 400);
    ScaleStepWidth(s, +1);
    EXPECT_EQ(s.width_percent, 400.0f);
    // A dialog too small for a preview still gets a one-pixel area and a usable scale.
    int w = 0, h = 0;
    ScalePreviewSize(45, 90, &w, &h);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    Folder f;
    ScaleState one;
    one.copies = CopyLayoutNode(TwoByOne());
    const float scale = ScalePreviewScale(one, 0, -3);
    EXPECT_TRUE(scale > 0 && std::isfinite(scale));
    FreeLayoutList(one.copies);
    currentBox = -1;
    EXPECT_GT(ScalePreviewScale(s, 1, 1), 0.0f);
}

TEST(ScaleDialog, OkStretchesAboutTheMiddleAndCancelOrNothingChangesNothing)
{
    Folder f;
    ScriptedUi ui;
    LayoutNode* node = TwoByOne();
    int shown = 0;
    int answer = RESPONSE_CANCEL;
    uiHooks.scaleDialog = [&](ScaleState& s) {
        ++shown;
        ScaleSetWidth(s, 150);
        return answer;
    };
    interface_.viewScale = 0.05f;
    popupScale();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(access(UndoFilePath().c_str(), F_OK), 0);
    EXPECT_EQ(node->x, 3.0f);
    EXPECT_EQ(GetPattern(0)->width, 2.0f);

    answer = RESPONSE_OK;
    EXPECT_EQ(ScaleDialog(node), RESPONSE_OK);
    EXPECT_FLOAT_EQ(GetPattern(0)->width, 3.0f);
    EXPECT_FLOAT_EQ(GetPattern(0)->height, 1.5f);
    EXPECT_FLOAT_EQ(node->x, 2.5f);
    EXPECT_FLOAT_EQ(node->y, 3.75f);
    EXPECT_EQ(interface_.viewScale, 0.05f);

    // 100 / 100: nothing moves by even a bit.
    const std::vector<float> xs = GetPattern(0)->pointX;
    const float x = node->x, y = node->y;
    uiHooks.scaleDialog = [&](ScaleState&) { return RESPONSE_OK; };
    ScaleDialog(node);
    EXPECT_EQ(GetPattern(0)->pointX, xs);
    EXPECT_EQ(node->x, x);
    EXPECT_EQ(node->y, y);

    // No selection, or a stale one: nothing is shown.
    shown = 0;
    uiHooks.scaleDialog = [&](ScaleState&) { return ++shown, RESPONSE_OK; };
    EXPECT_EQ(ScaleDialog(nullptr), kScaleNothingToShow);
    EXPECT_EQ(ScaleDialog(node + 1), kScaleNothingToShow);
    interface_.selectedNode = nullptr;
    popupScale();
    EXPECT_EQ(shown, 0);
    uiHooks.scaleDialog = nullptr;
}

TEST(ScaleDialog, AnArrayScalesAsAWholeAboutItsMiddleAndItsSpacingFollows)
{
    Folder f;
    ScriptedUi ui;
    LayoutNode* parent = SmallArray();
    uiHooks.scaleDialog = [](ScaleState& s) {
        ScaleSetWidth(s, 200);
        return RESPONSE_OK;
    };
    ScaleDialog(parent->next->next);
    uiHooks.scaleDialog = nullptr;
    const std::vector<std::pair<float, float>> expected = {{0.5f, 0.5f}, {4.5f, 0.5f}, {0.5f, 4.5f}, {4.5f, 4.5f}};
    const auto got = Offsets();
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_FLOAT_EQ(got[i].first, expected[i].first) << i;
        EXPECT_FLOAT_EQ(got[i].second, expected[i].second) << i;
    }
    EXPECT_FLOAT_EQ(GetArrayNode(parent->arrayIndex)->spacingAcross, 2.0f);
    EXPECT_FLOAT_EQ(GetArrayNode(parent->arrayIndex)->spacingDown, 2.0f);

    // A copy whose array record has gone is scaled on its own.
    RemoveArrayNode(parent->arrayIndex);
    uiHooks.scaleDialog = [](ScaleState& s) {
        EXPECT_EQ(s.copies->next, nullptr);
        ScaleSetWidth(s, 50);
        return RESPONSE_OK;
    };
    LayoutNode* last = parent->next->next->next;
    ScaleDialog(last);
    uiHooks.scaleDialog = nullptr;
    EXPECT_FLOAT_EQ(last->x, 5.0f);
    EXPECT_FLOAT_EQ(parent->x, 0.5f);
}

TEST(ScaleDialog, SmartScaleFillsTheBoxAndThePreviewHasItsOwnScale)
{
    Folder f;
    ScriptedUi ui;
    LayoutNode* node = Placed({"pX0Y0", "pX1Y0", "pX1Y2", "pX0Y2"}, 3, 4);
    bool offered = false;
    float previewScale = 0;
    interface_.viewScale = 0.05f;
    scale_dialog_width = 320;
    scale_dialog_height = 240;
    uiHooks.scaleDialog = [&](ScaleState& s) {
        offered = s.smartScale;
        previewScale = interface_.viewScale;
        return kScaleSmartScale;
    };
    // Yes: the 1 x 2 grows to the 20 x 12 box's full height, 6 x 12, inside it.
    ui.Expect("KEEP PATTERN PROPORTIONS?", RESPONSE_YES);
    interface_.selectedNode = nullptr;
    EXPECT_EQ(ScaleDialog(node), kScaleSmartScale);
    EXPECT_TRUE(offered);
    const Pattern* p = GetPattern(0);
    EXPECT_NEAR(p->width, 6.0f, 1e-3);
    EXPECT_NEAR(p->height, 12.0f, 1e-3);
    EXPECT_TRUE(node->x >= -1e-3f && node->y >= -1e-3f && node->x + p->width <= 20.001f &&
                node->y + p->height <= 12.001f);
    // The preview showed the box plus an inch each way in 275 x 150 pixels.
    EXPECT_FLOAT_EQ(previewScale, 14.0f / 150.0f);
    EXPECT_EQ(interface_.viewScale, 0.05f);

    uiHooks.scaleDialog = nullptr;
}

TEST(RotateDialog, TurnsByThePadsAngleAndWrapsTheRotation)
{
    Folder f;
    ScriptedUi ui;
    LayoutNode* node = TwoByOne();
    ui.Enter(90);
    popupRotate();
    EXPECT_FLOAT_EQ(GetPattern(0)->width, 1.0f);
    EXPECT_FLOAT_EQ(GetPattern(0)->height, 2.0f);
    EXPECT_FLOAT_EQ(node->x, 3.5f);
    EXPECT_FLOAT_EQ(node->y, 3.5f);
    EXPECT_EQ(GetPattern(0)->rotation, 90);

    GetPattern(0)->rotation = 0;
    ui.Enter(370);
    RotateDialog(node);
    EXPECT_EQ(GetPattern(0)->rotation, 10);
    GetPattern(0)->rotation = 350;
    ui.Enter(20);
    RotateDialog(node);
    EXPECT_EQ(GetPattern(0)->rotation, 10);

    // 0, a negative angle and a cancelled pad (which gives back "0.0") change nothing, but
    // the undo file is written first.
    const std::vector<float> xs = GetPattern(0)->pointX;
    const float x = node->x;
    for (double angle : {0.0, -45.0, std::nan("")}) {
        unlink(UndoFilePath().c_str());
        ui.Enter(angle);
        EXPECT_EQ(RotateDialog(node), 0);
        EXPECT_EQ(access(UndoFilePath().c_str(), F_OK), 0);
        EXPECT_EQ(GetPattern(0)->pointX, xs);
        EXPECT_EQ(node->x, x);
        EXPECT_EQ(GetPattern(0)->rotation, 10);
    }
}

TEST(PropertiesDialog, ShowsTheParentAndEditsSizeAndStart)
{
    Folder f;
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    LayoutNode* parent = SmallArray();
    PropertiesState s;
    ASSERT_EQ(PropertiesBegin(s, parent->next->next->next), 1);
    EXPECT_EQ(s.node, parent);
    EXPECT_EQ(s.text[PROP_LOCAL_X], "2.000");
    EXPECT_EQ(s.text[PROP_ACTUAL_Y], "7.000");
    EXPECT_EQ(s.text[PROP_WIDTH], "1.000");

    // Touching the local X entry: the pad's value, the actual X follows.
    ui.Enter(3.25);
    PropertiesEntryTouched(s, PROP_LOCAL_X);
    EXPECT_EQ(s.text[PROP_LOCAL_X], "3.250");
    EXPECT_EQ(s.text[PROP_ACTUAL_X], "8.250");
    PropertiesApply(s);
    EXPECT_FLOAT_EQ(parent->x, 3.25f);
    EXPECT_FLOAT_EQ(parent->next->x, 5.25f);  // the array moves along

    // Unusable sizes change nothing.
    const std::vector<float> xs = GetPattern(0)->pointX;
    for (const char* text : {"0", "abc", "", "1e400", "-3"}) {
        PropertiesState t;
        PropertiesBegin(t, parent);
        t.text[PROP_WIDTH] = text;
        PropertiesApply(t);
        EXPECT_EQ(GetPattern(0)->pointX, xs) << text;
        EXPECT_FLOAT_EQ(parent->x, 3.25f) << text;
    }

    // Move All: the box, and with it every pattern, moves; offsets stay.
    PatternBox* box = GetPatternBox(currentBox);
    const float cx = box->centerX, firstCorner = box->corners->x;
    const auto offsets = Offsets();
    PropertiesState m;
    PropertiesBegin(m, parent);
    m.moveAll = true;
    m.text[PROP_LOCAL_X] = "5.250";
    m.text[PROP_WIDTH] = "9";
    EXPECT_EQ(PropertiesApply(m), 2);
    EXPECT_FLOAT_EQ(box->originX, 7.0f);
    EXPECT_FLOAT_EQ(box->centerX, cx + 2);
    EXPECT_FLOAT_EQ(box->corners->x, firstCorner + 2);
    EXPECT_EQ(Offsets(), offsets);
    EXPECT_EQ(GetPattern(0)->pointX, xs);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("NumberEntry returned: 3.250\n"), std::string::npos);
    EXPECT_NE(out.find("Move pattern from ( 2.000, 2.000 ) to ( 3.250, 2.000 ) with initial pattern "
                       "start ( 2.000, 2.000 )\n"
                       "After move: Location = ( 3.250, 2.000 ) with pattern start at ( 3.250, "
                       "2.000 )\n"),
              std::string::npos);
}

TEST(PropertiesDialog, ALineStretchesOnlyAlongItselfAndAClosedPortIsReported)
{
    Folder f;
    ScriptedUi ui;
    LayoutNode* node = Placed({"pX0Y0", "pX2Y0"}, 1, 1);
    PropertiesState s;
    PropertiesBegin(s, node);
    s.text[PROP_WIDTH] = "4";
    s.text[PROP_HEIGHT] = "3";
    PropertiesApply(s);
    const Pattern* p = GetPattern(0);
    EXPECT_FLOAT_EQ(p->width, 4.0f);
    EXPECT_EQ(p->height, 0.0f);
    for (int i = 0; i < p->pointCount; ++i)
        EXPECT_TRUE(std::isfinite(p->pointX[size_t(i)]) && std::isfinite(p->pointY[size_t(i)]));
    EXPECT_TRUE(std::isfinite(node->x) && std::isfinite(node->y));

    ASSERT_LT(sp, 0);
    PropertiesState r;
    PropertiesBegin(r, node);
    const auto before = r.text;
    ui.Expect("COULD NOT RETRIEVE POINT", RESPONSE_OK);
    EXPECT_EQ(PropertiesRetrieve(r, ReadMachinePosition), 0);
    EXPECT_EQ(r.text, before);
}
