// Touch editing on the pattern view: gestures fed with injected times and pointer positions.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/edit_modes.h"
#include "base/interface.h"
#include "app/main_menu.h"
#include "base/screen_config.h"
#include "base/screen_state.h"
#include "base/sensitivity.h"
#include "base/settings.h"
#include "base/status_bar.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "view/button_image.h"
#include "view/pattern_view.h"
#include "view/touch_edit.h"
#include "view/view_fixtures.h"

namespace {

// Boxes 0, 1 and 2 of 10 x 5 inches; box 1 (current) holds `single` and an array of two;
// box 0 holds `elsewhere`. Small icons on the 320 x 200 view, menus enabled.
struct TouchFixture {
    TempDir dir;
    LayoutNode *single, *arrayed, *arrayedToo, *elsewhere;

    explicit TouchFixture(int iconStyle = 0)
    {
        std::filesystem::copy(std::string(CORVAN_SOURCE_DIR) + "/data/images", "images");
        mkdir("tmp", 0777);
        interface_ = Interface();
        command = EditMode::None;
        zoomAll = zoomed = 0;
        ParseConfig();
        icon_style = iconStyle;
        ResetLayout();
        extents = new PatternBox();
        for (auto [x, y] : {std::pair<float, float>{0, 0}, {40, 0}, {40, 20}, {0, 20}})
            AddPatternBoxPoint(extents, x, y, 0, 1);
        SetPatternBoxOrigin(extents);
        view_test::AddBox(0, 0, 10, 5);
        const int slot = view_test::AddPattern({"pX0Y0", "pX2Y1"});
        elsewhere = NewPatternLayoutNode(slot, -1, 0, 1, 1);
        view_test::AddBox(12, 0, 10, 5);
        single = NewPatternLayoutNode(slot, -1, 0, 1, 1);
        arrayed = NewPatternLayoutNode(slot, 0, 1, 4, 1);
        arrayedToo = NewPatternLayoutNode(slot, 0, 0, 7, 1);
        view_test::AddBox(24, 0, 10, 5);
        currentBox = 1;
        interface_.viewScale = 0.05f;
        SetSensitivity(kMaskNormal);
        EndTouchGesture();
        moveIncrement = 0.1f;
    }
};

// Press, two moves, release `ms` after the press.
void Drag(double x0, double y0, double x1, double y1, int64_t press_ms, int64_t ms)
{
    OnViewButtonPress(x0, y0, press_ms);
    OnViewButtonMotion((x0 + x1) / 2, (y0 + y1) / 2);
    OnViewButtonMotion(x1, y1);
    OnViewButtonRelease(x1, y1, press_ms + ms);
}

void Tap(double x, double y) { Drag(x, y, x, y, 1000, 80); }

// Ticks of the long-press timer until it stops or `ticks` have passed.
TouchWork Hold(int ticket, int ticks, double x, double y)
{
    TouchWork w;
    for (int i = 0; i < ticks && !w.stopTimer; ++i)
        w = ButtonTimer(ticket, x, y);
    return w;
}

}  // namespace

TEST(TouchFlick, SpeedDirectionAndEdgesDecidePaging)
{
    TouchFixture f;
    Drag(200, 100, 100, 100, 5000, 300);  // 333 px/s
    Drag(200, 100, 100, 100, 5000, 200);  // 500 px/s: not yet a flick
    EXPECT_EQ(currentBox, 1);
    Drag(200, 100, 100, 124, 5000, 150);  // 667 px/s to the left: the next box
    EXPECT_EQ(currentBox, 2);
    Drag(100, 100, 200, 100, 5000, 150);
    EXPECT_EQ(currentBox, 1);
    Drag(200, 100, 100, 125, 5000, 150);  // 25 pixels down: nothing at all
    EXPECT_EQ(currentBox, 1);
    // Epoch milliseconds, and a release in the press's millisecond.
    Drag(200, 100, 100, 100, 1765000000123, 150);
    Drag(100, 100, 300, 100, 1765000000123, 0);
    EXPECT_EQ(currentBox, 1);
    EXPECT_EQ(zoomAll, 1);

    currentBox = 0;  // no previous box; then no next box after the last
    Drag(100, 100, 200, 100, 0, 10);
    EXPECT_EQ(currentBox, 0);
    currentBox = 2;
    Drag(200, 100, 100, 100, 0, 10);
    currentBox = 49;  // the last slot; slot 48 is empty
    EXPECT_FALSE(PageBox(+1) || PageBox(-1));
    currentBox = 1;
    command = EditMode::Stitching;
    Drag(200, 100, 100, 100, 0, 10);
    EXPECT_EQ(currentBox, 1);
    command = EditMode::None;
    Tap(310, 10);  // the corner arrows
    EXPECT_EQ(currentBox, 2);
    Tap(10, 10);
    EXPECT_EQ(currentBox, 1);
}

