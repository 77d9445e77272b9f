// The composed pattern view, read back at known pixels.

#include <gtest/gtest.h>

#include "base/interface.h"
#include "base/screen_config.h"
#include "base/status_bar.h"
#include "support/temp_dir.h"
#include "view/pattern_view.h"
#include "view/view_fixtures.h"

using view_test::AddBox;
using view_test::AddPattern;

namespace {

using Rgba = ViewBuffer::Rgba;
const Rgba kBackground{0xCC, 0xFF, 0xFF, 255};
const Rgba kRed{255, 0, 0, 255};
const Rgba kBlack{0, 0, 0, 255};

// Box 0 of 10 x 5 inches at (2, 3), shown at 0.05 inch per pixel with the box's corner at
// pixel (20, 30).
void ViewOfOneBox()
{
    // Each case may share the process with others: start from a fresh view.
    interface_ = Interface();
    command = EditMode::None;
    menuReady = false;
    zoomAll = zoomed = 0;
    ClearViewImages();
    ParseConfig();
    ResetLayout();
    AddBox(2, 3, 10, 5);
    interface_.viewScale = 0.05f;
    interface_.panX = 20 - 40;  // 2 / 0.05 = 40
    interface_.panY = 30 - 60;  // 3 / 0.05 = 60
}

}  // namespace

TEST(PatternViewPicture, BackgroundBoxOutlineAndPatternLine)
{
    TempDir dir;  // no ./images/: the view draws without its icons
    ViewOfOneBox();
    // A horizontal line 2 inches long, placed 1 inch right and 1 inch down in the box.
    const int slot = AddPattern({"pX0Y0", "pX2Y0"});
    NewPatternLayoutNode(slot, -1, 0, 1, 1);
    RefreshPatternPix();

    ViewBuffer picture;
    RenderPatternView(picture, 320, 200);
    ASSERT_EQ(picture.Width(), 320);
    ASSERT_EQ(picture.Height(), 200);

    EXPECT_EQ(picture.Pixel(300, 100), kBackground);
    // The outline starts at the box corner with a dash; 10 inches = 200 pixels wide.
    EXPECT_EQ(picture.Pixel(21, 30), kRed);
    EXPECT_EQ(picture.Pixel(20, 31), kRed);
    EXPECT_EQ(picture.Pixel(220, 31), kRed);  // right side, starting at its corner
    // The pattern: from (20 + 20, 30 + 20) for 40 pixels.
    EXPECT_EQ(picture.Pixel(50, 50), kBlack);
    EXPECT_EQ(picture.Pixel(70, 50), kBlack);
    EXPECT_EQ(picture.Pixel(70, 51), kBackground);
}

namespace {

// Two 2-inch horizontal lines in box 0; the second placed `gap` inches after the first ends.
void TwoNeighbours(float gap)
{
    ViewOfOneBox();
    const int slot = AddPattern({"pX0Y0", "pX2Y0"});
    NewPatternLayoutNode(slot, -1, 0, 1, 1);      // pixels 40..80 on row 50
    NewPatternLayoutNode(slot, -1, 0, 3 + gap, 1);
    RefreshPatternPix();
}

const Rgba kMarkGreen{0, 0xAA, 0, 255};

}  // namespace

TEST(PatternViewPicture, StartAndEndMarksOnlyWhereNeighboursDoNotMeet)
{
    TempDir dir;
    ViewBuffer picture;

    // The second pattern starts where the first ends: the first shows its start circle, the
    // second its end cross, and nothing marks the joint at pixel (80, 50).
    TwoNeighbours(0.0f);
    RenderPatternView(picture, 320, 200);
    EXPECT_EQ(picture.Pixel(40, 42), kMarkGreen);   // top of the circle around (40, 50)
    EXPECT_EQ(picture.Pixel(76, 46), kBackground);  // no cross on the joint
    EXPECT_EQ(picture.Pixel(80, 42), kBackground);  // no circle on the joint
    EXPECT_EQ(picture.Pixel(116, 46), kRed);        // cross at the end, (120, 50)
    EXPECT_EQ(picture.Pixel(124, 54), kRed);

    // A gap of 0.1 inch is still a joint (within 0.125 inch) ...
    TwoNeighbours(0.1f);
    RenderPatternView(picture, 320, 200);
    EXPECT_EQ(picture.Pixel(76, 46), kBackground);
    EXPECT_EQ(picture.Pixel(82, 42), kBackground);

    // ... half an inch is not: a cross where the first ends, a circle where the second starts.
    TwoNeighbours(0.5f);
    RenderPatternView(picture, 320, 200);
    EXPECT_EQ(picture.Pixel(76, 46), kRed);
    EXPECT_EQ(picture.Pixel(90, 42), kMarkGreen);  // circle around (90, 50)
}

