// The composed pattern view, read back at known pixels.

#include <gtest/gtest.h>

#include "app/interface.h"
#include "app/screen_config.h"
#include "app/status_bar.h"
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
