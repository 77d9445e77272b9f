// Point selection by machine position: the start point a head position picks, the button a
// tap hits, the cross-hair's pixel, and what a dialog leaves behind when it closes.
#include <gtest/gtest.h>

#include "base/interface.h"
#include "base/ui_hooks.h"
#include "machine/point_select.h"
#include "machine/serial.h"
#include "machine/stitch_path.h"
#include "support/scripted_ui.h"

TEST(PointSelect, NearestStartPointSkipsRunEndsAndKeepsTheEarliestOfEquals)
{
    FullPattern_t p[4];
    const float xy[4][2] = {{0, 0}, {1000, 0}, {1000, 1000}, {2000, 1000}};
    for (int i = 0; i < 4; ++i) {
        p[i].x = xy[i][0];
        p[i].y = xy[i][1];
        p[i].next = i < 3 ? &p[i + 1] : nullptr;
    }
    p[1].jump = 1;
    EXPECT_EQ(NearestStartPoint(p, 1000, 100), &p[2]) << "the run end is skipped";
    EXPECT_EQ(NearestStartPoint(p, 1500, 1000), &p[2]) << "ties the fourth";
    EXPECT_EQ(NearestStartPoint(p, 1000, 0), &p[0]) << "ties the third";
    p[0].jump = 1;
    EXPECT_EQ(NearestStartPoint(p, 0, 0), &p[0]) << "the first point even as a run end";
    EXPECT_EQ(NearestStartPoint(nullptr, 0, 0), nullptr);
}

TEST(PointSelect, TapsAndCrossHair)
{
    // 320 x 200 area, 32-pixel buttons: OK spans x 176..223, Cancel 224..271 below y 168.
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 200, 190, 320, 200, 32), RESPONSE_OK);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 250, 190, 320, 200, 32), RESPONSE_CANCEL);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 300, 190, 320, 200, 32), 0);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_POSITION, 300, 190, 320, 200, 32), RESPONSE_OK);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 200, 168, 320, 200, 32), 0);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_POSITION, 200, 168, 320, 200, 32), 0);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 100, 190, 320, 200, 32), 0);
    EXPECT_EQ(PointDialogResponse(POINT_DIALOG_START, 175, 199, 320, 200, 32), 0);

    EXPECT_EQ(CrossHairPixel(5000, 2500, 0.05f, 10, 20), std::make_pair(110, 70));
}

TEST(PointSelect, ClosedPortIsNoPositionAndClosingGivesTheViewBack)
{
    ScriptedUi ui;
    ClosePort();
    EXPECT_FALSE(GetCurrentLocation().has_value()) << "not (0, 0)";

    interface_.viewScale = 0.02f;
    interface_.measureLine = MeasureLine{1, 2, 3, 4};
    PointDialogSession session = BeginPointDialog();
    CrossHairTick();
    EXPECT_EQ(interface_.measureLine->startX, 0) << "no answer: top-left corner";
    interface_.viewScale = 0.5f;
    EndPointDialog(session);
    ASSERT_TRUE(interface_.measureLine.has_value());
    EXPECT_EQ(interface_.measureLine->startX, 1);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.02f);

    interface_.measureLine.reset();
    EndPointDialog(BeginPointDialog());
    EXPECT_FALSE(interface_.measureLine.has_value()) << "the cross-hair's line goes with it";
}
