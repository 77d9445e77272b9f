// Touch editing on the pattern view: gestures fed with injected times and pointer positions.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include "app/edit_modes.h"
#include "app/interface.h"
#include "app/main_menu.h"
#include "app/screen_config.h"
#include "app/screen_state.h"
#include "app/sensitivity.h"
#include "app/settings.h"
#include "app/status_bar.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "view/button_image.h"
#include "view/pattern_view.h"
#include "view/touch_edit.h"
#include "view/view_fixtures.h"

using view_test::AddBox;
using view_test::AddPattern;

namespace {

// Three boxes of 10 x 5 inches (box 1 holds two placements, the second in an array with a
// third), box 1 current, small icons on the 320 x 200 view, menus enabled.
struct TouchFixture {
    TempDir dir;
    LayoutNode* single = nullptr;
    LayoutNode* arrayed = nullptr;
    LayoutNode* arrayedToo = nullptr;
    LayoutNode* elsewhere = nullptr;

    explicit TouchFixture(int iconStyle = 0)
    {
        std::filesystem::copy(std::string(CORVAN_SOURCE_DIR) + "/data/images", "images");
        mkdir("tmp", 0777);
        interface_ = Interface();
        command = -1;
        menuReady = 0;
        zoomAll = zoomed = 0;
        ClearViewImages();
        ParseConfig();
        icon_style = iconStyle;
        ResetLayout();
        extents = new PatternBox();
        for (auto [x, y] : {std::pair<float, float>{0, 0}, {40, 0}, {40, 20}, {0, 20}})
            AddPatternBoxPoint(extents, x, y, 0, 1);
        SetPatternBoxOrigin(extents);
        AddBox(0, 0, 10, 5);
        const int slot = AddPattern({"pX0Y0", "pX2Y1"});
        elsewhere = NewPatternLayoutNode(slot, -1, 0, 1, 1);
        AddBox(12, 0, 10, 5);
        single = NewPatternLayoutNode(slot, -1, 0, 1, 1);
        arrayed = NewPatternLayoutNode(slot, 0, 1, 4, 1);
        arrayedToo = NewPatternLayoutNode(slot, 0, 0, 7, 1);
        AddBox(24, 0, 10, 5);
        currentBox = 1;
        interface_.viewScale = 0.05f;
        SetSensitivity(kMaskNormal);
        EndTouchGesture();
        moveIncrement = 0.1f;
    }
};

// A whole gesture: press at `from`, move through to `to`, release `ms` later.
void Drag(double x0, double y0, double x1, double y1, int64_t pressMs, int64_t ms)
{
    OnViewButtonPress(x0, y0, pressMs);
    OnViewButtonMotion((x0 + x1) / 2, (y0 + y1) / 2);
    OnViewButtonMotion(x1, y1);
    OnViewButtonRelease(x1, y1, pressMs + ms);
}

void Tap(double x, double y) { Drag(x, y, x, y, 1000, 80); }

}  // namespace

