// Fitting a whole array into the current pattern box by bouncing its hull.

#include "patterns/array_fit.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "base/console.h"
#include "base/interface.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "patterns/box_margin.h"
#include "patterns/fitting.h"
#include "patterns/geometry.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "patterns/transform.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStep = 0.05;           // inches per bounce step
constexpr double kGrowth = 1.005;        // growth tried per step in the cycles
constexpr int kMaxCycles = 40;
constexpr double kCycleTimeLimit = 30.0; // seconds for all growth cycles
constexpr int kMaxSameRuns = 5;          // equal averages in a row that end the cycles
constexpr int kMaxRepeat = 100;          // growths per stretching bounce at most

double Seconds()
{
    if (fittingClockForTest != nullptr)
        return fittingClockForTest();
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool Active() { return interface_.fittingActive != 0 && hull != nullptr; }

struct Extent : PolygonBounds {
    double Width() const { return double(maxX) - minX; }
    double Height() const { return double(maxY) - minY; }
    double CentreX() const { return (double(minX) + maxX) / 2.0; }
    double CentreY() const { return (double(minY) + maxY) / 2.0; }
};

Extent ExtentOf(const PointArray& poly) { return {BoundsOf(poly)}; }

bool PositiveFinite(double v) { return std::isfinite(v) && v > 0; }

// One bounce of the hull through the box.
double Bounce(const PointArray& box, int mode, int passes, double growX, double growY,
              double angle, int repeat, double tilt)
{
    return HullBounce(&box, hull.get(), mode, kStep, passes, nullptr, growX, growY, angle,
                      repeat, tilt);
}

// The four bounces of a round: diagonals first, then along X (whose distance goes to *dx)
// and along Y (*dy).
struct Round {
    int diagonalPasses;
    int axisPasses;
    double xGrowX, xGrowY;
    int xRepeat;
    double yGrowX, yGrowY;
    int yRepeat;
    double tilt;
};

bool RunRound(const PointArray& box, const Round& r, double* dx, double* dy)
{
    Bounce(box, 3, r.diagonalPasses, 1.0, 1.0, 3 * kPi / 4, 1, r.tilt);
    if (!Active())
        return false;
    Bounce(box, 3, r.diagonalPasses, 1.0, 1.0, 5 * kPi / 4, 1, r.tilt);
    if (!Active())
        return false;
    *dx = Bounce(box, 1, r.axisPasses, r.xGrowX, r.xGrowY, kPi, r.xRepeat, r.tilt);
    if (!Active())
        return false;
    *dy = Bounce(box, 2, r.axisPasses, r.yGrowX, r.yGrowY, 3 * kPi / 2, r.yRepeat, r.tilt);
    return Active();
}

// After the first round: one jump towards the size the free room allows, kept when the
// enlarged hull still lies in the box. Only a positive room in both directions is used.
void TrialEnlargement(const PointArray& box, int stretch, double dx, double dy, int* xRepeat,
                      int* yRepeat)
{
    *xRepeat = 5;
    *yRepeat = 5;
    if (!PositiveFinite(dx) || !PositiveFinite(dy))
        return;
    const Extent e = ExtentOf(*hull);
    const double w = e.Width(), h = e.Height();
    if (!PositiveFinite(w) || !PositiveFinite(h))
        return;
    double sx, sy;
    if (stretch == 0) {
        sx = sy = dx <= dy ? (0.75 * dx + w) / w : (0.75 * dy + h) / h;
    } else {
        sx = (0.75 * dx + w) / w;
        sy = (0.75 * dy + h) / h;
        const double ratio = dx > dy ? std::floor(dx / dy) : std::floor(dy / dx);
        const int more = int(std::fmin(ratio * 5, kMaxRepeat));
        if (dx > dy)
            *xRepeat = more;
        else
            *yRepeat = more;
    }
    if (!PositiveFinite(sx) || !PositiveFinite(sy))
        return;
    PointArray copy = *hull;
    for (PolyPoint& v : copy) {
        v.x = float(v.x * sx);
        v.y = float(v.y * sy);
    }
    const Extent c = ExtentOf(copy);
    MovePolygon(copy, e.CentreX() - c.CentreX(), e.CentreY() - c.CentreY());
    if (PolygonsOverlap(box, copy, nullptr, 0) < 0)
        *hull = copy;
}

// The growth cycles, until the free room stops changing, 40 cycles or 30 seconds.
void GrowthCycles(const PointArray& box, int stretch, int xRepeat, int yRepeat, double start)
{
    Round r;
    if (stretch == 0)
        r = {2, 5, kGrowth, kGrowth, 3, kGrowth, kGrowth, 3, 0.0};
    else
        r = {1, 4, kGrowth, 1.0, xRepeat, 1.0, kGrowth, yRepeat, 0.0};
    long m = 0, previous = -2;
    int same = 0;
    for (int cycle = 0; cycle < kMaxCycles; ++cycle) {
        double dx = 0, dy = 0;
        if (!RunRound(box, r, &dx, &dy))
            return;
        const double elapsed = Seconds() - start;
        if (elapsed > kCycleTimeLimit) {
            ConsolePrintf("Bounce Timeout after %ld seconds\n", long(elapsed));
            return;
        }
        const double length = 1000.0 * std::sqrt(dx * dx + dy * dy);
        const long v = std::isfinite(length) ? long(std::floor(length)) : 0;
        m = m == 0 ? v : (v + m) / 2;
        if (m == previous) {
            if (++same > kMaxSameRuns)
                return;
        } else {
            same = 0;
        }
        previous = m;
    }
}

// The reached size applied: the pattern stretched by the hull's growth, the placements spread
// by the same factors and centred where the hull ended.
void ApplyGrowth(LayoutNode* node, double w0, double h0)
{
    Pattern* p = GetPattern(node->patternIndex);
    const Extent e = ExtentOf(*hull);
    const double fx = e.Width() / w0, fy = e.Height() / h0;
    const int array = node->arrayIndex;
    auto inArray = [&](const LayoutNode* n) {
        return array >= 0 ? n->arrayIndex == array : n == node;
    };
    if (PositiveFinite(fx) && StretchAllowed(p, 'x', fx)) {
        stretchPattern(p, 'x', fx, nullptr);
        for (LayoutNode* n = patternLayout; n != nullptr; n = n->next)
            if (inArray(n))
                n->x = float(n->x * fx);
    }
    if (PositiveFinite(fy) && StretchAllowed(p, 'y', fy)) {
        stretchPattern(p, 'y', fy, nullptr);
        for (LayoutNode* n = patternLayout; n != nullptr; n = n->next)
            if (inArray(n))
                n->y = float(n->y * fy);
    }
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        if (!inArray(n))
            continue;
        const double ax = n->x, ay = n->y, bx = ax + p->width, by = ay + p->height;
        x0 = any ? std::fmin(x0, ax) : ax;
        y0 = any ? std::fmin(y0, ay) : ay;
        x1 = any ? std::fmax(x1, bx) : bx;
        y1 = any ? std::fmax(y1, by) : by;
        any = true;
    }
    const double mx = e.CentreX() - (x0 + x1) / 2.0, my = e.CentreY() - (y0 + y1) / 2.0;
    if (!any || !std::isfinite(mx) || !std::isfinite(my))
        return;
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (inArray(n))
            MoveLayoutPattern(n, float(mx), float(my));
}

