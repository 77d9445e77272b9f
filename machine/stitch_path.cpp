// Stitch path preparation: from placed patterns to a list of moves with feed rates.
//
// Units
//   Layout and pattern coordinates are inches (float). The path is in machine coordinates,
//   thousandths of an inch (float): a pattern point i placed by a layout node lies at
//       ((box origin + pointX[i] + node x - minX) * 1000,  likewise for Y),
//   summed in single precision in exactly that order, so the same layout always gives the
//   same path bit for bit. Feeds are percent of the set speed, 0..100. The acceleration
//   limit works in percent and inches: A = acceleration * 35 (percent^2 per inch).
//
// The path is built in four passes over the list, each O(1) per point:
//
//   1. Collect. Placements of the current box in layout order; within a pattern a point
//      closer than 0.05 inch to the last one kept is dropped (it would be a stitch shorter
//      than the machine can make), and a "c s" command ends a stroke: the point before it
//      gets `jump`. Between placements the path stays stitched when the next pattern starts
//      within a quarter inch (in X and in Y) of where the last one ended, and jumps
//      otherwise.
//
//   2. Corner and curve feeds. At each interior point, with neighbours p0, p2:
//        deflection = 180 - angle(p0, p1, p2)      0 = straight on, 90 = right angle (cap)
//        corner feed = 100 * (1 - (deflection - 10) / 80)^2   above 10 degrees, else 100
//        curve feed  = r * 3.2 * curvature                    above 5 degrees, else 100
//      where r is the radius (inches) of the circle through the three points. The feed is
//      the smaller of the two, never below minSpeed. Ends of the path get feed 0.
//
//   3. Subdivide. A stitched segment longer than 0.2 inch is cut into n = trunc(d / 0.1)
//      equal pieces; the new points are `interpolated`. Jumps are never cut: they are
//      travelled as lead lines.
//
//   4. Acceleration and smoothing. Like a motion planner's junction pass, feeds may only
//      change as fast as the carriage accelerates, v_end^2 <= v_start^2 + 2 * A * d, applied
//      forwards (speeding up) and then backwards (slowing down in time). Then a five-point
//      moving mean evens the feeds, and the smoothed range [lo, hi] is stretched onto
//      [minSpeed, peak], peak being the fastest feed the acceleration limit allowed.
//
// Bad numbers never get into a feed: degenerate geometry (coincident points) is treated as
// a full corner, and every clamp is written so that a not-a-number fails safe.

#include "machine/stitch_path.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

#include "base/console.h"
#include "base/interface.h"
#include "base/message_windows.h"
#include "base/settings.h"
#include "machine/run_state.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

constexpr float kThouPerInch = 1000.0f;
// Points of a pattern closer than this to the last kept point are dropped.
constexpr float kMinStitch_thou = 50.0f;
// Placements that end and start within this distance (in X and in Y) are sewn in one run.
constexpr float kJoinDistance_inch = 0.25f;
// Below these deflections a point counts as straight for the corner and the curve rule.
constexpr double kCornerFree_deg = 10.0;
constexpr double kCurveFree_deg = 5.0;
constexpr double kFullCorner_deg = 90.0;
// Keeps the slope formula of the circle away from division by zero on axis-parallel sides.
constexpr double kSlopeEpsilon = 0.000001;
// Feed given to every point of a path too short for the acceleration rules.
constexpr float kShortPathFeed = 10.0f;
// One segment is never cut into more pieces than this (a 10 000-inch line). No quilt is
// that long; the bound only keeps a corrupt layout from exhausting memory.
constexpr int kMaxPiecesPerSegment = 100000;

// minSpeed comes from the controller (minimumSpeed * 10 / 6); a feed is a percentage, so
// only 0..100 of it can be honoured.
float MinFeed_percent()
{
    if (!(minSpeed > 0.0f))
        return 0.0f;
    return minSpeed > 100.0f ? 100.0f : minSpeed;
}

void SetStatusText(const char* text)
{
    if (statWindow != nullptr)
        StatusWindowSetText(statWindow, text);
}

double Square(double v) { return v * v; }

// --- Building the list -------------------------------------------------------------------

struct BoxOffset {
    float x_inch = 0.0f;
    float y_inch = 0.0f;
};