TEST(TouchFlick, SpeedDirectionAndEdgesDecidePaging)
{
    TouchFixture f;
    Drag(200, 100, 100, 100, 5000, 300);  // 333 px/s
    EXPECT_EQ(currentBox, 1);
    Drag(200, 100, 100, 100, 5000, 200);  // 500 px/s is not yet a flick
    EXPECT_EQ(currentBox, 1);
    Drag(200, 100, 100, 124, 5000, 150);  // 667 px/s: the next box
    EXPECT_EQ(currentBox, 2);
    EXPECT_EQ(zoomAll, 1);
    Drag(100, 100, 200, 100, 5000, 150);  // to the right: back
    EXPECT_EQ(currentBox, 1);
    Drag(200, 100, 100, 125, 5000, 150);  // 25 pixels down: nothing at all
    EXPECT_EQ(currentBox, 1);

    // Times from the epoch in milliseconds, and a release in the press's millisecond.
    const int64_t epochMs = 1765000000123;
    Drag(200, 100, 100, 100, epochMs, 150);
    EXPECT_EQ(currentBox, 2);
    Drag(100, 100, 300, 100, epochMs, 0);
    EXPECT_EQ(currentBox, 1);

    // The first box has no previous one, the last slot no next one, an empty slot is skipped.
    currentBox = 0;
    Drag(100, 100, 200, 100, 0, 10);
    EXPECT_EQ(currentBox, 0);
    currentBox = 2;
    Drag(200, 100, 100, 100, 0, 10);
    EXPECT_EQ(currentBox, 2);
    currentBox = 49;
    EXPECT_FALSE(PageBox(+1));
    EXPECT_FALSE(PageBox(-1));  // slot 48 is empty
    EXPECT_EQ(currentBox, 49);

    currentBox = 1;
    command = 10;
    Drag(200, 100, 100, 100, 0, 10);
    EXPECT_EQ(currentBox, 1);
    command = -1;

    // The corner arrows: a tap in the top-right corner pages on, top-left back.
    Tap(310, 10);
    EXPECT_EQ(currentBox, 2);
    Tap(10, 10);
    EXPECT_EQ(currentBox, 1);
}

TEST(TouchLongPress, ArmsOnlyWhenStillHeldAndAllowed)
{
    TouchFixture f;
    auto holdFor = [](int ticket, int ticks, double x, double y) {
        TouchWork w;
        for (int i = 0; i < ticks && !w.stopTimer; ++i)
            w = ButtonTimer(ticket, x, y);
        return w;
    };
    int ticket = OnViewButtonPress(100, 100, 0);
    TouchWork w = holdFor(ticket, 8, 105, 103);
    EXPECT_FALSE(w.stopTimer);
    EXPECT_EQ(showMenu, 0);
    w = ButtonTimer(ticket, 105, 103);
    EXPECT_TRUE(w.stopTimer);
    EXPECT_EQ(showMenu, 1);
    EXPECT_EQ(menuReady, 1);
    command = 8;  // the release opens the menu and does no mode action
    w = OnViewButtonRelease(300, 190, 2000);
    EXPECT_TRUE(w.openPopup);
    EXPECT_EQ(w.popupX, 100);
    EXPECT_EQ(w.popupY, 100);
    EXPECT_FLOAT_EQ(f.single->x, 1.0f);
    command = -1;

    // Drift of more than 15 pixels stops the timer, with the arrow cursor back.
    ticket = OnViewButtonPress(100, 100, 0);
    w = holdFor(ticket, 3, 112, 110);
    EXPECT_TRUE(w.stopTimer);
    EXPECT_TRUE(w.arrowCursor);
    EXPECT_EQ(showMenu, 0);
    EXPECT_FALSE(OnViewButtonRelease(112, 110, 1500).openPopup);

    // A finger lifted, all menus disabled, a run: never armed.
    ticket = OnViewButtonPress(100, 100, 0);
    OnViewButtonRelease(100, 100, 50);
    EXPECT_TRUE(ButtonTimer(ticket, 100, 100).stopTimer);
    SetSensitivity(kMaskAllOff);
    ticket = OnViewButtonPress(100, 100, 0);
    holdFor(ticket, 20, 100, 100);
    EXPECT_EQ(showMenu, 0);
    OnViewButtonRelease(100, 100, 2000);
    SetSensitivity(kMaskStitching);
    command = 10;
    ticket = OnViewButtonPress(100, 100, 0);
    holdFor(ticket, 20, 100, 100);
    EXPECT_EQ(showMenu, 0);
    EXPECT_FALSE(OnViewButtonRelease(100, 100, 2000).openPopup);
    command = -1;
    SetSensitivity(kMaskNormal);

    // The first press's timer, still running, cannot bring the second press's arming early.
    const int first = OnViewButtonPress(100, 100, 0);
    holdFor(first, 5, 100, 100);
    OnViewButtonRelease(100, 100, 500);
    const int second = OnViewButtonPress(100, 100, 600);
    EXPECT_TRUE(ButtonTimer(first, 100, 100).stopTimer);
    for (int i = 0; i < 8; ++i)
        ButtonTimer(second, 100, 100);
    EXPECT_EQ(showMenu, 0);
    ButtonTimer(second, 100, 100);
    EXPECT_EQ(showMenu, 1);

    // A release with no press before it does nothing; the area going ends the gesture.
    EndTouchGesture();
    EXPECT_FALSE(OnViewButtonRelease(100, 100, 0).openPopup);
    EXPECT_EQ(menuReady, 0);
}

