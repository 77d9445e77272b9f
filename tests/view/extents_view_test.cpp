// The capture screen's picture: outlines where the corners are, the hint towards the next
// corner, the buttons where taps select them, the prompt in its box.
#include <gtest/gtest.h>

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdlib>
#include <string>

#include "base/interface.h"
#include "base/screen_config.h"
#include "patterns/pattern_box.h"
#include "support/temp_dir.h"
#include "view/capture.h"
#include "view/extents_view.h"
#include "view/pattern_view.h"

namespace {

using Rgba = ViewBuffer::Rgba;
const Rgba kBackground{0xCC, 0xFF, 0xFF, 255};
const Rgba kOrange{0xFF, 0x88, 0x00, 255};
const Rgba kRed{0xFF, 0x00, 0x00, 255};
const Rgba kPromptFill{0xEE, 0xEE, 0xEE, 255};

void WriteImage(const std::string& name, guint32 rgba)
{
    g_mkdir_with_parents("images", 0755);
    PixbufPtr p(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 32, 32));
    gdk_pixbuf_fill(p.get(), rgba);
    ASSERT_TRUE(gdk_pixbuf_save(p.get(), ("images/" + name).c_str(), "png", nullptr, nullptr));
}

Rgba Colour(guint32 rgba)
{
    return Rgba{int(rgba >> 24), int((rgba >> 16) & 0xFF), int((rgba >> 8) & 0xFF), 255};
}

PatternBox* Box(std::initializer_list<std::pair<float, float>> corners)
{
    PatternBox* box = new PatternBox();
    for (auto [x, y] : corners) AddPatternBoxPoint(box, x, y, 0, 0);
    return box;
}

struct Picture {
    Picture()
    {
        confirm_button_size = 32;
        icon_style = 0;
        zoomAll = 0;  // the scale each case sets is the one drawn with
        InitPatternBox();
    }
    ~Picture()
    {
        FreePatternBox(extents);
        extents = nullptr;
    }
    TempDir dir;
    ViewBuffer buffer;
};

}  // namespace

TEST(ExtentsViewPicture, BoxModeShowsTheAreaTheEntryItsLiveCornerAndTheButtons)
{
    Picture p;
    WriteImage("Add.png", 0x112233FF);
    WriteImage("OK.png", 0x445566FF);
    WriteImage("Cancel.png", 0x778899FF);
    interface_.viewScale = 0.25f;  // 4 pixels an inch
    extents = Box({{0, 0}, {60, 0}, {60, 40}, {0, 40}});
    captureMode = CAPTURE_BOX;
    FreePatternBox(pbTemp);
    pbTemp = Box({{10, 5}, {10, 25}, {30, 25}});
    interface_.capturePrompt.reset();

    RenderExtentsView(p.buffer, 320, 200);
    const ViewBuffer& b = p.buffer;
    EXPECT_EQ(b.Pixel(120, 0), kOrange) << "area's back edge";
    EXPECT_EQ(b.Pixel(240, 100), kOrange) << "area's right edge at x 60";
    EXPECT_EQ(b.Pixel(40, 60), kRed) << "entry's first side, x 10 from y 5 to 25";
    EXPECT_EQ(b.Pixel(80, 100), kRed) << "second side along y 25";
    EXPECT_EQ(b.Pixel(80, 60), kRed) << "closed back to the first corner";
    EXPECT_EQ(b.Pixel(120, 98), kRed) << "mark on the live corner (30, 25)";
    EXPECT_EQ(b.Pixel(200, 150), kBackground);
    // Each button where a tap selects it.
    const int W = 320, H = 200, B = 32;
    EXPECT_EQ(b.Pixel(W - 3 * B - 24 + 16, H - 16), Colour(0x112233FF));
    EXPECT_EQ(CaptureButtonAt(CAPTURE_BOX, W - 3 * B - 24 + 16, H - 16, W, H, B), CAPTURE_ADD);
    EXPECT_EQ(b.Pixel(W - 2 * B - 16 + 16, H - 16), Colour(0x445566FF));
    EXPECT_EQ(CaptureButtonAt(CAPTURE_BOX, W - 2 * B - 16 + 16, H - 16, W, H, B), CAPTURE_MIDDLE);
    EXPECT_EQ(b.Pixel(W - B - 8 + 16, H - 16), Colour(0x778899FF));
    EXPECT_EQ(CaptureButtonAt(CAPTURE_BOX, W - B - 8 + 16, H - 16, W, H, B), CAPTURE_RIGHT);
}

