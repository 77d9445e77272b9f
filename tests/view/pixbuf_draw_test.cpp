// Pixel drawing and pattern images: exact pixels of lines, breaks and highlighting.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <utility>

#include "base/interface.h"
#include "view/pixbuf_draw.h"
#include "view/view_paint.h"
#include "view/view_fixtures.h"

using view_test::AddPattern;

namespace {

using Pixel = std::pair<int, int>;

struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

Rgba At(GdkPixbuf* p, int x, int y)
{
    const guchar* d = gdk_pixbuf_get_pixels(p) + y * gdk_pixbuf_get_rowstride(p) + x * 4;
    return {d[0], d[1], d[2], d[3]};
}

// Every pixel that is not transparent.
std::set<Pixel> Inked(GdkPixbuf* p)
{
    std::set<Pixel> out;
    for (int y = 0; y < gdk_pixbuf_get_height(p); ++y)
        for (int x = 0; x < gdk_pixbuf_get_width(p); ++x)
            if (At(p, x, y).a != 0) out.insert({x, y});
    return out;
}

std::set<Pixel> Line(int x0, int y0, int x1, int y1)
{
    PixbufPtr p(NewPixbuf(29, 29));
    DrawLine(p.get(), x0, y0, x1, y1, 0, 0, 0, 255);
    return Inked(p.get());
}

const Rgba kBlack{0, 0, 0, 255};
const Rgba kRed{255, 0, 0, 255};

}  // namespace

TEST(DrawLine, FlatLineStepsAlongXWithoutItsEnd)
{
    // Slope 0.3: y is the truncated line value; the larger x is not drawn.
    std::set<Pixel> expected;
    for (int x = 0; x < 10; ++x) expected.insert({x, int(0.3f * x)});
    EXPECT_EQ(Line(0, 0, 10, 3), expected);
    // Drawn from the other end, the same pixels except that x runs from 0 again: the
    // intercept is taken at the first point, so the pixels are those of the same line.
    EXPECT_EQ(Line(10, 3, 0, 0).size(), 10u);
    // A horizontal line.
    std::set<Pixel> row;
    for (int x = 4; x < 20; ++x) row.insert({x, 7});
    EXPECT_EQ(Line(20, 7, 4, 7), row);
}

TEST(DrawLine, SteepAndVerticalLinesStepAlongY)
{
    // From (2, 0) to (5, 10): x = trunc((y - b) / m) with m = 10 / 3.
    const float m = 10.0f / 3.0f, b = 0.0f - m * 2.0f;
    std::set<Pixel> expected;
    for (int y = 0; y < 10; ++y) expected.insert({int((float(y) - b) / m), y});
    EXPECT_EQ(Line(2, 0, 5, 10), expected);
    EXPECT_EQ(expected.count({2, 0}), 1u);
    EXPECT_EQ(expected.count({4, 9}), 1u);
    // A vertical line keeps its x; a 45-degree line counts as steep.
    std::set<Pixel> column;
    for (int y = 3; y < 12; ++y) column.insert({6, y});
    EXPECT_EQ(Line(6, 12, 6, 3), column);
    EXPECT_EQ(Line(0, 0, 5, 5), (std::set<Pixel>{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}));
    // A point-sized line draws nothing.
    EXPECT_TRUE(Line(3, 3, 3, 3).empty());
}

TEST(DrawLine, OnlyPixelsInsideTheBufferAreWritten)
{
    // Lines reaching far outside, even to the ends of the int range, are clipped.
    std::set<Pixel> row;
    for (int x = 0; x < 30; ++x) row.insert({x, 5});
    EXPECT_EQ(Line(-1000, 5, 1000, 5), row);
    EXPECT_EQ(Line(INT_MIN / 2, 5, INT_MAX / 2, 5), row);
    EXPECT_TRUE(Line(-50, -50, -10, -20).empty());
    EXPECT_EQ(Line(15, -100000, 15, 100000).size(), 30u);
}