TEST(TouchZoom, ShownButtonsStepAndNeverBelowTheSmallestScale)
{
    TouchFixture f;
    const int c = 320 / 2;
    EXPECT_EQ(GetButtonPressed(c - 72, 180), 0);
    EXPECT_EQ(GetButtonPressed(c - 71, 180), 1);
    EXPECT_EQ(GetButtonPressed(c - 41, 191), 1);
    EXPECT_EQ(GetButtonPressed(c + 71, 180), 3);
    EXPECT_EQ(GetButtonPressed(c - 41, 192), 0);
    EXPECT_EQ(GetButtonPressed(319, 100 + 43), 4);
    EXPECT_EQ(GetButtonPressed(319, 100 - 44), 0);

    // Zoom mode set by New Layout: no buttons shown, taps on their places do nothing.
    command = 0;
    Tap(c - 50, 180);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.05f);
    EXPECT_EQ(zoomed, 0);

    menuViewZoomIn();
    ASSERT_TRUE(interface_.editButtons[0] && interface_.editButtons[2]);
    EXPECT_FALSE(interface_.editButtons[1]);
    Tap(c - 50, 180);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.06f);
    EXPECT_EQ(interface_.panX, 10);
    EXPECT_EQ(zoomed, 1);
    for (float start : {0.005f, 0.01f}) {
        interface_.viewScale = start;
        interface_.panX = interface_.panY = 7;
        Tap(c + 50, 180);
        EXPECT_FLOAT_EQ(interface_.viewScale, start);
        EXPECT_EQ(interface_.panX, 7);
        EXPECT_EQ(interface_.panY, 7);
    }
    interface_.viewScale = 0.02f;
    Tap(c + 50, 180);
    EXPECT_GE(interface_.viewScale, kMinViewScale);
    EXPECT_EQ(interface_.panX, -3);
}

TEST(TouchPad, ArrowsMoveByTheIncrementInBothIconSets)
{
    for (int style : {0, 1}) {
        TouchFixture f(style);
        const int D = style == 1 ? 95 : 58, S = style == 1 ? 50 : 32, t = style == 1 ? 10 : 5;
        const int cx = 320 - D, cy = 200 - D;
        const double right = cx + S + t, up = cy - S - t;
        menuEditMove();
        EXPECT_EQ(command, 8);
        Tap(right, cy);
        EXPECT_NEAR(f.single->x, 1.1f, 1e-5);
        EXPECT_NEAR(f.arrayedToo->x, 7.1f, 1e-5);
        EXPECT_NEAR(f.elsewhere->x, 1.0f, 1e-5);  // another box
        Tap(cx, up);
        EXPECT_NEAR(f.single->y, 0.9f, 1e-5);
        // A slow drag inside the pad square, ending on none of its buttons: nothing moves.
        Drag(cx - D + 2, cy + D - 2, cx + D - 2, cy + D - 2, 0, 2000);
        EXPECT_NEAR(f.single->x, 1.1f, 1e-5);
        // Outside the pad a drag moves every placement of the box at the view's scale.
        Drag(100, 60, 120, 60, 0, 2000);
        EXPECT_NEAR(f.single->x, 2.1f, 1e-4);

        interface_.selectedNode = f.arrayed;
        popupMove();
        EXPECT_EQ(command, 9);
        Tap(right, cy);
        EXPECT_NEAR(f.arrayed->x, 5.1f + 0.1f, 1e-4);
        EXPECT_NEAR(f.arrayedToo->x, 8.1f + 0.1f, 1e-4);
        EXPECT_NEAR(f.single->x, 2.1f, 1e-4);
        Tap(cx, cy);  // the check mark
        EXPECT_EQ(command, -1);
        EXPECT_EQ(offTempX, -1);
        EXPECT_EQ(statusBar, "");
    }
}