TEST(PatternViewPicture, PlacementsOfOtherBoxesAndBrokenNodesAreLeftOut)
{
    TempDir dir;
    ViewOfOneBox();
    AddBox(20, 3, 5, 5);
    currentBox = 0;
    const int slot = AddPattern({"pX0Y0", "pX2Y0"});
    NewPatternLayoutNode(slot, -1, 0, 1, 1);
    NewPatternLayoutNode(slot, -1, 0, 1, 2)->boxIndex = 1;  // drawn only on box 1's page
    NewPatternLayoutNode(slot, -1, 0, 1, 3)->patternIndex = 49;  // names an empty slot
    RefreshPatternPix();
    ViewBuffer picture;
    RenderPatternView(picture, 320, 200);
    EXPECT_EQ(picture.Pixel(60, 50), kBlack);
    EXPECT_EQ(picture.Pixel(60, 70), kBackground);
    EXPECT_EQ(picture.Pixel(60, 90), kBackground);
    // The end cross of the first looks past the node of box 1 to the next in its own box.
    EXPECT_EQ(picture.Pixel(76, 46), kRed);
}

TEST(PatternViewPicture, SelectionAroundTheNodeOrItsWholeArray)
{
    TempDir dir;
    ViewOfOneBox();
    const int slot = AddPattern({"pX0Y0", "pX2Y1"});
    LayoutNode* a = NewPatternLayoutNode(slot, 0, 1, 1, 1);   // image at (40, 50), 40 x 20
    LayoutNode* b = NewPatternLayoutNode(slot, 0, 0, 5, 1);   // same array, at (120, 50)
    LayoutNode* c = NewPatternLayoutNode(slot, -1, 0, 5, 3);  // alone, at (120, 90)
    RefreshPatternPix();
    const Rgba green{0, 255, 0, 255};
    ViewBuffer picture;

    interface_.selectedNode = c;
    RenderPatternView(picture, 320, 200);
    EXPECT_EQ(picture.Pixel(122, 89), green);
    EXPECT_EQ(picture.Pixel(42, 49), kBackground);
    EXPECT_EQ(picture.Pixel(122, 49), kBackground);

    interface_.selectedNode = a;  // in an array: both of its placements are framed
    RenderPatternView(picture, 320, 200);
    EXPECT_EQ(picture.Pixel(42, 49), green);
    EXPECT_EQ(picture.Pixel(122, 49), green);
    EXPECT_EQ(picture.Pixel(122, 89), kBackground);
    (void)b;
}

namespace {

// A w x h PNG of one colour in ./images/.
void WriteImage(const char* name, int w, int h, guint32 rgba)
{
    g_mkdir_with_parents("images", 0755);
    PixbufPtr p(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, w, h));
    gdk_pixbuf_fill(p.get(), rgba);
    ASSERT_TRUE(gdk_pixbuf_save(p.get(), (std::string("images/") + name).c_str(), "png",
                                nullptr, nullptr));
}

}  // namespace

TEST(PatternViewPicture, BackgroundIsTheCameraPictureOnlyAtItsOwnScale)
{
    TempDir dir;
    ViewOfOneBox();
    PixbufPtr snapshot(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 320, 200));
    gdk_pixbuf_fill(snapshot.get(), 0x804020FF);
    interface_.cameraSnapshot = std::move(snapshot);
    ViewBuffer picture;

    interface_.snapshotInchPerPixel = 0.05f + 0.2f;
    RenderPatternView(picture, 320, 200);
    EXPECT_EQ(picture.Pixel(300, 100), (Rgba{0x80, 0x40, 0x20, 255}));
    interface_.snapshotInchPerPixel = 0.05f + 0.3f;
    RenderPatternView(picture, 320, 200);
    EXPECT_EQ(picture.Pixel(300, 100), kBackground);
}