// A placed pattern point in inches, summed in the fixed order the path relies on.
Point PlacedPoint_inch(const Pattern& pattern, const LayoutNode& node, const BoxOffset& box,
                       int i)
{
    Point p;
    p.x = box.x_inch + pattern.pointX[i];
    p.x = p.x + node.x;
    p.x = p.x - pattern.minX;
    p.y = box.y_inch + pattern.pointY[i];
    p.y = p.y + node.y;
    p.y = p.y - pattern.minY;
    return p;
}

int UsablePointCount(const Pattern& pattern)
{
    int n = pattern.pointCount;
    if (n > static_cast<int>(pattern.pointX.size()))
        n = static_cast<int>(pattern.pointX.size());
    if (n > static_cast<int>(pattern.pointY.size()))
        n = static_cast<int>(pattern.pointY.size());
    return n < 0 ? 0 : n;
}

// The pattern of a placement when it has points to stitch, else null.
const Pattern* StitchablePattern(const LayoutNode& node)
{
    const Pattern* pattern = GetPattern(node.patternIndex);
    return pattern != nullptr && UsablePointCount(*pattern) > 0 ? pattern : nullptr;
}

// For each point, how many "c s" commands stand before it (one pass over the commands,
// so that looking them up per point costs nothing).
std::vector<int> StrokeStartsBefore(const Pattern& pattern, int pointCount)
{
    std::vector<int> starts(static_cast<size_t>(pointCount), 0);
    const size_t commands = pattern.commandType.size() < pattern.commandPoint.size()
                                ? pattern.commandType.size()
                                : pattern.commandPoint.size();
    for (size_t c = 0; c < commands; ++c) {
        const int before = pattern.commandPoint[c] - 1;  // 0-based point it stands before
        if (pattern.commandType[c] == CommandKind::Start && before >= 0 && before < pointCount)
            ++starts[static_cast<size_t>(before)];
    }
    return starts;
}

// A step digitised at exactly one stitch length is a stitch: the single-precision sums that
// place it may land a hair short of 50 thousandths, which must not drop the point.
constexpr float kStitchRounding_thou = 0.01f;

bool CloserThanOneStitch(const FullPattern_t& last, float x_thou, float y_thou)
{
    const float dx = x_thou - last.x;
    const float dy = y_thou - last.y;
    const float shortest = kMinStitch_thou - kStitchRounding_thou;
    return dx * dx + dy * dy < shortest * shortest;
}

// Appends the points of one placement after `last`; returns the new last point. `first`
// is set as soon as the list has a point, so that the list is never lost if memory runs
// out part way.
FullPattern_t* AppendPlacement(FullPattern_t*& first, FullPattern_t* last,
                               const Pattern& pattern, const LayoutNode& node,
                               const BoxOffset& box)
{
    const int count = UsablePointCount(pattern);
    const std::vector<int> startsBefore = StrokeStartsBefore(pattern, count);
    for (int i = 0; i < count; ++i) {
        const Point p_inch = PlacedPoint_inch(pattern, node, box, i);
        const float x_thou = p_inch.x * kThouPerInch;
        const float y_thou = p_inch.y * kThouPerInch;
        if (i > 0) {
            if (CloserThanOneStitch(*last, x_thou, y_thou))
                continue;
            for (int k = 0; k < startsBefore[static_cast<size_t>(i)]; ++k) {
                ConsolePrintf("c s at point %d\n", i);
                last->jump = 1;
            }
        }
        last = AppendFullPatternPoint(last, x_thou, y_thou, 100.0f);
        if (first == nullptr)
            first = last;
    }
    return last;
}

// The next placement of the same box that contributes points. Placements whose pattern is
// missing are passed over, so that the join test compares with the pattern actually sewn
// next rather than letting a far start be reached by a stitched line.
const LayoutNode* NextStitchedPlacement(const LayoutNode& node)
{
    for (const LayoutNode* n = node.next; n != nullptr; n = n->next)
        if (n->boxIndex == node.boxIndex && StitchablePattern(*n) != nullptr)
            return n;
    return nullptr;
}

void MarkJumpIfApart(FullPattern_t* last, const LayoutNode& following, const BoxOffset& box)
{
    const Pattern* pattern = StitchablePattern(following);
    if (last == nullptr || pattern == nullptr)
        return;
    const Point start_inch = PlacedPoint_inch(*pattern, following, box, 0);
    const float dx_inch = last->x / kThouPerInch - start_inch.x;
    const float dy_inch = last->y / kThouPerInch - start_inch.y;
    if (std::fabs(dy_inch) > kJoinDistance_inch || std::fabs(dx_inch) > kJoinDistance_inch)
        last->jump = 1;
}

