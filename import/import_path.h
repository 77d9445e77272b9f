#pragma once
// Runs of points gathered by the drawing importers (DXF and QLI) before they are written as a
// pattern file.
//
// A drawing is read into a list of runs, one per drawn element (a line, an arc, a polyline),
// each a sequence of points in inches. The importers then move the points so that the
// pattern starts at its own origin with Y growing downwards, and write the runs as "c e s" /
// "c e e" blocks.
//
// Hostile files are bounded here: every importer adds its points through ImportDrawing, which
// refuses to grow past kMaxImportPoints, and every arc is cut by ArcAngles into at most
// kMaxArcPoints chords, so no file can make an import run for ever or exhaust memory.
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

struct ImportPoint {
    double x = 0;
    double y = 0;
};

// One run: the points of one drawn element, in drawing order.
struct ImportPath {
    std::vector<ImportPoint> points;
    bool empty() const { return points.empty(); }
    const ImportPoint& first() const { return points.front(); }
    const ImportPoint& last() const { return points.back(); }
};

// Most points a single arc or circle is cut into. At the usual 0.1 inch per chord that is an
// arc 1000 inches long, longer than any quilt; bigger arcs get longer chords instead.
constexpr int kMaxArcPoints = 10000;
// Most points one drawing may hold (about 160 MB while importing). A file that needs more is
// refused rather than allowed to exhaust the board's memory.
constexpr std::size_t kMaxImportPoints = 10000000;

// The runs of a drawing in reading order, with the point budget.
class ImportDrawing {
public:
    ImportDrawing() : runs_(1) {}

    // Opens a new run for the next element, unless the current one is still empty.
    void StartRun();
    // Appends a point to the current run. Returns false (and adds nothing) once the drawing
    // would exceed kMaxImportPoints.
    bool newPoint(double x, double y);
    bool overBudget() const { return overBudget_; }
    std::size_t pointCount() const { return pointCount_; }

    // Removes runs that received no point: they have no ends to chain and nothing to sew.
    void DropEmptyRuns();
    std::vector<ImportPath>& runs() { return runs_; }
    const std::vector<ImportPath>& runs() const { return runs_; }

private:
    std::vector<ImportPath> runs_;
    std::size_t pointCount_ = 0;
    bool overBudget_ = false;
};

// The bounding values that normalising needs.
struct ImportExtent {
    double minX = 0, minY = 0, maxY = 0;
};
// Smallest X, smallest Y and largest Y over every point (all 0 for a drawing without points).
ImportExtent FindMinAndMax(const std::vector<ImportPath>& runs);
// Subtracts the smallest X and Y from every point.
void AdjustPoints(std::vector<ImportPath>& runs, const ImportExtent& extent);
// Replaces every Y by `top` - Y, mirroring the drawing top to bottom.
void InvertPattern(std::vector<ImportPath>& runs, double top);

// Angles at which an arc is cut into chords: from `start` in steps of `step` (radians, both
// directions by the sign of `sweep`) for as long as the angle lies before `start + sweep`
// (or on it, when `inclusive`). The step is widened when the arc would need more than
// kMaxArcPoints angles. The caller adds the exact end point itself.
std::vector<double> ArcAngles(double start, double sweep, double step, bool inclusive);

// Writes one pattern-file point line "p X%0.3f Y%0.3f".
void WritePatternPoint(std::FILE* out, const ImportPoint& p);
