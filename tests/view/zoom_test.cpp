// Fitting the view (box and layout cases, the smallest scale), the grid and the drawing
// areas' setup.

#include <gtest/gtest.h>

#include "base/interface.h"
#include "base/screen_config.h"
#include "patterns/geometry.h"
#include "view/pattern_view.h"
#include "view/view_fixtures.h"

using view_test::AddBox;
using view_test::AddPattern;

namespace {

void Fresh()
{
    interface_ = Interface();
    ParseConfig();
    ResetLayout();
    zoomed = 0;
    interface_.viewScale = 0.5f;
    interface_.panX = interface_.panY = 77;
}

}  // namespace

TEST(ZoomAll, BoxLargerThanTheLayoutIsCentred)
{
    Fresh();
    AddBox(2, 3, 19, 9);  // (19 + 1) / 200 = 0.1 across, (9 + 1) / 100 = 0.1 down
    const int slot = AddPattern({"pX0Y0", "pX1Y1"});
    NewPatternLayoutNode(slot, -1, 0, 1, 1);
    ZoomAll(200, 100);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.1f);
    // (200 - 190) / 2 - 20 and (100 - 90) / 2 - 30: the box in the middle of the window.
    EXPECT_EQ(interface_.panX, 5 - 20);
    EXPECT_EQ(interface_.panY, 5 - 30);
    // The pattern images were redrawn at the new scale and the grid made.
    ASSERT_NE(GetPattern(slot)->thumbnail, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(GetPattern(slot)->thumbnail), 11);
    EXPECT_NE(interface_.gridPixbuf, nullptr);
}

TEST(ZoomAll, LayoutReachingBeyondTheBoxIsCentredInstead)
{
    Fresh();
    AddBox(2, 3, 4, 4);
    // Two placements spanning x 1..15 and y 2..6 in the box: 14 x 4 inches.
    const int slot = AddPattern({"pX0Y0", "pX4Y4"});
    NewPatternLayoutNode(slot, -1, 0, 1, 2);
    NewPatternLayoutNode(slot, -1, 0, 11, 2);
    ZoomAll(300, 100);
    // Across (14 + 1) / 300 = 0.05 beats the box's 5 / 300; down (4 + 1) / 100 = 0.05.
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.05f);
    // W/2 - 7/0.05 - 1/0.05 - 2/0.05 and H/2 - 2/0.05 - 2/0.05 - 3/0.05.
    EXPECT_EQ(interface_.panX, 150 - 140 - 20 - 40);
    EXPECT_EQ(interface_.panY, 50 - 40 - 40 - 60);
    // So the layout's left edge (1 inch into the box at x = 2) lands at
    // (1 + 2) / 0.05 + panX = 10 pixels, its right edge at 290: centred.
    EXPECT_EQ(TruncateToInt(3 / 0.05f) + interface_.panX, 10);

    // Without a box the layout alone decides and no box origin is subtracted.
    Fresh();
    NewPatternLayoutNode(AddPattern({"pX0Y0", "pX4Y4"}), -1, 0, 1, 2);
    ZoomAll(100, 100);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.05f);
    EXPECT_EQ(interface_.panX, 50 - 40 - 20);
    EXPECT_EQ(interface_.panY, 50 - 40 - 40);
}

TEST(ZoomAll, NeverFinerThanOneThousandthAndOnlyWhenAllowed)
{
    Fresh();
    ZoomAll(320, 200);  // nothing at all: every candidate 0 or less
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.001f);
    Fresh();
    AddBox(0, 0, 0.01f, 0.01f);  // (0.01 + 1) / 2000 is about 0.0005
    ZoomAll(2000, 2000);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.001f);

    // Zoomed by hand, or the window size unknown: nothing changes.
    Fresh();
    AddBox(0, 0, 9, 9);
    zoomed = 1;
    ZoomAll(100, 100);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.5f);
    EXPECT_EQ(interface_.panX, 77);
    zoomed = 0;
    ZoomAll(0, 100);
    ZoomAll(100, -1);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.5f);

    // The menu's Zoom All clears the hand zoom and asks for a fit at the next expose.
    zoomed = 1;
    zoomAll = 0;
    ViewZoomAll();
    EXPECT_EQ(zoomed, 0);
    EXPECT_EQ(zoomAll, 1);
}

