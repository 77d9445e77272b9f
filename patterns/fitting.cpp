// Fitting a hull into a pattern box.

#include "patterns/fitting.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "base/console.h"
#include "base/interface.h"
#include "base/message_windows.h"
#include "base/ui_hooks.h"
#include "patterns/box_margin.h"

namespace {

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr double kTimeLimit = 10.0;  // seconds per bounce or push
constexpr float kSmallest = 0.001f;  // inches: a hull this small fits nowhere

// The injected clock, or the steady clock when none is set.
double Now() { return fittingClockForTest != nullptr ? fittingClockForTest() : SteadySeconds(); }

bool Active() { return interface_.fittingActive != 0; }

// Runs pending events. A Cancel may have run meanwhile and released the hull and the layout:
// false then, and the caller must return without touching them.
bool RunEvents()
{
    UiRunPendingEvents();
    return Active();
}

// One step of work on the status window (refreshed every 500). False when fitting was
// cancelled while its events ran.
bool CountStep(StatusWindow* status)
{
    if (status == nullptr)
        return true;
    if (++status->count % 500 == 0) {
        UpdateStatusWindow(status, status->count);
        if (!Active())
            return false;
    }
    return true;
}

struct Bounds : PolygonBounds {
    float Width() const { return maxX - minX; }
    float Height() const { return maxY - minY; }
    Point Centre() const { return {(minX + maxX) / 2.0f, (minY + maxY) / 2.0f}; }
};

Bounds Measure(const PointArray& poly) { return {BoundsOf(poly)}; }

void CentreOn(PointArray& poly, Point target)
{
    const Point c = Measure(poly).Centre();
    MovePolygon(poly, double(target.x) - c.x, double(target.y) - c.y);
}

void ScaleAboutOrigin(PointArray& poly, float factor)
{
    for (PolyPoint& p : poly) {
        p.x *= factor;
        p.y *= factor;
    }
}

}  // namespace

// A margin too large for the box turns it inside out, which fails here.
int PolygonConvexClockwise(const PointArray& box)
{
    const size_t n = box.size();
    if (n < 3)
        return false;
    for (size_t i = 0; i < n; ++i) {
        const PolyPoint& a = box[(i + n - 1) % n];
        const PolyPoint& b = box[i];
        const PolyPoint& c = box[(i + 1) % n];
        if (!std::isfinite(b.x) || !std::isfinite(b.y) ||
            !Left({a.x, a.y}, {b.x, b.y}, {c.x, c.y}))
            return 0;
    }
    return 1;
}

int MarginLeavesBox(const PointArray& box, const PointArray& shrunk)
{
    const size_t n = box.size();
    if (shrunk.size() != n || !PolygonConvexClockwise(shrunk))
        return 0;
    // Shrunk corner j is the moved corner j-1 (or j itself when nothing moved).
    for (size_t shift : {size_t(1), size_t(0)}) {
        bool same = true;
        for (size_t j = 0; j < n && same; ++j) {
            const PolyPoint& a = shrunk[j];
            const PolyPoint& b = shrunk[(j + 1) % n];
            const PolyPoint& p = box[(j + n - shift) % n];
            const PolyPoint& q = box[(j + n - shift + 1) % n];
            const double dot = (double(b.x) - a.x) * (double(q.x) - p.x) +
                               (double(b.y) - a.y) * (double(q.y) - p.y);
            same = dot > 0.0;
        }
        if (same)
            return 1;
    }
    return 0;
}

namespace {

bool FiniteHull(const PointArray& poly)
{
    for (const PolyPoint& p : poly)
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return false;
    return !poly.empty();
}

// The foot of the perpendicular from v to the edge's line, and where it lies along the edge
// (0 at the start, 1 at the end).
Point Foot(Point v, const Edge& e, double* along)
{
    const double dx = double(e.endX) - e.startX;
    const double dy = double(e.endY) - e.startY;
    Point f;
    if (std::fabs(dy) < 0.001) {
        f = {v.x, e.startY};
    } else if (std::fabs(dx) < 0.001) {
        f = {e.startX, v.y};
    } else {
        const double t = ((double(v.x) - e.startX) * dx + (double(v.y) - e.startY) * dy) /
                         (dx * dx + dy * dy);
        f = {float(e.startX + t * dx), float(e.startY + t * dy)};
    }
    const double len2 = dx * dx + dy * dy;
    *along = len2 > 0.0
                 ? ((double(f.x) - e.startX) * dx + (double(f.y) - e.startY) * dy) / len2
                 : 0.0;
    return f;
}

}  // namespace

double (*fittingClockForTest)() = SteadySeconds;

int PatternInBox2(const PointArray* box, PointArray* hull, StatusWindow* status)
{
    if (box == nullptr || hull == nullptr || !PolygonConvexClockwise(*box) || !FiniteHull(*hull))
        return 0;
    Point target;
    if (!BoxTargetCentre(*box, 1, &target))
        return 0;
    Edge edge;
    while (PolygonsOverlap(*box, *hull, &edge, 0) >= 0) {
        if (!Active() || !RunEvents())
            return 0;
        const Bounds b = Measure(*hull);
        if (b.Width() < kSmallest && b.Height() < kSmallest)
            return 0;  // nothing of it is left: it fits nowhere
        ScaleAboutOrigin(*hull, 0.99f);
        CentreOn(*hull, target);
        if (!CountStep(status))
            return 0;
    }
    return 1;
}

