#include "import/import_path.h"

#include <algorithm>
#include <cmath>

void ImportDrawing::StartRun()
{
    if (!runs_.back().empty())
        runs_.emplace_back();
}

bool ImportDrawing::newPoint(double x, double y)
{
    if (pointCount_ >= kMaxImportPoints) {
        overBudget_ = true;
        return false;
    }
    runs_.back().points.push_back(ImportPoint{x, y});
    ++pointCount_;
    return true;
}

void ImportDrawing::DropEmptyRuns()
{
    runs_.erase(std::remove_if(runs_.begin(), runs_.end(),
                               [](const ImportPath& run) { return run.empty(); }),
                runs_.end());
}

// The extent is taken over the points themselves. (Fixed start values such as 999999 would
// leave a drawing that lies wholly beyond them away from the origin.)
ImportExtent FindMinAndMax(const std::vector<ImportPath>& runs)
{
    ImportExtent e;
    bool any = false;
    for (const ImportPath& run : runs) {
        for (const ImportPoint& p : run.points) {
            if (!any) {
                e.minX = p.x;
                e.minY = p.y;
                e.maxY = p.y;
                any = true;
                continue;
            }
            e.minX = std::min(e.minX, p.x);
            e.minY = std::min(e.minY, p.y);
            e.maxY = std::max(e.maxY, p.y);
        }
    }
    return e;
}

void AdjustPoints(std::vector<ImportPath>& runs, const ImportExtent& extent)
{
    for (ImportPath& run : runs) {
        for (ImportPoint& p : run.points) {
            p.x -= extent.minX;
            p.y -= extent.minY;
        }
    }
}

void InvertPattern(std::vector<ImportPath>& runs, double top)
{
    for (ImportPath& run : runs)
        for (ImportPoint& p : run.points)
            p.y = top - p.y;
}

std::vector<double> ArcAngles(double start, double sweep, double step, bool inclusive)
{
    std::vector<double> angles;
    if (!std::isfinite(start) || !std::isfinite(sweep))
        return angles;
    const double length = std::fabs(sweep);
    if (!(step > 0))  // a zero or negative radius: no chord can be stepped
        step = HUGE_VAL;
    if (length / step > kMaxArcPoints)
        step = length / kMaxArcPoints;
    const double direction = sweep < 0 ? -1.0 : 1.0;
    const double limit = start + sweep;
    // The index bound is only a safeguard against rounding: the widened step alone keeps the
    // count at kMaxArcPoints.
    for (int i = 0; i <= kMaxArcPoints + 1; ++i) {
        const double a = i == 0 ? start : start + direction * (i * step);
        const bool before = direction > 0 ? (inclusive ? a <= limit : a < limit)
                                          : (inclusive ? a >= limit : a > limit);
        if (!before)
            break;
        angles.push_back(a);
        if (std::isinf(step))
            break;
    }
    return angles;
}

void WritePatternPoint(std::FILE* out, const ImportPoint& p)
{
    std::fprintf(out, "p X%0.3f Y%0.3f\n", p.x, p.y);
}