TEST(PatternViewPicture, IconsPagingArrowsPadAndArmedMenu)
{
    TempDir dir;
    WriteImage("Forward_32x32.png", 32, 32, 0x000000FF);
    WriteImage("ReverseArrow_32x32.png", 32, 32, 0xFF0000FF);
    WriteImage("Right_5.png", 32, 32, 0x0000FFFF);
    WriteImage("Left_5.png", 32, 32, 0x00FF00FF);
    WriteImage("OK.png", 32, 32, 0x123456FF);
    WriteImage("Start_32x32.png", 32, 32, 0xFF00FFFF);
    ViewOfOneBox();
    AddBox(20, 3, 5, 5);
    AddBox(30, 3, 5, 5);
    currentBox = 1;
    ViewBuffer picture;

    // Box 2 of 3: arrows both ways; the motor mark faded to alpha 35 over the background.
    interface_.motorDirection = 0;
    RenderPatternView(picture, 320, 200);
    const Rgba faded{0xCC * 220 / 255, 0xFF * 220 / 255, 0xFF * 220 / 255, 255};
    const Rgba mark = picture.Pixel(2, 198);
    EXPECT_NEAR(mark.r, faded.r, 1);
    EXPECT_NEAR(mark.g, faded.g, 1);
    EXPECT_EQ(picture.Pixel(319 - 2, 20), (Rgba{0, 0, 255, 255}));  // Right_5 at (W - 32, 0)
    EXPECT_EQ(picture.Pixel(2, 28), (Rgba{0, 255, 0, 255}));        // Left_5 at (0, 0)
    EXPECT_EQ(picture.Pixel(288, 60), kBackground);                 // no start mark
    EXPECT_EQ(picture.Pixel(262 + 16, 142 + 16), kBackground);      // no pad

    // Reversed motors, the last box (no right arrow), the move-all pad and an armed menu.
    interface_.motorDirection = 200;
    currentBox = 2;
    command = EditMode::MoveAll;
    menuReady = true;
    RenderPatternView(picture, 320, 200);
    EXPECT_NEAR(picture.Pixel(2, 198).r, faded.r + 35, 1);  // the faded red arrow
    EXPECT_NEAR(picture.Pixel(2, 198).g, faded.g, 1);
    EXPECT_NE(picture.Pixel(319 - 2, 20), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(picture.Pixel(290, 30), (Rgba{255, 0, 255, 255}));    // Start at (W - 32, 25)
    // The pad centred at (W - 58, H - 58): its check mark at (cx - 16, cy - 16) and the
    // backdrop around it from (W - 116, H - 116).
    EXPECT_EQ(picture.Pixel(262, 142), (Rgba{0x12, 0x34, 0x56, 255}));
    EXPECT_EQ(picture.Pixel(205, 86), (Rgba{0xBB, 0xFF, 0xFF, 255}));
}

TEST(SmallPreview, ShowsThePreviewScaledToTheArea)
{
    ViewOfOneBox();
    ViewBuffer picture;
    RenderSmallPatternView(picture, 140, 80);
    EXPECT_EQ(picture.Pixel(70, 40), (Rgba{255, 255, 255, 255}));  // no preview yet

    PixbufPtr preview(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 14, 8));
    gdk_pixbuf_fill(preview.get(), 0x0000FFFF);
    interface_.previewPixbuf = std::move(preview);
    zoomAll = 1;
    RenderSmallPatternView(picture, 140, 80);
    EXPECT_EQ(zoomAll, 0);
    EXPECT_EQ(picture.Pixel(70, 40), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(picture.Pixel(139, 79).b, 255);
}

TEST(StitchingView, PlacementsSpeedBarCrossHairAndTime)
{
    TempDir dir;
    ViewOfOneBox();
    const int slot = AddPattern({"pX0Y0", "pX2Y0"});
    NewPatternLayoutNode(slot, -1, 0, 1, 1);  // at (20, 20): no box origin, no pan
    RefreshPatternPix();
    lastUpdateTime = 0;
    command = EditMode::Stitching;
    interface_.measureLine = MeasureLine{100, 60, 0, 0};
    ViewBuffer picture;
    RenderMotorMove(picture, 320, 140);
    EXPECT_GT(lastUpdateTime, 0);
    EXPECT_EQ(picture.Pixel(30, 20), kBlack);
    EXPECT_EQ(picture.Pixel(30, 21), (Rgba{255, 255, 255, 255}));
    const Rgba bar{0xBB, 0xFF, 0xFF, 255};
    EXPECT_EQ(picture.Pixel(320 - 35 + 1, 48 + 1), bar);        // the speed bar, small icons
    EXPECT_EQ(picture.Pixel(320 - 35 + 27, 140 - 48 - 1), bar);
    const Rgba hair{0, 0x88, 0x99, 255};
    EXPECT_EQ(picture.Pixel(100, 1), hair);  // dashed: the first four pixels are drawn
    EXPECT_EQ(picture.Pixel(100, 5), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(picture.Pixel(1, 60), hair);

    // Out of a run: no speed bar.
    command = EditMode::None;
    RenderMotorMove(picture, 320, 140);
    EXPECT_EQ(picture.Pixel(320 - 35 + 1, 48 + 1), (Rgba{255, 255, 255, 255}));
}

TEST(DialogFrame, FivePixelsAlongTheEdge)
{
    ViewBuffer picture;
    cairo_t* cr = picture.Begin(50, 40);
    DrawFrame(cr, 50, 40);
    cairo_destroy(cr);
    EXPECT_EQ(picture.Pixel(0, 0), kBlack);
    EXPECT_EQ(picture.Pixel(4, 20), kBlack);
    EXPECT_EQ(picture.Pixel(49, 39), kBlack);
    EXPECT_EQ(picture.Pixel(45, 20), kBlack);
    EXPECT_EQ(picture.Pixel(5, 20).a, 0);
    EXPECT_EQ(picture.Pixel(44, 20).a, 0);
}