void CollectPlacements(FullPattern_t*& first)
{
    BoxOffset box;
    if (const PatternBox* pb = GetPatternBox(currentBox)) {
        box.x_inch = pb->originX;
        box.y_inch = pb->originY;
    }
    FullPattern_t* last = nullptr;
    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next) {
        if (node->boxIndex != currentBox)
            continue;
        const Pattern* pattern = StitchablePattern(*node);
        if (pattern == nullptr)
            continue;
        last = AppendPlacement(first, last, *pattern, *node, box);
        if (const LayoutNode* following = NextStitchedPlacement(*node))
            MarkJumpIfApart(last, *following, box);
    }
}

// --- Subdivision -------------------------------------------------------------------------

void BreakUpLongLines(FullPattern_t* list, StatusWindow* window)
{
    for (FullPattern_t* p = list; p != nullptr; p = p->next) {
        StatusWindowStep(window);
        if (p->prev != nullptr && p->prev->jump == 0)
            ExplodeLine(p, p->prev, kMaxMove_thou);
    }
}

// --- Smoothing ---------------------------------------------------------------------------

float SegmentLength_inch(const FullPattern_t& a, const FullPattern_t& b)
{
    const double dx_thou = static_cast<double>(b.x) - a.x;
    const double dy_thou = static_cast<double>(b.y) - a.y;
    return static_cast<float>(std::sqrt(dx_thou * dx_thou + dy_thou * dy_thou) / 1000.0);
}

// The fastest feed reachable at the end of a segment of d_inch that starts at feed_start.
float ReachableFeed(float feedStart, float accel, float d_inch)
{
    return static_cast<float>(
        std::sqrt(static_cast<double>(feedStart) * feedStart + 2.0 * accel * d_inch));
}

// Maps a smoothed feed onto [minFeed, peak]: the smoothed range [lo, hi] is stretched over
// it. Feeds of the interior points next to the ends were not averaged and may lie above hi;
// they are held at peak rather than driven past it (and past 100).
//
// When every mean came out equal (hi == lo) there is no range to stretch. Points at that
// level run at minFeed as usual; a point above it keeps the feed the acceleration limit
// gave it (within [minFeed, peak]). That never asks for more speed than the carriage was
// found able to reach at that point, which stretching towards peak could.
float RescaledFeed(float feed, float lo, float hi, float minFeed, float peak)
{
    if (!(feed > lo))
        return minFeed;
    float out;
    if (hi > lo) {
        float t = (feed - lo) / (hi - lo);
        if (t > 1.0f)
            t = 1.0f;
        out = minFeed + (peak - minFeed) * t;
    } else {
        out = feed;
        if (out < minFeed)
            out = minFeed;
        const float top = peak > minFeed ? peak : minFeed;
        if (out > top)
            out = top;
    }
    if (!(out >= 0.0f))
        out = minFeed;
    return out > 100.0f ? 100.0f : out;
}

void SmoothFeeds(FullPattern_t* list, float peak)
{
    float lo = 100.0f;
    float hi = 0.0f;
    // Five-point means at indices 2 .. n-4, in place, so the left neighbours are already
    // smoothed. `c` is the centre; the window needs c+3 to exist.
    FullPattern_t* c = list->next != nullptr ? list->next->next : nullptr;
    for (; c != nullptr && c->next != nullptr && c->next->next != nullptr &&
           c->next->next->next != nullptr;
         c = c->next) {
        const float sum = c->prev->prev->feed + c->prev->feed + c->feed + c->next->feed +
                          c->next->next->feed;
        const float mean = sum / 5.0f;
        c->feed = mean;
        if (mean < lo)
            lo = mean;
        if (mean > hi)
            hi = mean;
    }
    const float minFeed = MinFeed_percent();
    for (FullPattern_t* p = list->next; p != nullptr && p->next != nullptr; p = p->next)
        p->feed = RescaledFeed(p->feed, lo, hi, minFeed, peak);
}

}  // namespace

// --- List handling -----------------------------------------------------------------------

void FreeFullPattern(FullPattern_t* first)
{
    while (first != nullptr) {
        FullPattern_t* next = first->next;
        delete first;
        first = next;
    }
}

void FreeStitchList()
{
    FreeFullPattern(interface_.stitchList);
    interface_.stitchList = nullptr;
    fpTemp = nullptr;
}

