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

namespace {

// Appends `v` as "%0.3f" would print it. Most values are formatted from their rounded
// thousandths directly; values near a rounding tie, negative values that round to zero and
// huge values go through snprintf, so the text is always exactly printf's.
char* AppendThousandths(char* to, double v)
{
    const double scaled = v * 1000.0;
    const double fraction = scaled - std::floor(scaled);
    if (!(std::fabs(scaled) < 1e15) || std::fabs(fraction - 0.5) < 1e-6 ||
        (std::signbit(v) && scaled > -0.5000001))
        return to + std::snprintf(to, 48, "%0.3f", v);
    long long units = std::llround(scaled);
    if (units < 0) {
        *to++ = '-';
        units = -units;
    }
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + units % 10);
        units /= 10;
    } while (units > 0 || n < 4);
    while (n > 3)
        *to++ = digits[--n];
    *to++ = '.';
    while (n > 0)
        *to++ = digits[--n];
    return to;
}

}  // namespace

void WritePatternPoint(std::FILE* out, const ImportPoint& p)
{
    char line[128] = "p X";
    char* end = AppendThousandths(line + 3, p.x);
    *end++ = ' ';
    *end++ = 'Y';
    end = AppendThousandths(end, p.y);
    *end++ = '\n';
    std::fwrite(line, 1, static_cast<std::size_t>(end - line), out);
}
