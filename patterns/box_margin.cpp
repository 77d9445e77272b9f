// Box polygons, the margin and the target centre.

#include "patterns/box_margin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/console.h"
#include "base/settings.h"
#include "patterns/pattern_box.h"

namespace {

struct Vec {
    double x, y;
};

Vec Minus(Point a, Point b) { return {double(a.x) - b.x, double(a.y) - b.y}; }
double Cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }

Point Midpoint(const PolyPoint& a, const PolyPoint& b)
{
    return {float((double(a.x) + b.x) / 2.0), float((double(a.y) + b.y) / 2.0)};
}

Point At(const PolyPoint& p) { return {p.x, p.y}; }

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

PointArray BoxPolygon(const PatternBox* box)
{
    PointArray polygon;
    if (box == nullptr)
        return polygon;
    for (const BoxPoint* c = box->corners; c != nullptr; c = c->next) {
        PolyPoint p;
        p.x = c->x - box->originX;
        p.y = c->y - box->originY;
        p.index = int(polygon.size());
        polygon.push_back(p);
    }
    return polygon;
}

bool IntersectLines(Point a0, Point a1, Point b0, Point b1, Point* out)
{
    const Vec da = Minus(a1, a0), db = Minus(b1, b0);
    const double denom = Cross(da, db);
    const double scale = std::hypot(da.x, da.y) * std::hypot(db.x, db.y);
    if (!(std::fabs(denom) > 1e-9 * scale) || scale == 0.0)
        return false;
    const double t = Cross(Minus(b0, a0), db) / denom;
    const Point p{float(a0.x + t * da.x), float(a0.y + t * da.y)};
    if (!Finite(p))
        return false;
    *out = p;
    return true;
}

void AdjustForMargin(PointArray* polygon)
{
    if (polygon == nullptr) {
        ConsolePrintf("Box is NULL\n");
        return;
    }
    if (!(std::fabs(xMargin) <= 10.0f))
        xMargin = 0.0f;
    const size_t n = polygon->size();
    const double margin = std::fabs(double(xMargin));
    if (n < 3 || margin == 0.0)
        return;
    // Side j runs from corner j-1 to corner j (side 0 from the last corner); moved to its
    // clockwise side, where the inside of a clockwise box lies.
    std::vector<Point> from(n), to(n);
    for (size_t j = 0; j < n; ++j) {
        const PolyPoint& a = (*polygon)[(j + n - 1) % n];
        const PolyPoint& b = (*polygon)[j];
        const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
        const double len = std::hypot(dx, dy);
        const double nx = len > 0 ? dy / len * margin : 0.0, ny = len > 0 ? -dx / len * margin : 0.0;
        from[j] = {float(a.x + nx), float(a.y + ny)};
        to[j] = {float(b.x + nx), float(b.y + ny)};
    }
    PointArray moved(n);
    for (size_t j = 0; j < n; ++j) {
        const size_t prev = (j + n - 1) % n;
        Point corner;
        // Parallel neighbours: the corner they share moves with them.
        if (!IntersectLines(from[prev], to[prev], from[j], to[j], &corner))
            corner = from[j];
        moved[j].x = corner.x;
        moved[j].y = corner.y;
        moved[j].index = int(j);
    }
    *polygon = std::move(moved);
}

bool BoxTargetCentre(const PointArray& polygon, int fourCornerDiagonals, Point* out)
{
    const size_t n = polygon.size();
    if (n < 3 || out == nullptr)
        return false;
    Point centre;
    if (n == 3) {
        const Point m01 = Midpoint(polygon[0], polygon[1]);
        const Point m12 = Midpoint(polygon[1], polygon[2]);
        if (!IntersectLines(At(polygon[2]), m01, At(polygon[0]), m12, &centre))
            return false;
    } else if (n == 4 && fourCornerDiagonals) {
        if (!IntersectLines(At(polygon[0]), At(polygon[2]), At(polygon[1]), At(polygon[3]),
                            &centre))
            return false;
    } else {
        double minX = polygon[0].x, maxX = minX, minY = polygon[0].y, maxY = minY;
        for (const PolyPoint& p : polygon) {
            minX = std::min(minX, double(p.x));
            maxX = std::max(maxX, double(p.x));
            minY = std::min(minY, double(p.y));
            maxY = std::max(maxY, double(p.y));
        }
        centre = {float((minX + maxX) / 2.0), float((minY + maxY) / 2.0)};
    }
    if (!Finite(centre))
        return false;
    *out = centre;
    return true;
}