int Refuse(int result)
{
    hull.reset();
    UiSetCursor(CursorKind::Normal);
    UiShowMessage(MSG_ERROR, BUTTONS_OK, kCannotAutoscale);
    return result;
}

int Finish()
{
    hull.reset();
    UiSetCursor(CursorKind::Normal);
    return AUTOSCALE_ARRAY_DONE;
}

}  // namespace

int AutoScaleArray(LayoutNode* node, int stretch, float width, float height)
{
    Pattern* p = node != nullptr ? GetPattern(node->patternIndex) : nullptr;
    if (p == nullptr)
        return AUTOSCALE_ARRAY_DONE;
    UiSetCursor(CursorKind::Busy);
    // An offset of exactly 0 would stay 0 under every stretch.
    if (node->x == 0.0f)
        node->x = 0.01f;
    if (node->y == 0.0f)
        node->y = 0.01f;

    const PatternBox* box = GetPatternBox(currentBox);
    if (!CheckPatternBox(box) || !PositiveFinite(width) || !PositiveFinite(height))
        return Refuse(AUTOSCALE_ARRAY_BAD_BOX);
    if (interface_.fittingActive == 0)
        return Finish();
    const PointArray whole = BoxPolygon(box);
    PointArray polygon = whole;
    if (xMargin != 0.0f)
        AdjustForMargin(&polygon);
    // Margins of half the box or more turn the polygon inside out: nothing could ever fit.
    if (!MarginLeavesBox(whole, polygon))
        return Refuse(AUTOSCALE_ARRAY_BAD_BOX);
    const int type = GetPolygonType(box);
    if (type < 0 || type > 3)
        return Refuse(AUTOSCALE_ARRAY_BAD_SHAPE);
    Point target;
    if (!BoxTargetCentre(polygon, 1, &target))
        return Refuse(AUTOSCALE_ARRAY_BAD_BOX);

    // The outline of the array as placed, in box coordinates.
    hull = std::make_unique<PointArray>(ConvexHullOfArray(node));
    MovePolygon(*hull, -double(p->minX), -double(p->minY));
    const Extent start = ExtentOf(*hull);
    const double w0 = start.Width(), h0 = start.Height();
    if (hull->size() < 3 || !PositiveFinite(w0) || !PositiveFinite(h0))
        return Finish();
    UiRedrawView();
    UiRunPendingEvents();
    if (!Active())
        return Finish();
    MovePolygon(*hull, target.x - start.CentreX(), target.y - start.CentreY());
    if (PatternInBox2(&polygon, hull.get(), nullptr) != 1 || !Active())
        return Finish();
    const double began = std::floor(Seconds());

    double dx = 0, dy = 0;
    const Round first{1, 1, 1.0, 1.0, 1, 1.0, 1.0, 1, double(p->rotation)};
    if (!RunRound(polygon, first, &dx, &dy))
        return Finish();
    int xRepeat = 5, yRepeat = 5;
    TrialEnlargement(polygon, stretch, dx, dy, &xRepeat, &yRepeat);
    GrowthCycles(polygon, stretch, xRepeat, yRepeat, began);
    if (Active())
        ApplyGrowth(node, w0, h0);
    return Finish();
}
