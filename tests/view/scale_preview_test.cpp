// The scale dialog's preview, read back pixel by pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "base/interface.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "view/scale_preview.h"
#include "view_fixtures.h"

namespace {

struct Box {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
};

Box Find(const ViewBuffer& b, bool (*match)(const ViewBuffer::Rgba&))
{
    Box r;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (match(b.Pixel(x, y))) {
                r.x0 = std::min(r.x0, x);
                r.y0 = std::min(r.y0, y);
                r.x1 = std::max(r.x1, x);
                r.y1 = std::max(r.y1, y);
            }
    return r;
}

bool Dark(const ViewBuffer::Rgba& p) { return p.a > 100 && p.r < 80 && p.g < 80 && p.b < 80; }
bool Tint(const ViewBuffer::Rgba& p)
{
    return std::abs(p.a - 128) <= 2 && p.r <= 2 && std::abs(p.g - 128) <= 2 && std::abs(p.b - 192) <= 2;
}
bool Red(const ViewBuffer::Rgba& p) { return p.a > 100 && p.r > 200 && p.g < 60 && p.b < 60; }

}  // namespace

TEST(ScalePreview, SelectionStretchesAboutItsMiddleOthersTintedBoxDashedRed)
{
    ResetLayout();
    view_test::AddBox(0, 0, 10, 10);
    const int square = view_test::AddPattern({"pX0Y0", "pX2Y0", "pX2Y1", "pX0Y1", "pX0Y0"});
    const int other = view_test::AddPattern({"pX0Y0", "pX1Y1"});
    LayoutNode* node = NewPatternLayoutNode(square, -1, 0, 3, 4);
    NewPatternLayoutNode(other, -1, 0, 7, 7);
    interface_.viewScale = 0.1f;
    RefreshPatternPix();
    LayoutNode* copies = CopyLayoutNode(node);

    ViewBuffer plain, doubled;
    RenderScalePreview(plain, 200, 160, copies, 100, 100);
    RenderScalePreview(doubled, 200, 160, copies, 200, 200);
    const Box a = Find(plain, Dark), b = Find(doubled, Dark);
    ASSERT_GE(a.x1, 0);
    ASSERT_GE(b.x1, 0);
    EXPECT_NEAR(b.x1 - b.x0, 2 * (a.x1 - a.x0), 2);
    EXPECT_NEAR(b.y1 - b.y0, 2 * (a.y1 - a.y0), 2);
    EXPECT_NEAR(b.x0 + b.x1, a.x0 + a.x1, 2);  // centres within a pixel
    EXPECT_NEAR(b.y0 + b.y1, a.y0 + a.y1, 2);
    // The box is 100 x 100 pixels centred in 200 x 160: it starts at (50, 30).
    EXPECT_NEAR(a.x0, 50 + 30, 1);
    EXPECT_NEAR(a.y0, 30 + 40, 1);

    const Box t = Find(plain, Tint);
    ASSERT_GE(t.x1, 0) << "the other placement is not tinted";
    EXPECT_NEAR(t.x0, 50 + 70, 1);
    EXPECT_NEAR(t.y1, 30 + 80, 1);

    const Box r = Find(plain, Red);
    EXPECT_NEAR(r.x0, 50, 1);
    EXPECT_NEAR(r.x1, 150, 1);
    EXPECT_NEAR(r.y0, 30, 1);
    EXPECT_NEAR(r.y1, 130, 1);
    int redOnTop = 0;
    for (int x = 50; x <= 150; ++x)
        redOnTop += Red(plain.Pixel(x, r.y0));
    EXPECT_GT(redOnTop, 30);
    EXPECT_LT(redOnTop, 90);  // dashed
    FreeLayoutList(copies);
    ResetLayout();
}