TEST(DrawPixel, WritesFourBytesOfRgbaBuffersOnly)
{
    PixbufPtr p(NewPixbuf(3, 2));
    ASSERT_EQ(gdk_pixbuf_get_width(p.get()), 4);  // (w + 1) x (h + 1)
    ASSERT_EQ(gdk_pixbuf_get_height(p.get()), 3);
    EXPECT_EQ(At(p.get(), 2, 1), (Rgba{255, 255, 255, 0}));
    DrawPixel(p.get(), 2, 1, 10, 20, 30, 40);
    EXPECT_EQ(At(p.get(), 2, 1), (Rgba{10, 20, 30, 40}));
    DrawPixel(p.get(), 4, 1, 0, 0, 0, 255);  // outside: nothing, no crash
    DrawPixel(p.get(), -1, 0, 0, 0, 0, 255);
    EXPECT_EQ(Inked(p.get()).size(), 1u);
    ClearPixbuf(p.get());
    EXPECT_TRUE(Inked(p.get()).empty());

    // A buffer without alpha is not written.
    PixbufPtr rgb(gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 4, 4));
    gdk_pixbuf_fill(rgb.get(), 0xFFFFFFFF);
    DrawPixel(rgb.get(), 1, 1, 0, 0, 0, 255);
    DrawLine(rgb.get(), 0, 0, 3, 0, 0, 0, 0, 255);
    EXPECT_EQ(gdk_pixbuf_get_pixels(rgb.get())[0], 255);
    EXPECT_EQ(gdk_pixbuf_get_pixels(rgb.get())[gdk_pixbuf_get_rowstride(rgb.get()) + 3], 255);
}

TEST(PatternImage, SizesAndRefusals)
{
    EXPECT_EQ(NewPixbuf(-2, 5), nullptr);
    EXPECT_EQ(NewPixbuf(100000, 100000), nullptr);  // far beyond any screen
    ResetLayout();
    const int slot = AddPattern({"pX0Y0", "pX2Y1"});
    const Pattern* p = GetPattern(slot);
    PixbufPtr image(CreatePixbufFromPattern(p, 0.1f));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(image.get()), 21);
    EXPECT_EQ(gdk_pixbuf_get_height(image.get()), 11);
    EXPECT_EQ(CreatePixbufFromPattern(p, 0.0f), nullptr);
    EXPECT_EQ(CreatePixbufFromPattern(p, -0.1f), nullptr);
    EXPECT_EQ(CreatePixbufFromPattern(nullptr, 0.1f), nullptr);
    // A 2 x 1 inch pattern at 0.0001 inch per pixel would be 200 megapixels: refused.
    EXPECT_EQ(CreatePixbufFromPattern(p, 0.0001f), nullptr);
}

TEST(DrawPattern, StrokeStartsAndPointsOutsideBreakTheLine)
{
    ResetLayout();
    // Two strokes along y = 1: x 0..1, then (new stroke) x 2..3; then a point far outside
    // and back: the segments on either side of it are not joined.
    const int slot = AddPattern({"pX0Y1", "pX1Y1", "c s", "pX2Y1", "pX3Y1", "pX3Y50", "pX3Y2"});
    const Pattern* p = GetPattern(slot);
    PixbufPtr image(NewPixbuf(40, 25));  // 0.1 inch per pixel: y = 50 is outside
    const int used = DrawPattern(image.get(), p, 0, 0, 0.1f);
    // (0,1) (1,1) | (2,1) (3,1) | outside | (3,2). minY is 1, so y = 1 is row 0.
    EXPECT_EQ(used, 5);
    const auto ink = Inked(image.get());
    EXPECT_EQ(ink.count({0, 0}), 1u);
    EXPECT_EQ(ink.count({9, 0}), 1u);
    for (int x = 10; x < 20; ++x) EXPECT_EQ(ink.count({x, 0}), 0u) << x;  // the stroke gap
    EXPECT_EQ(ink.count({20, 0}), 1u);
    EXPECT_EQ(ink.count({29, 0}), 1u);
    for (int y = 1; y <= 25; ++y) EXPECT_EQ(ink.count({30, y}), 0u) << y;  // no line down
    EXPECT_EQ(ink.size(), 20u);
    EXPECT_EQ(At(image.get(), 5, 0), kBlack);
}