TEST(TouchLongPress, ArmsOnlyWhenStillHeldAndAllowed)
{
    TouchFixture f;
    int ticket = OnViewButtonPress(100, 100, 0);
    EXPECT_FALSE(Hold(ticket, 8, 105, 103).stopTimer);
    EXPECT_TRUE(ButtonTimer(ticket, 105, 103).stopTimer);
    EXPECT_EQ(showMenu + menuReady, 2);
    command = EditMode::MoveAll;  // the release opens the menu at the press, and no pad action
    TouchWork w = OnViewButtonRelease(299, 142, 2000);
    EXPECT_TRUE(w.openPopup && w.popupX == 100 && w.popupY == 100);
    EXPECT_FLOAT_EQ(f.single->x, 1.0f);
    command = EditMode::None;

    ticket = OnViewButtonPress(100, 100, 0);  // drifts 16 pixels
    w = Hold(ticket, 3, 112, 110);
    EXPECT_TRUE(w.stopTimer && w.arrowCursor);
    EXPECT_FALSE(OnViewButtonRelease(112, 110, 1500).openPopup);
    ticket = OnViewButtonPress(100, 100, 0);  // lifted
    OnViewButtonRelease(100, 100, 50);
    EXPECT_TRUE(ButtonTimer(ticket, 100, 100).stopTimer);
    for (uint32_t mask : {kMaskAllOff, kMaskStitching}) {
        SetSensitivity(mask);
        command = mask == kMaskStitching ? EditMode::Stitching : EditMode::None;
        Hold(OnViewButtonPress(100, 100, 0), 20, 100, 100);
        EXPECT_FALSE(OnViewButtonRelease(100, 100, 2000).openPopup) << mask;
    }
    command = EditMode::None;
    SetSensitivity(kMaskNormal);

    // A timer left from the first press cannot bring the second press's arming early.
    const int first = OnViewButtonPress(100, 100, 0);
    Hold(first, 5, 100, 100);
    OnViewButtonRelease(100, 100, 500);
    const int second = OnViewButtonPress(100, 100, 600);
    EXPECT_TRUE(ButtonTimer(first, 100, 100).stopTimer);
    Hold(second, 8, 100, 100);
    EXPECT_EQ(showMenu, 0);
    ButtonTimer(second, 100, 100);
    EXPECT_EQ(showMenu, 1);
    EndTouchGesture();  // the area went mid-hold: its release never counts
    EXPECT_FALSE(OnViewButtonRelease(100, 100, 0).openPopup);
    EXPECT_FALSE(menuReady);
}

TEST(TouchZoom, ShownButtonsStepAndNeverBelowTheSmallestScale)
{
    TouchFixture f;
    const int c = 160;
    EXPECT_EQ(GetButtonPressed(c - 72, 180), 0);
    EXPECT_EQ(GetButtonPressed(c - 41, 191), 1);
    EXPECT_EQ(GetButtonPressed(c + 71, 180), 3);
    EXPECT_EQ(GetButtonPressed(319, 143), 4);

    command = EditMode::Zoom;  // as New Layout leaves it: no buttons, so no zoom
    Tap(c - 50, 180);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.05f);
    EXPECT_EQ(zoomed, 0);
    menuViewZoomIn();
    Tap(c - 50, 180);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.06f);
    EXPECT_EQ(interface_.panX, 10);
    EXPECT_EQ(zoomed, 1);
    for (float start : {0.005f, 0.01f}) {
        interface_.viewScale = start;
        interface_.panX = interface_.panY = 7;
        Tap(c + 50, 180);
        EXPECT_FLOAT_EQ(interface_.viewScale, start);
        EXPECT_EQ(interface_.panX + interface_.panY, 14);
    }
}