TEST(TouchPad, StaleSelectionMovesNothing)
{
    TouchFixture f;
    const double right = 320 - 58 + 37;
    interface_.selectedNode = f.single;
    popupMove();
    currentBox = 0;  // paged away: the selection is not on screen
    Tap(right, 200 - 58);
    Drag(100, 60, 140, 60, 0, 2000);
    EXPECT_FLOAT_EQ(f.single->x, 1.0f);
    EXPECT_FLOAT_EQ(f.elsewhere->x, 1.0f);

    currentBox = 1;
    RemoveLayoutNode(f.single);  // freed, while the view still names it
    Tap(right, 200 - 58);
    Drag(100, 60, 140, 60, 0, 2000);
    interface_.selectedNode = nullptr;
    Tap(right, 200 - 58);
    ResetLayout();  // an emptied layout
    Tap(right, 200 - 58);
    Drag(100, 60, 140, 60, 0, 2000);
    EXPECT_EQ(patternLayout, nullptr);
}

TEST(TouchRun, MeasureAndSpeedArrows)
{
    TouchFixture f;
    menuEditMeasure();
    Drag(50, 50, 150, 50, 0, 2000);
    ASSERT_TRUE(interface_.measureText);
    EXPECT_EQ(*interface_.measureText, "5.000 inches");
    EXPECT_EQ(interface_.measureLine->endX, 150);

    EXPECT_FLOAT_EQ(RaisedSpeed(95, 0), 100);
    EXPECT_FLOAT_EQ(LoweredSpeed(40, 20), 30);
    EXPECT_FLOAT_EQ(LoweredSpeed(30, 20), 30);
    EXPECT_FLOAT_EQ(LoweredSpeed(35, 20), 30);
    EXPECT_FLOAT_EQ(LoweredSpeed(50, 425), 100);
    EXPECT_FLOAT_EQ(RaisedSpeed(50, 425), 100);
    EXPECT_FLOAT_EQ(RaisedSpeed(-5, 0), 10);
    EXPECT_FLOAT_EQ(LoweredSpeed(200, 0), 100);
    EXPECT_FLOAT_EQ(RaisedSpeed(200, 0), 100);

    // During a run, taps at the drawn arrows of the stitching view; the lower arrow is also
    // taken where the view area's geometry puts it.
    command = 10;
    minSpeed = 20;
    maxSpeed = 40;
    Tap(299, 48);
    EXPECT_FLOAT_EQ(maxSpeed, 50);
    EXPECT_EQ(speed, 50);
    int stored = 0;
    ASSERT_EQ(ReadDefaultInt(REC_SPEED, &stored), 1);
    EXPECT_EQ(stored, 50);
    Tap(299, 91);   // drawn 76..107
    EXPECT_FLOAT_EQ(maxSpeed, 40);
    Tap(299, 120);  // 97..127
    EXPECT_FLOAT_EQ(maxSpeed, 30);
    Tap(299, 20);   // above both
    Tap(250, 48);   // left of them
    EXPECT_FLOAT_EQ(maxSpeed, 30);
    const TouchTargets t = CurrentTouchTargets();
    EXPECT_EQ(t.speedDown.y, 76);
    EXPECT_EQ(t.speedUp.y, 32);
}