TEST(DrawPattern, NearbyPointsArePassedOverAndOffsetsShiftTheImage)
{
    ResetLayout();
    // 0.03 inch steps: only every second point is more than 0.05 from the last drawn one.
    const int slot = AddPattern({"pX0Y0", "pX0.03Y0", "pX0.06Y0", "pX0.09Y0", "pX0.12Y0"});
    const Pattern* p = GetPattern(slot);
    PixbufPtr image(NewPixbuf(30, 5));
    EXPECT_EQ(DrawPattern(image.get(), p, 0, 0, 0.01f), 3);  // x = 0, 0.06, 0.12
    std::set<Pixel> row;
    for (int x = 0; x < 12; ++x) row.insert({x, 0});
    EXPECT_EQ(Inked(image.get()), row);
    // The offset moves the points; the buffer is cleared first.
    EXPECT_EQ(DrawPattern(image.get(), p, 0.1f, 0.02f, 0.01f), 3);
    EXPECT_EQ(Inked(image.get()).count({0, 0}), 0u);
    EXPECT_EQ(Inked(image.get()).count({10, 2}), 1u);
    // Nothing to draw with: 0 and no crash.
    EXPECT_EQ(DrawPattern(nullptr, p, 0, 0, 0.01f), 0);
    EXPECT_EQ(DrawPattern(image.get(), nullptr, 0, 0, 0.01f), 0);
    EXPECT_EQ(DrawPattern(image.get(), p, 0, 0, 0.0f), 0);
    Pattern empty;
    EXPECT_EQ(DrawPattern(image.get(), &empty, 0, 0, 0.01f), 0);
}

TEST(DrawPattern, OnlyTheChosenEntityIsRed)
{
    ResetLayout();
    // Three segments along y = 0; entity 1 is the second, entity 2 the third.
    const int slot = AddPattern({"pX0Y0", "pX1Y0", "c e s", "pX2Y0", "c e e", "pX3Y0",
                                 "c e s", "pX4Y0", "c e e"});
    const Pattern* p = GetPattern(slot);
    PixbufPtr image(NewPixbuf(40, 2));

    interface_.highlightEntity = -1;
    DrawPattern(image.get(), p, 0, 0, 0.1f);
    for (int x : {5, 15, 25, 35}) EXPECT_EQ(At(image.get(), x, 0), kBlack) << x;

    // The line into the entity's first point is drawn red; its "c e e" ends the red.
    interface_.highlightEntity = 1;
    DrawPattern(image.get(), p, 0, 0, 0.1f);
    EXPECT_EQ(At(image.get(), 5, 0), kBlack);
    EXPECT_EQ(At(image.get(), 15, 0), kRed);
    EXPECT_EQ(At(image.get(), 25, 0), kBlack);
    EXPECT_EQ(At(image.get(), 35, 0), kBlack);

    interface_.highlightEntity = 2;
    DrawPattern(image.get(), p, 0, 0, 0.1f);
    EXPECT_EQ(At(image.get(), 15, 0), kBlack);
    EXPECT_EQ(At(image.get(), 35, 0), kRed);
}

TEST(DrawPattern, LoadedPatternsAreDrawnRelativeToTheirMinimum)
{
    ResetLayout();
    // Points at (3, 4)..(4, 4): with minX 3 the line starts at pixel 0.
    const int slot = AddPattern({"pX3Y4", "pX4Y4"});
    interface_.viewScale = 0.1f;
    RefreshPatternPix();  // draws through the view's hook
    GdkPixbuf* image = GetPattern(slot)->thumbnail;
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(image), 11);
    EXPECT_EQ(gdk_pixbuf_get_height(image), 1);
    EXPECT_EQ(Inked(image).size(), 10u);
    EXPECT_EQ(At(image, 0, 0), kBlack);
}

TEST(PixbufPaint, ThePictureIsConvertedOnceUntilItIsDrawnIntoAgain)
{
    GdkPixbuf* picture = NewPixbuf(4, 4);
    ASSERT_NE(picture, nullptr);
    DrawPixel(picture, 1, 1, 255, 0, 0, 255);
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
    cairo_t* cr = cairo_create(target);
    auto pixel = [&] {
        cairo_surface_flush(target);
        const unsigned char* row =
            cairo_image_surface_get_data(target) + cairo_image_surface_get_stride(target);
        return reinterpret_cast<const uint32_t*>(row)[1];
    };

    view_paint::Pixbuf(cr, picture, 0, 0);
    EXPECT_EQ(pixel(), 0xFFFF0000u);
    cairo_surface_t* kept = view_paint::CachedSurface(picture);
    view_paint::Pixbuf(cr, picture, 0, 0);
    EXPECT_EQ(view_paint::CachedSurface(picture), kept) << "painted again without converting";

    // Drawn into in place (a highlight, a redraw): the next paint shows the new pixels.
    DrawPixel(picture, 1, 1, 0, 0, 255, 255);
    view_paint::Pixbuf(cr, picture, 0, 0);
    EXPECT_EQ(pixel(), 0xFF0000FFu);

    cairo_destroy(cr);
    cairo_surface_destroy(target);
    g_object_unref(picture);
}