TEST(TouchPad, ArrowsMoveByTheIncrementInBothIconSets)
{
    for (int style : {0, 1}) {
        TouchFixture f(style);
        const int D = style == 1 ? 95 : 58, S = style == 1 ? 50 : 32, t = style == 1 ? 10 : 5;
        const int cx = 320 - D, cy = 200 - D;
        menuEditMove();
        Tap(cx + S + t, cy);  // right arrow: the whole box
        EXPECT_NEAR(f.single->x, 1.1f, 1e-5);
        EXPECT_NEAR(f.arrayedToo->x, 7.1f, 1e-5);
        EXPECT_NEAR(f.elsewhere->x, 1.0f, 1e-5);
        Tap(cx, cy - S - t);  // up arrow
        EXPECT_NEAR(f.single->y, 0.9f, 1e-5);
        Drag(cx - D + 2, cy + D - 2, cx + D - 2, cy + D - 2, 0, 2000);  // over the pad
        EXPECT_NEAR(f.single->x, 1.1f, 1e-5);
        Drag(100, 60, 120, 60, 0, 2000);  // elsewhere: 20 pixels at 0.05
        EXPECT_NEAR(f.single->x, 2.1f, 1e-4);

        interface_.selectedNode = f.arrayed;
        popupMove();
        Tap(cx + S + t, cy);  // the selected placement's whole array
        EXPECT_NEAR(f.arrayed->x, 5.2f, 1e-4);
        EXPECT_NEAR(f.arrayedToo->x, 8.2f, 1e-4);
        EXPECT_NEAR(f.single->x, 2.1f, 1e-4);
        Tap(cx, cy);  // the check mark
        EXPECT_EQ(command, EditMode::None);
        EXPECT_EQ(offTempX, -1);
    }
}

TEST(TouchPad, StaleSelectionMovesNothing)
{
    TouchFixture f;
    auto arrowAndDrag = [] {
        Tap(299, 142);
        Drag(100, 60, 140, 60, 0, 2000);
    };
    interface_.selectedNode = f.single;
    popupMove();
    currentBox = 0;  // paged away from the selection
    arrowAndDrag();
    EXPECT_FLOAT_EQ(f.single->x + f.elsewhere->x, 2.0f);
    currentBox = 1;
    RemoveLayoutNode(f.single);  // freed while the view still names it
    arrowAndDrag();
    interface_.selectedNode = nullptr;
    arrowAndDrag();
    ResetLayout();
    arrowAndDrag();
    EXPECT_EQ(patternLayout, nullptr);
}

TEST(TouchRun, MeasureAndSpeedArrows)
{
    TouchFixture f;
    menuEditMeasure();
    Drag(50, 50, 150, 50, 0, 2000);
    EXPECT_EQ(interface_.measureText.value_or(""), "5.000 inches");

    EXPECT_FLOAT_EQ(RaisedSpeed(95, 0), 100);
    EXPECT_FLOAT_EQ(LoweredSpeed(40, 20), 30);
    EXPECT_FLOAT_EQ(LoweredSpeed(30, 20), 30);
    EXPECT_FLOAT_EQ(LoweredSpeed(35, 20), 30);
    EXPECT_FLOAT_EQ(LoweredSpeed(50, 425) + RaisedSpeed(50, 425), 200);
    EXPECT_FLOAT_EQ(RaisedSpeed(-5, 0), 10);
    EXPECT_FLOAT_EQ(LoweredSpeed(200, 0), 100);

    // Taps on the stitching view's arrows; the lower one also where the view area puts it.
    command = EditMode::Stitching;
    minSpeed = 20;
    maxSpeed = 40;
    Tap(299, 48);
    int stored = 0;
    ReadDefaultInt(REC_SPEED, &stored);
    EXPECT_EQ(stored + speed, 100);
    Tap(299, 91);  // drawn at 76..107
    EXPECT_FLOAT_EQ(maxSpeed, 40);
    Tap(299, 120);  // 97..127
    Tap(299, 20);
    Tap(250, 48);
    EXPECT_FLOAT_EQ(maxSpeed, 30);
    EXPECT_EQ(CurrentTouchTargets().speedDown.y, 76);
}

