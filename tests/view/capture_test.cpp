// The parts of the capture screen that need no machine: which button a tap hits, and the
// rectangle a two-point baseline spans.
#include <gtest/gtest.h>

#include <vector>

#include "patterns/pattern_box.h"
#include "view/capture.h"

namespace {

struct Rect {
    int x, y, w, h;
};

// Where the screen draws its buttons (B square, bottom row of a W x H view).
std::vector<Rect> DrawnButtons(int mode, int W, int H, int B)
{
    if (mode == CAPTURE_AREA)
        return {{W - 3 * B - 16, H - B, B, B}, {W - 2 * B - 8, H - B, B, B}};
    return {{W - 3 * B - 24, H - B, B, B}, {W - 2 * B - 16, H - B, B, B}, {W - B - 8, H - B, B, B}};
}

// Twice the signed area; negative for corners running counter-clockwise on the screen
// (Y downwards), the order every pattern box is entered in.
double SignedArea2(const PatternBox& box)
{
    double sum = 0;
    for (const BoxPoint* p = box.corners; p != nullptr; p = p->next) {
        const BoxPoint* q = p->next ? p->next : box.corners;
        sum += double(p->x) * q->y - double(q->x) * p->y;
    }
    return sum;
}

}  // namespace

TEST(CaptureButtons, EveryPixelOfADrawnButtonSelectsItAndNothingElseDoes)
{
    for (int B : {32, 64}) {
        const int W = 320, H = 200;
        for (int mode : {CAPTURE_AREA, CAPTURE_BOX}) {
            std::vector<Rect> buttons = DrawnButtons(mode, W, H, B);
            for (int y = H - B - 10; y < H; ++y) {
                for (int x = 0; x < W; ++x) {
                    int hit = CAPTURE_NO_BUTTON;
                    for (size_t i = 0; i < buttons.size(); ++i) {
                        const Rect& r = buttons[i];
                        // The top row of the image belongs to the view above it.
                        if (x >= r.x && x < r.x + r.w && y > r.y && y < r.y + r.h)
                            hit = int(i) + 1;
                    }
                    const int got = CaptureButtonAt(mode, x, y, W, H, B);
                    if (hit != CAPTURE_NO_BUTTON) {
                        ASSERT_EQ(got, hit) << "mode " << mode << " B " << B << " at " << x << "," << y;
                    }
                    if (y <= H - B || x < W - 3 * B - 32) {
                        ASSERT_EQ(got, CAPTURE_NO_BUTTON) << "at " << x << "," << y;
                    }
                    ASSERT_LE(got, int(buttons.size()));
                }
            }
        }
    }
}

TEST(CaptureBaseline, TheRectangleRunsCounterClockwiseFromTheFirstPoint)
{
    struct Case {
        float x0, y0, x1, y1;
    };
    // The four ways the second point can lie from the first.
    for (Case c : {Case{10, 5, 30, 25}, Case{30, 25, 10, 5}, Case{10, 25, 30, 5}, Case{30, 5, 10, 25}}) {
        PatternBox box;
        ASSERT_TRUE(BaselineRectangle(c.x0, c.y0, c.x1, c.y1, &box));
        ASSERT_EQ(box.cornerCount, 4);
        EXPECT_FLOAT_EQ(box.corners->x, c.x0);
        EXPECT_FLOAT_EQ(box.corners->y, c.y0);
        EXPECT_FLOAT_EQ(box.corners->next->next->x, c.x1) << "opposite corners";
        EXPECT_FLOAT_EQ(box.corners->next->next->y, c.y1);
        EXPECT_LT(SignedArea2(box), 0) << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
        EXPECT_EQ(CheckPatternBox(&box), 1);
        EXPECT_FLOAT_EQ(box.originX, 10);
        EXPECT_FLOAT_EQ(box.originY, 5);
        EXPECT_FLOAT_EQ(box.width, 20);
        EXPECT_FLOAT_EQ(box.height, 20);
        EXPECT_FLOAT_EQ(box.angle, 0);
        EXPECT_FLOAT_EQ(box.centerX, 10);
    }
    PatternBox box;
    ASSERT_TRUE(BaselineRectangle(10, 5, 30, 25, &box));
    std::vector<float> xy;
    for (const BoxPoint* p = box.corners; p; p = p->next) xy.insert(xy.end(), {p->x, p->y});
    EXPECT_EQ(xy, (std::vector<float>{10, 5, 10, 25, 30, 25, 30, 5}));
}

TEST(CaptureBaseline, BaselinesAlongAnAxisAreRefusedAndLeaveTheBoxAlone)
{
    PatternBox box;
    ASSERT_TRUE(BaselineRectangle(1, 1, 2, 3, &box));
    const struct {
        float x0, y0, x1, y1;
    } refused[] = {
        {10, 5, 30, 5},          // rightwards
        {30, 5, 10, 5},          // leftwards
        {10, 5, 10, 25},         // down
        {10, 25, 10, 5},         // up
        {10, 5, 10, 5},          // one point twice
        {30, 5, 10, 5.0001f},    // leftwards, a hair down
        {30, 5, 10, 4.9999f},    // leftwards, a hair up: just as flat
        {10, 5, 30, 5.00001f},   // rightwards, a hair down
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(BaselineRectangle(r.x0, r.y0, r.x1, r.y1, &box)) << r.x0 << "," << r.y0
                                                                        << " to " << r.x1 << "," << r.y1;
        EXPECT_EQ(box.cornerCount, 4);
        EXPECT_FLOAT_EQ(box.width, 1);
    }
    EXPECT_FALSE(BaselineRectangle(1, 1, 2, 3, nullptr));
}
