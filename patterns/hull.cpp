// Graham-scan convex hull of point arrays, and the hulls of placed patterns.
//
// The sort orders the points by angle about the pivot using the truncated cross product, so
// directions closer than the 0.001 tolerance count as equal. Points in an equal direction
// are thinned while sorting: the nearer one (by whole units of distance along X or Y) is
// marked deleted, and of two within the same whole unit the one with the lower index goes.
// That comparison is not a strict weak ordering (the tolerance is not transitive), so the
// sort is a plain merge sort, which stays in bounds whatever the comparison answers.

#include "patterns/geometry.h"

#include <algorithm>
#include <cstdlib>

#include "patterns/pattern.h"

std::unique_ptr<PointArray> hull;

namespace {

Point P(const PolyPoint& v) { return Point{v.x, v.y}; }

long long WholeDistance(float from, float to) {
    return std::llabs(static_cast<long long>(TruncateToInt(double(to) - from)));
}

// < 0: i goes first, > 0: j goes first, 0: keep the order. Marks redundant points deleted.
int CompareAboutPivot(const PolyPoint& pivot, PolyPoint& i, PolyPoint& j) {
    int a = Area(P(pivot), P(i), P(j));
    if (a >= 1) return -1;
    if (a <= -1) return 1;
    long long dxi = WholeDistance(pivot.x, i.x), dyi = WholeDistance(pivot.y, i.y);
    long long dxj = WholeDistance(pivot.x, j.x), dyj = WholeDistance(pivot.y, j.y);
    if (dxi < dxj || dyi < dyj) {
        i.deleted = 1;
        return -1;
    }
    if (dxi > dxj || dyi > dyj) {
        j.deleted = 1;
        return 1;
    }
    if (j.index < i.index)
        j.deleted = 1;
    else
        i.deleted = 1;
    return 0;
}

// Bottom-up merge sort; the left run wins ties. The points themselves are moved (not
// indices to them), which keeps the passes sequential in memory, and a deletion mark
// travels with its point.
void SortAboutPivot(const PolyPoint& pivot, PointArray& pts) {
    const size_t n = pts.size();
    PointArray buffer(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t l = lo, r = mid, out = lo;
            while (l < mid && r < hi) {
                if (CompareAboutPivot(pivot, pts[l], pts[r]) <= 0)
                    buffer[out++] = pts[l++];
                else
                    buffer[out++] = pts[r++];
            }
            while (l < mid) buffer[out++] = pts[l++];
            while (r < hi) buffer[out++] = pts[r++];
        }
        pts.swap(buffer);
    }
}

}  // namespace

PointArray Hull(PointArray points) {
    if (points.size() < 2) return points;

    // Pivot: lowest point, the rightmost among equally low ones.
    size_t low = 0;
    for (size_t k = 1; k < points.size(); ++k) {
        if (points[k].y < points[low].y || (points[k].y == points[low].y && points[k].x > points[low].x))
            low = k;
    }
    PolyPoint pivot = points[low];
    points[low] = points.back();
    points.pop_back();

    // Copies of the pivot lie in every direction at once. Left in, each comparison with one
    // deletes a genuine point near the pivot, and one that survives the sort makes every
    // later point look straight ahead, collapsing the hull to two points. Closed outlines
    // that start and end at their lowest point carry such a copy.
    size_t kept = 0;
    for (const PolyPoint& v : points) {
        if (v.x != pivot.x || v.y != pivot.y) points[kept++] = v;
    }
    points.resize(kept);

    SortAboutPivot(pivot, points);

    PointArray sorted;
    sorted.reserve(points.size() + 1);
    sorted.push_back(pivot);
    for (const PolyPoint& v : points) {
        if (!v.deleted) sorted.push_back(v);
    }
    if (sorted.size() < 3) return sorted;

    PointArray stack;
    stack.reserve(sorted.size());
    stack.push_back(sorted[0]);
    stack.push_back(sorted[1]);
    for (size_t k = 2; k < sorted.size(); ++k) {
        const PolyPoint& p = sorted[k];
        for (;;) {
            const size_t top = stack.size() - 1;
            if (Left2(P(stack[top - 1]), P(stack[top]), P(p))) {
                stack.push_back(p);
                break;
            }
            if (stack.size() < 3) break;  // no turn to undo: the point is dropped
            stack.pop_back();
        }
    }
    return stack;
}