TEST(EditModes, TableOfModesAndWhoSavesTheUndoSnapshot)
{
    TouchFixture f;
    ScriptedUi ui;
    uiHooks.releaseAllUi = ReleaseEditTools;  // as the main window installs it
    struct Row {
        void (*enter)();
        EditMode mode;
        const char* status;
        bool snapshot;
    };
    for (const Row& row : {Row{menuViewZoomIn, EditMode::Zoom, "", false}, {menuViewPan, EditMode::Pan, "Drag To Pan", false},
                           {menuEditMeasure, EditMode::Measure, "", false},
                           {menuEditDelete, EditMode::DeleteLine, "Select Line To Delete", true},
                           {menuEditDraw, EditMode::Draw, "", false},
                           {menuEditMove, EditMode::MoveAll, "Drag To Move Patterns or Use Increment Buttons", true},
                           {popupMove, EditMode::MovePattern, "Drag Pattern or Use Increment Buttons", true}}) {
        unlink("tmp/undo.qlf");
        menuViewZoomIn();
        interface_.measureText = "1.000 inches";
        interface_.highlightEntity = 3;
        row.enter();
        EXPECT_EQ(command, row.mode);
        EXPECT_EQ(statusBar, row.status);
        EXPECT_EQ(f.dir.Exists("tmp/undo.qlf"), row.snapshot) << static_cast<int>(row.mode);
        EXPECT_FALSE(interface_.measureText);
        EXPECT_EQ(interface_.highlightEntity, -1);
        EXPECT_EQ(bool(interface_.editButtons[0]), row.mode == EditMode::Zoom);
        EXPECT_EQ(bool(interface_.editButtons[2]), row.mode == EditMode::Zoom);
        EXPECT_FALSE(interface_.editButtons[1]);
    }
    // New Layout leaves the zoom mode, without its buttons, for the area setup.
    ui.Expect("IF YOU HAVEN'T SAVED YOUR CURRENT LAYOUT ALL DATA WILL BE LOST.\nCONTINUE?",
              RESPONSE_OK);
    menuViewZoomIn();
    menuMainNewLayout();
    EXPECT_EQ(command, EditMode::Zoom);
    EXPECT_FALSE(interface_.editButtons[0]);
}

TEST(ButtonImage, ImageOnlyImageWithTextAndRoundButton)
{
    TouchFixture f;
    auto pixel = [](GdkPixbuf* p, int x, int y) {
        return gdk_pixbuf_get_pixels(p) + y * gdk_pixbuf_get_rowstride(p) + x * 4;
    };
    PixbufPtr plain(DrawButton(70, 40, "", "./images/Plus.png", 180));
    ASSERT_TRUE(plain);
    EXPECT_EQ(gdk_pixbuf_get_width(plain.get()), 32);  // the image's own size
    int visible = 0, other = 0;
    for (int i = 0; i < 32 * 32; ++i) {
        const int a = pixel(plain.get(), i % 32, i / 32)[3];
        visible += a == 180;
        other += a != 0 && a != 180;
    }
    EXPECT_GT(visible, 50);
    EXPECT_EQ(other, 0);
    EXPECT_EQ(DrawButton(70, 40, "", "./images/none.png", 180), nullptr);

    PixbufPtr labelled(DrawButton(70, 40, "OK", "./images/Plus.png", 200));
    ASSERT_TRUE(labelled);
    EXPECT_EQ(gdk_pixbuf_get_height(labelled.get()), 40);
    EXPECT_EQ(pixel(labelled.get(), 0, 0)[3], 0);  // the red keyed out
    PixbufPtr round(DrawButton(60, 30, "Go", "", 150));
    ASSERT_TRUE(round);
    EXPECT_EQ(pixel(round.get(), 0, 0)[3] + pixel(round.get(), 59, 29)[3], 0);
    const guchar* grey = pixel(round.get(), 8, 15);
    EXPECT_EQ(int(grey[0]) * 1000 + grey[3], 78150);  // grey 20000 / 65535, alpha 150
}
