#include "import/run_chain.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>

namespace {

// A distance that nothing beats: when no run end is nearer than this, the first remaining
// run is taken in the direction chosen last time.
const float kNoneNearer = 99999.9f;

// One candidate: the distance first, then reading order, then the first point before the last.
struct Candidate {
    float distance = std::numeric_limits<float>::infinity();
    std::size_t run = std::numeric_limits<std::size_t>::max();
    int end = 0;  // 0 first point, 1 last point
    bool operator<(const Candidate& o) const
    {
        return std::tie(distance, run, end) < std::tie(o.distance, o.run, o.end);
    }
};

class EndGrid {
public:
    explicit EndGrid(const std::vector<ImportPath>& runs);
    // The nearest end of a run not yet taken.
    Candidate Nearest(const ImportPoint& from, const std::vector<char>& taken);

private:
    long CellX(double x) const;
    long CellY(double y) const;
    void Visit(long cx, long cy, const ImportPoint& from, const std::vector<char>& taken,
               Candidate& best);

    const std::vector<ImportPath>& runs_;
    double minX_ = 0, minY_ = 0, cell_ = 1;
    long nx_ = 1, ny_ = 1;
    std::vector<std::vector<std::uint32_t>> cells_;  // end ids: run * 2 + end
};

EndGrid::EndGrid(const std::vector<ImportPath>& runs) : runs_(runs)
{
    double maxX = 0, maxY = 0;
    bool any = false;
    for (const ImportPath& run : runs) {
        for (const ImportPoint* p : {&run.first(), &run.last()}) {
            if (!any) {
                minX_ = maxX = p->x;
                minY_ = maxY = p->y;
                any = true;
            }
            minX_ = std::min(minX_, p->x);
            maxX = std::max(maxX, p->x);
            minY_ = std::min(minY_, p->y);
            maxY = std::max(maxY, p->y);
        }
    }
    // About one end per cell; a drawing that is a single line still gets a row of cells.
    const double ends = 2.0 * static_cast<double>(runs.size());
    const double w = maxX - minX_, h = maxY - minY_;
    cell_ = std::max({std::sqrt(w * h / ends), std::max(w, h) / ends, 1e-9});
    for (;;) {
        nx_ = static_cast<long>(w / cell_) + 1;
        ny_ = static_cast<long>(h / cell_) + 1;
        if (static_cast<double>(nx_) * static_cast<double>(ny_) <= 4 * ends + 16)
            break;
        cell_ *= 1.5;
    }
    cells_.resize(static_cast<std::size_t>(nx_ * ny_));
    for (std::size_t r = 0; r < runs.size(); ++r) {
        for (int end = 0; end < 2; ++end) {
            const ImportPoint& p = end == 0 ? runs[r].first() : runs[r].last();
            cells_[static_cast<std::size_t>(CellY(p.y) * nx_ + CellX(p.x))].push_back(
                static_cast<std::uint32_t>(r * 2 + end));
        }
    }
}

long EndGrid::CellX(double x) const
{
    return std::clamp(static_cast<long>((x - minX_) / cell_), 0L, nx_ - 1);
}

long EndGrid::CellY(double y) const
{
    return std::clamp(static_cast<long>((y - minY_) / cell_), 0L, ny_ - 1);
}

void EndGrid::Visit(long cx, long cy, const ImportPoint& from, const std::vector<char>& taken,
                    Candidate& best)
{
    if (cx < 0 || cy < 0 || cx >= nx_ || cy >= ny_)
        return;
    std::vector<std::uint32_t>& ids = cells_[static_cast<std::size_t>(cy * nx_ + cx)];
    for (std::size_t i = 0; i < ids.size();) {
        const std::size_t run = ids[i] / 2;
        if (taken[run]) {  // forget ends of runs already written
            ids[i] = ids.back();
            ids.pop_back();
            continue;
        }
        Candidate c;
        c.run = run;
        c.end = static_cast<int>(ids[i] % 2);
        c.distance = ChainDistance(from, c.end == 0 ? runs_[run].first() : runs_[run].last());
        if (c < best)
            best = c;
        ++i;
    }
}

Candidate EndGrid::Nearest(const ImportPoint& from, const std::vector<char>& taken)
{
    Candidate best;
    const long qx = CellX(from.x), qy = CellY(from.y);
    const long rings = std::max({qx, nx_ - 1 - qx, qy, ny_ - 1 - qy});
    for (long k = 0; k <= rings; ++k) {
        // Every end in ring k lies at least (k - 1) cells away. Candidates at an equal
        // distance must all be seen for the tie rule, hence the margin.
        if (std::isfinite(best.distance) &&
            static_cast<double>(k - 1) * cell_ > best.distance * (1 + 1e-5) + 1e-9)
            break;
        if (k == 0) {
            Visit(qx, qy, from, taken, best);
            continue;
        }
        for (long x = qx - k; x <= qx + k; ++x) {
            Visit(x, qy - k, from, taken, best);
            Visit(x, qy + k, from, taken, best);
        }
        for (long y = qy - k + 1; y <= qy + k - 1; ++y) {
            Visit(qx - k, y, from, taken, best);
            Visit(qx + k, y, from, taken, best);
        }
    }
    return best;
}

}  // namespace

float ChainDistance(const ImportPoint& a, const ImportPoint& b)
{
    const float dx = static_cast<float>(b.x - a.x);
    const float dy = static_cast<float>(b.y - a.y);
    return std::sqrt(dx * dx + dy * dy);
}

std::vector<ChainLink> ChainRuns(const std::vector<ImportPath>& runs)
{
    std::vector<ChainLink> chain;
    if (runs.empty())
        return chain;
    chain.reserve(runs.size());
    EndGrid grid(runs);
    std::vector<char> taken(runs.size(), 0);
    std::size_t firstRemaining = 0;
    ChainLink link;  // the first run read goes first
    // ... forwards, unless its first point is the nearer to the rest of the drawing: two
    // lines that share an end point then make one stroke in whichever order they were drawn.
    if (runs.size() > 1) {
        taken[0] = 1;
        const Candidate fromLast = grid.Nearest(runs[0].last(), taken);
        const Candidate fromFirst = grid.Nearest(runs[0].first(), taken);
        link.backwards = fromFirst.distance < fromLast.distance;
    }
    for (;;) {
        taken[link.run] = 1;
        while (firstRemaining < runs.size() && taken[firstRemaining])
            ++firstRemaining;
        const ImportPath& run = runs[link.run];
        const ImportPoint& end = link.backwards ? run.first() : run.last();
        if (firstRemaining == runs.size()) {
            link.gapAfter = std::numeric_limits<float>::infinity();
            chain.push_back(link);
            break;
        }
        const Candidate best = grid.Nearest(end, taken);
        ChainLink next;
        if (best.distance < kNoneNearer) {
            next.run = best.run;
            next.backwards = best.end == 1;
            link.gapAfter = best.distance;
        } else {
            next.run = firstRemaining;
            next.backwards = link.backwards;
            link.gapAfter = kNoneNearer;
        }
        chain.push_back(link);
        link = next;
    }
    return chain;
}