TEST(ExtentsViewPicture, AreaModeHintsTheNextCornerAndBoxesThePrompt)
{
    Picture p;
    WriteImage("TL_Arrow.png", 0x0000FFFF);
    WriteImage("TR_Arrow.png", 0x00FF00FF);
    WriteImage("BR_Arrow.png", 0xFF00FFFF);
    WriteImage("Add.png", 0x112233FF);
    WriteImage("Cancel.png", 0x778899FF);
    captureMode = CAPTURE_AREA;
    FreePatternBox(pbTemp);
    pbTemp = new PatternBox();
    const int W = 320, H = 200, B = 32;

    interface_.capturePrompt.reset();
    RenderExtentsView(p.buffer, W, H);
    EXPECT_EQ(p.buffer.Pixel(20, 20), Colour(0x0000FFFF)) << "back left first";
    EXPECT_EQ(p.buffer.Pixel(W - 16, 20), kBackground);
    EXPECT_EQ(p.buffer.Pixel(W / 2, H / 2), kBackground) << "no prompt, no box";
    EXPECT_EQ(p.buffer.Pixel(W - 3 * B - 16 + 16, H - 16), Colour(0x112233FF));
    EXPECT_EQ(CaptureButtonAt(CAPTURE_AREA, W - 3 * B, H - 16, W, H, B), CAPTURE_ADD);
    EXPECT_EQ(p.buffer.Pixel(W - 2 * B - 8 + 16, H - 16), Colour(0x778899FF));
    EXPECT_EQ(CaptureButtonAt(CAPTURE_AREA, W - 2 * B - 8 + 16, H - 16, W, H, B), CAPTURE_MIDDLE);

    AddPatternBoxPoint(pbTemp, 0, 0, 1, 0);
    RenderExtentsView(p.buffer, W, H);
    EXPECT_EQ(p.buffer.Pixel(W - 16, 20), Colour(0x00FF00FF)) << "then back right";
    EXPECT_EQ(p.buffer.Pixel(20, 20), kBackground);
    AddPatternBoxPoint(pbTemp, 60, 0, 0, 0);
    RenderExtentsView(p.buffer, W, H);
    EXPECT_EQ(p.buffer.Pixel(W - 16, H - 40 + 16), Colour(0xFF00FFFF)) << "then front right";

    interface_.capturePrompt = capture_text::kAreaBackLeft;
    RenderExtentsView(p.buffer, W, H);
    // Centred, light inside, a black border round it, background beyond. The row just
    // inside the top border is padding, free of text.
    const Rgba black{0, 0, 0, 255};
    int top = 0;
    while (top < H / 2 && !(p.buffer.Pixel(W / 2, top) == black)) ++top;
    ASSERT_LT(top, H / 2);
    EXPECT_EQ(p.buffer.Pixel(W / 2, top - 1), kBackground);
    const int row = top + 2;
    EXPECT_EQ(p.buffer.Pixel(W / 2, row), kPromptFill);
    int left = W / 2;
    while (left > 0 && !(p.buffer.Pixel(left, row) == black)) --left;
    int right = W / 2;
    while (right < W - 1 && !(p.buffer.Pixel(right, row) == black)) ++right;
    ASSERT_GT(left, 0);
    ASSERT_LT(right, W - 1);
    EXPECT_LE(std::abs((left + right) - W), 2) << "centred: " << left << ".." << right;
    EXPECT_EQ(p.buffer.Pixel(left - 1, row), kBackground);
    EXPECT_EQ(p.buffer.Pixel(left + 1, row), kPromptFill);
}