TEST(ZoomExtents, FitsTheQuiltingAreaWithTheSameFloor)
{
    Fresh();
    ZoomExtents(320, 200);  // no quilting area yet
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.001f);
    BogusExtents();  // 35 x 14 inches
    ZoomExtents(350, 200);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.1f);
    ZoomExtents(0, 0);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.1f);
    ZoomExtents(100000, 100000);
    EXPECT_FLOAT_EQ(interface_.viewScale, 0.001f);

    EXPECT_FLOAT_EQ(SetInchPerPixel(10, 20, 100, 100), 0.2f);
    EXPECT_FLOAT_EQ(SetInchPerPixel(30, 20, 100, 100), 0.3f);
    EXPECT_FLOAT_EQ(SetInchPerPixel(10, 20, 100, 0), 0.1f);  // no division by zero
}

TEST(Grid, SpacingIsAQuarterHalfOrWholeInch)
{
    EXPECT_EQ(GridSpacing(0.02f), 12);  // quarter inch
    EXPECT_EQ(GridSpacing(0.04f), 12);  // half inch (a quarter would be 6)
    EXPECT_EQ(GridSpacing(0.2f), 5);    // an inch, even though below 10
    EXPECT_EQ(GridSpacing(0.0f), 0);

    ParseConfig();  // 320 x 200 view
    for (float s : {0.02f, 0.04f, 0.2f}) {
        interface_.viewScale = s;
        DrawGrid();
        GdkPixbuf* grid = interface_.gridPixbuf.get();
        ASSERT_NE(grid, nullptr);
        ASSERT_EQ(gdk_pixbuf_get_width(grid), view_area_width);
        ASSERT_EQ(gdk_pixbuf_get_height(grid), view_area_height);
        const int g = GridSpacing(s);
        auto alpha = [&](int x, int y) {
            return gdk_pixbuf_get_pixels(grid)[y * gdk_pixbuf_get_rowstride(grid) + x * 4 + 3];
        };
        auto cyan = [&](int x, int y) {
            const guchar* p = gdk_pixbuf_get_pixels(grid) + y * gdk_pixbuf_get_rowstride(grid) + x * 4;
            return p[0] == 0 && p[1] == 255 && p[2] == 255 && p[3] == 128;
        };
        // Horizontal lines at every multiple of g, from x 0 up to W - 4; nothing between.
        EXPECT_TRUE(cyan(1, g)) << s;
        EXPECT_TRUE(cyan(view_area_width - 5, 2 * g)) << s;
        EXPECT_EQ(alpha(view_area_width - 4, 2 * g), 0) << s;
        EXPECT_EQ(alpha(1, g + 1), 0) << s;
        EXPECT_EQ(alpha(g + 1, g - 1), 0) << s;
        EXPECT_TRUE(cyan(3 * g, 1)) << s;
        // The last horizontal line is the last multiple of g not beyond H - 4.
        const int lastRow = (view_area_height - 4) / g * g;
        EXPECT_TRUE(cyan(1, lastRow)) << s;
        for (int y = lastRow + 1; y < view_area_height; ++y) EXPECT_EQ(alpha(1, y), 0) << y;
    }
}

TEST(DrawingArea, FiveKindsWithTheirSizesAndTexts)
{
    ParseConfig();  // 320 x 200 view, 140 x 80 preview, trace buttons 60 wide
    DrawingAreaSetup a;
    ASSERT_TRUE(PrepareDrawingArea(0, &a));
    EXPECT_EQ(a.kind, DA_MOTOR_MOVE);
    EXPECT_EQ(a.width, 320);
    EXPECT_EQ(a.height, 140);
    EXPECT_EQ(interface_.infoText, " ");
    ASSERT_TRUE(PrepareDrawingArea(1, &a));
    EXPECT_EQ(a.width, 250);
    EXPECT_EQ(a.height, 200);
    EXPECT_EQ(interface_.infoText, "X: 0.00 Y: 0.00");
    ASSERT_TRUE(PrepareDrawingArea(3, &a));
    EXPECT_EQ(a.width, 140);
    EXPECT_EQ(a.height, 80);
    EXPECT_EQ(interface_.infoText, "X: 0.00 Y: 0.00");  // the preview leaves it alone
    ASSERT_TRUE(PrepareDrawingArea(2, &a));
    EXPECT_EQ(a.kind, DA_PATTERN_VIEW);
    EXPECT_EQ(a.height, 200);
    EXPECT_FALSE(interface_.infoText.has_value());
    ASSERT_TRUE(PrepareDrawingArea(4, &a));
    EXPECT_EQ(a.kind, DA_EXTENTS_VIEW);
    EXPECT_FALSE(PrepareDrawingArea(5, &a));
    EXPECT_FALSE(PrepareDrawingArea(-1, &a));
}