TEST(EditModes, TableOfModesAndWhoSavesTheUndoSnapshot)
{
    TouchFixture f;
    ScriptedUi ui;
    struct Row {
        void (*enter)();
        int mode;
        const char* status;
        bool snapshot;
        int buttons;
    };
    const Row rows[] = {
        {menuViewZoomIn, 0, "", false, 5},
        {menuViewPan, 1, "Drag To Pan", false, 0},
        {menuEditMeasure, 2, "", false, 0},
        {menuEditDelete, 4, "Select Line To Delete", true, 0},
        {menuEditDraw, 7, "", false, 0},
        {menuEditMove, 8, "Drag To Move Patterns or Use Increment Buttons", true, 0},
        {popupMove, 9, "Drag Pattern or Use Increment Buttons", true, 0},
    };
    for (const Row& row : rows) {
        unlink("tmp/undo.qlf");
        menuViewZoomIn();  // buttons shown before
        interface_.measureText = "1.000 inches";
        interface_.highlightEntity = 3;
        row.enter();
        EXPECT_EQ(command, row.mode);
        EXPECT_EQ(statusBar, row.status);
        EXPECT_EQ(f.dir.Exists("tmp/undo.qlf"), row.snapshot) << row.mode;
        EXPECT_FALSE(interface_.measureText);
        EXPECT_EQ(interface_.highlightEntity, -1);
        int shown = 0;
        for (int b = 0; b < kEditButtonCount; ++b)
            shown |= interface_.editButtons[b] ? 1 << b : 0;
        EXPECT_EQ(shown, row.buttons) << row.mode;
    }
    // Leaving every mode drops the measurement and the buttons.
    menuViewZoomIn();
    interface_.measureText = "x";
    ReleaseAllUI();
    EXPECT_EQ(command, -1);
    EXPECT_FALSE(interface_.measureText);
    EXPECT_FALSE(interface_.editButtons[0]);

    // New Layout leaves the zoom mode set (its buttons hidden) for the area setup.
    ui.Expect("IF YOU HAVEN'T SAVED YOUR CURRENT LAYOUT ALL DATA WILL BE LOST.\nCONTINUE?",
              RESPONSE_OK);
    menuViewZoomIn();
    menuMainNewLayout();
    EXPECT_EQ(command, 0);
    EXPECT_FALSE(interface_.editButtons[0]);
}

TEST(ButtonImage, ImageOnlyImageWithTextAndRoundButton)
{
    TouchFixture f;
    GdkPixbuf* plain = DrawButton(70, 40, "", "./images/Plus.png", 180);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(plain), 32);  // the image's own size
    int visible = 0, other = 0;
    const guchar* px = gdk_pixbuf_get_pixels(plain);
    for (int i = 0; i < 32 * 32; ++i) {
        const guchar a = px[(i / 32) * gdk_pixbuf_get_rowstride(plain) + (i % 32) * 4 + 3];
        visible += a == 180;
        other += a != 0 && a != 180;
    }
    EXPECT_GT(visible, 50);
    EXPECT_EQ(other, 0);
    g_object_unref(plain);
    EXPECT_EQ(DrawButton(70, 40, "", "./images/none.png", 180), nullptr);

    auto alphaAt = [](GdkPixbuf* p, int x, int y) {
        return int(gdk_pixbuf_get_pixels(p)[y * gdk_pixbuf_get_rowstride(p) + x * 4 + 3]);
    };
    GdkPixbuf* labelled = DrawButton(70, 40, "OK", "./images/Plus.png", 200);
    ASSERT_NE(labelled, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(labelled), 70);
    EXPECT_EQ(gdk_pixbuf_get_height(labelled), 40);
    EXPECT_EQ(alphaAt(labelled, 0, 0), 0);  // the red background keyed out
    g_object_unref(labelled);

    GdkPixbuf* round = DrawButton(60, 30, "Go", "", 150);
    ASSERT_NE(round, nullptr);
    EXPECT_EQ(alphaAt(round, 0, 0), 0);     // outside the ellipse
    EXPECT_EQ(alphaAt(round, 59, 29), 0);
    EXPECT_EQ(alphaAt(round, 8, 15), 150);  // the grey fill
    const guchar* grey = gdk_pixbuf_get_pixels(round) + 15 * gdk_pixbuf_get_rowstride(round) + 8 * 4;
    EXPECT_EQ(int(grey[0]), 78);
    EXPECT_EQ(int(grey[1]), 78);
    g_object_unref(round);
}