int CountFullPattern(const FullPattern_t* first)
{
    int n = 0;
    for (; first != nullptr; first = first->next)
        ++n;
    return n;
}

FullPattern_t* AppendFullPatternPoint(FullPattern_t* last, float x_thou, float y_thou,
                                      float feed)
{
    FullPattern_t* p = new FullPattern_t();
    p->feed = feed;
    p->x = x_thou;
    p->y = y_thou;
    p->prev = last;
    if (last != nullptr) {
        p->next = last->next;
        if (p->next != nullptr)
            p->next->prev = p;
        last->next = p;
    }
    return p;
}

// --- The path ----------------------------------------------------------------------------

int PackFullPattern()
{
    FreeStitchList();
    try {
        CollectPlacements(interface_.stitchList);
        SetStatusText("Setting Pattern Angles");
        FindPatternAngles(interface_.stitchList, statWindow);
        SetStatusText("Breaking Up Long Lines");
        BreakUpLongLines(interface_.stitchList, statWindow);
    } catch (const std::bad_alloc&) {
        // A path that could not be built whole must not be stitched in part.
        FreeStitchList();
        ShowMessage(MSG_ERROR, BUTTONS_OK, "FindPatternAngles: Could Not Allocate Memory!");
        return 0;
    }
    SetStatusText("Setting Feeds");
    SetFeeds(interface_.stitchList, 1);
    return 0;
}

void FindPatternAngles(FullPattern_t* list, StatusWindow* statusWindow)
{
    if (list == nullptr) {
        ShowMessage(MSG_ERROR, BUTTONS_OK, "FindPatternAngles: No Data!");
        return;
    }
    const float minFeed = MinFeed_percent();
    int index = 0;
    for (FullPattern_t* p = list; p != nullptr; p = p->next, ++index) {
        StatusWindowStep(statusWindow);
        if (p->prev == nullptr || p->next == nullptr) {
            p->feed = 0.0f;  // the path starts and ends at rest
            continue;
        }
        const Point p0{p->prev->x / kThouPerInch, p->prev->y / kThouPerInch};
        const Point p1{p->x / kThouPerInch, p->y / kThouPerInch};
        const Point p2{p->next->x / kThouPerInch, p->next->y / kThouPerInch};
        float angle_deg = 0.0f;
        p->feed = GetMaxFeed(p0, p1, p2, index, minFeed, &angle_deg);
    }
}

namespace {

// Radius (inches) of the circle through three points, from the slopes of the two chords.
// The small epsilon keeps axis-parallel chords from dividing by zero.
double CircleRadius_inch(Point p0, Point p1, Point p2)
{
    const double x0 = p0.x, y0 = p0.y, x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y;
    const double ma = (y1 - y0 + kSlopeEpsilon) / (x1 - x0 + kSlopeEpsilon);
    const double mb = (y2 - y1 + kSlopeEpsilon) / (x2 - x1 + kSlopeEpsilon);
    const double cx = (ma * mb * (y0 - y2) + mb * (x0 + x1) - ma * (x1 + x2)) / (2.0 * (mb - ma));
    const double cy = -(cx - (x0 + x1) / 2.0) / ma + (y0 + y1) / 2.0;
    return std::sqrt(Square(cx - x0) + Square(cy - y0));
}

}  // namespace