double GetOverlapDistance(Point v, const Edge& edge)
{
    double along = 0.0;
    const Point f = Foot(v, edge, &along);
    if (along >= 0.0 && along <= 1.0)
        return std::hypot(double(v.x) - f.x, double(v.y) - f.y);
    return std::fmin(std::hypot(double(v.x) - edge.startX, double(v.y) - edge.startY),
                     std::hypot(double(v.x) - edge.endX, double(v.y) - edge.endY));
}

int PatternInBox(const PointArray* box, PointArray* hull, double* directionOut, int shrink,
                 int reportDirection, StatusWindow* status)
{
    if (box == nullptr || hull == nullptr || !PolygonConvexClockwise(*box) || !FiniteHull(*hull))
        return 0;
    Point centre;
    if (!BoxTargetCentre(*box, 0, &centre))
        return 0;
    const double deadline = Now() + kTimeLimit;
    int moves = 0, total = 0, previous = -1;
    Edge edge;
    for (int failing; (failing = PolygonsOverlap(*box, *hull, &edge, 0)) >= 0;) {
        if (!Active() || !RunEvents())
            return 0;
        if (++total > kPatternInBoxMoveCap || Now() > deadline)
            return 0;
        ++moves;
        if (failing != previous && shrink)
            ScaleAboutOrigin(*hull, 0.99f);
        previous = failing;
        const PolyPoint& p = (*hull)[size_t(failing)];
        const Point v{p.x, p.y};
        double along = 0.0;
        Point f = Foot(v, edge, &along);
        if (along < 0.0 || along > 1.0)
            f = {(edge.startX + edge.endX) / 2.0f, (edge.startY + edge.endY) / 2.0f};
        if (reportDirection && directionOut != nullptr) {
            if (std::fabs(edge.endY - edge.startY) < 0.001f)
                *directionOut = v.y > edge.startY ? 4.712389 : 1.5707964;
            else if (std::fabs(edge.endX - edge.startX) < 0.001f)
                *directionOut = v.x > edge.startX ? 3.1415927 : 0.0;
            else
                *directionOut = std::atan2(double(f.y) - v.y, double(f.x) - v.x);
        }
        MovePolygon(*hull, double(f.x) - v.x, double(f.y) - v.y);
        if (moves > 10) {
            // Pushing one vertex in keeps pushing another out: start again from the middle.
            CentreOn(*hull, centre);
            moves = 0;
        }
        if (!CountStep(status))
            return 0;
    }
    return 1;
}

double HullBounce(const PointArray* box, PointArray* hull, int mode, double step,
                  int bounceLimit, StatusWindow* status, double growX, double growY,
                  double direction, int growthLimit, double tilt)
{
    if (box == nullptr || hull == nullptr || !PolygonConvexClockwise(*box) || !FiniteHull(*hull) ||
        !std::isfinite(step) || !std::isfinite(direction) || !std::isfinite(growX) ||
        !std::isfinite(growY) || !std::isfinite(tilt))
        return -1.0;
    double mx = step * std::cos(direction);
    double my = step * std::sin(direction);
    const double deadline = Now() + kTimeLimit;
    if (growthLimit < 1)
        growthLimit = 1;
    const bool growing = growX != 1.0 || growY != 1.0;
    const double turn = tilt * 0.017453;
    const double cosT = std::cos(turn), sinT = std::sin(turn);
    int bounces = 0, growths = 0;
    long steps = 0, counted = 0;
    Edge edge;
    for (;;) {
        if (!Active())
            return -1.0;
        if (Now() > deadline) {
            ConsolePrintf("HullBounce while loop Timeout\n");
            return -1.0;
        }
        if (growing && bounces > 0 && growths < growthLimit) {
            // Grown about the middle of the hull, so that it stays where it has room.
            const Point c = Measure(*hull).Centre();
            PointArray grown = *hull;
            for (PolyPoint& p : grown) {
                double x = double(p.x) - c.x, y = double(p.y) - c.y;
                double u = x * cosT + y * sinT;    // turned by -tilt
                double w = -x * sinT + y * cosT;
                u *= growX;
                w *= growY;
                x = u * cosT - w * sinT;           // and back by +tilt
                y = u * sinT + w * cosT;
                p.x = float(c.x + x);
                p.y = float(c.y + y);
            }
            if (PolygonsOverlap(*box, grown, nullptr, 1) < 0) {
                *hull = std::move(grown);
                ++growths;
            }
        }
        MovePolygon(*hull, mx, my);
        ++steps;
        const int failing = PolygonsOverlap(*box, *hull, &edge, 0);
        if (failing >= 0) {
            ++bounces;
            if (mode == 1) {
                mx = -mx;
                my = 0.0;
            } else if (mode == 2) {
                my = -my;
                mx = 0.0;
            } else {
                mx = -mx;
                my = -my;
            }
            const PolyPoint& p = (*hull)[size_t(failing)];
            if (GetOverlapDistance({p.x, p.y}, edge) > 0.1) {
                PatternInBox(box, hull, nullptr, 0, 0, status);
                if (!Active())
                    return -1.0;
            }
            const double result = double(steps) * std::hypot(mx, my);
            if (growths >= growthLimit || bounces > bounceLimit) {
                MovePolygon(*hull, mx * double(steps) / 2.0, my * double(steps) / 2.0);
                return result;
            }
            steps = 0;
        }
        ++counted;
        if (status != nullptr) {
            if (!CountStep(status) || !RunEvents())
                return -1.0;
            if (!status->abortRequested && UiStatusAbortPressed(status->window))
                status->abortRequested = 1;
            if (status->abortRequested)
                return 0.0;
        } else if (counted % 100 == 0) {
            UiRedrawView();
            if (!RunEvents())
                return -1.0;
        }
    }
}