float GetMaxFeed(Point p0, Point p1, Point p2, int /*index*/, float minFeed, float* angle_deg)
{
    if (!(minFeed > 0.0f))
        minFeed = 0.0f;
    else if (minFeed > 100.0f)
        minFeed = 100.0f;

    const float dxA = p1.x - p0.x, dyA = p1.y - p0.y;
    const float dxB = p2.x - p1.x, dyB = p2.y - p1.y;
    const float dxC = p2.x - p0.x, dyC = p2.y - p0.y;
    const float a2 = static_cast<float>(Square(dxA) + Square(dyA));
    const float b2 = static_cast<float>(Square(dxB) + Square(dyB));
    const float c2 = static_cast<float>(Square(dxC) + Square(dyC));

    // A point on top of a neighbour has no direction on that side; the turn there is
    // unknown, so it is taken as a full corner (the carriage slows right down).
    double deflection_deg = kFullCorner_deg;
    if (a2 > 0.0f && b2 > 0.0f) {
        double cosine = (static_cast<double>(a2) + b2 - c2) /
                        (2.0 * std::sqrt(static_cast<double>(a2) * b2));
        if (cosine > 1.0)
            cosine = 1.0;
        else if (cosine < -1.0)
            cosine = -1.0;
        if (std::isfinite(cosine))
            deflection_deg = std::fabs(180.0 - std::acos(cosine) * 57.29578);
    }
    if (!(deflection_deg <= kFullCorner_deg))
        deflection_deg = kFullCorner_deg;
    if (angle_deg != nullptr)
        *angle_deg = static_cast<float>(deflection_deg);

    float cornerFeed = 100.0f;
    if (deflection_deg > kCornerFree_deg) {
        const float remaining =
            static_cast<float>(1.0 - (deflection_deg - kCornerFree_deg) / 80.0);
        cornerFeed = 100.0f * remaining * remaining;
    }

    float curveFeed = 100.0f;
    if (deflection_deg > kCurveFree_deg) {
        const double r_inch = CircleRadius_inch(p0, p1, p2);
        const double feed = r_inch * (2.0 * 1.6 * curvature / 100.0) * 100.0;
        if (std::isnan(feed))
            curveFeed = minFeed;  // no circle could be found: take it slowly
        else if (feed > 100.0)
            curveFeed = 100.0f;
        else if (feed < minFeed)
            curveFeed = minFeed;
        else
            curveFeed = static_cast<float>(feed);
    }

    float result = cornerFeed < curveFeed ? cornerFeed : curveFeed;
    if (!(result >= minFeed))
        result = minFeed;
    return result;
}

int ExplodeLine(FullPattern_t* later, FullPattern_t* earlier, float maxLength_thou)
{
    if (later == nullptr || earlier == nullptr)
        return 0;
    // Only a segment of the list can be cut, and only into pieces of positive length.
    if (earlier->next != later || later->prev != earlier || !(maxLength_thou > 0.0f))
        return 0;
    const float dx_thou = later->x - earlier->x;
    const float dy_thou = later->y - earlier->y;
    const float d_thou = std::sqrt(dx_thou * dx_thou + dy_thou * dy_thou);
    if (!(d_thou > maxLength_thou))
        return 0;
    const float pieces = d_thou / maxLength_thou;
    const int n = pieces < static_cast<float>(kMaxPiecesPerSegment)
                      ? static_cast<int>(pieces)
                      : kMaxPiecesPerSegment;
    if (n < 2)
        return 0;
    const float stepX_thou = dx_thou / static_cast<float>(n);
    const float stepY_thou = dy_thou / static_cast<float>(n);
    float x_thou = earlier->x;
    float y_thou = earlier->y;
    FullPattern_t* before = earlier;
    for (int k = 1; k < n; ++k) {
        x_thou += stepX_thou;
        y_thou += stepY_thou;
        before = AppendFullPatternPoint(before, x_thou, y_thou, 100.0f);
        before->interpolated = 1;
    }
    return n;
}

void SetFeeds(FullPattern_t* list, int smooth)
{
    if (list == nullptr) {
        ConsoleWrite("SetFeeds: fPattern is NULL\n");
        return;
    }
    if (CountFullPattern(list) < 3) {
        ConsoleWrite("SetFeeds: nodeCount is less than 3\n");
        for (FullPattern_t* p = list; p != nullptr; p = p->next)
            p->feed = kShortPathFeed;
        return;
    }
    const float accel = acceleration * 35.0f;  // percent^2 per inch
    ConsolePrintf("Acceleration Value: %.1f\n", accel);

    // Speeding up: each point no faster than the previous one allows.
    FullPattern_t* last = list;
    for (; last->next != nullptr; last = last->next) {
        FullPattern_t* end = last->next;
        const float reachable = ReachableFeed(last->feed, accel, SegmentLength_inch(*last, *end));
        if (reachable < end->feed)
            end->feed = reachable;
    }
    // Slowing down: each point no faster than the next one can be reached from.
    float peak = 0.0f;
    for (FullPattern_t* end = last; end->prev != nullptr; end = end->prev) {
        FullPattern_t* start = end->prev;
        const float reachable = ReachableFeed(end->feed, accel, SegmentLength_inch(*start, *end));
        if (reachable < start->feed)
            start->feed = reachable;
        if (start->feed > peak)
            peak = start->feed;
    }
    if (smooth == 1)
        SmoothFeeds(list, peak);
}
