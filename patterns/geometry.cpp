// Orientation predicates, segment intersection and point-in-polygon tests.

#include "patterns/geometry.h"

#include <climits>
#include <cmath>

#include "patterns/pattern_box.h"

namespace {

// cross(a, b, c) in double: positive for a counter-clockwise turn. Doubles keep the product
// of two float differences exact enough that only the deliberate 0.001 tolerance decides.
double Cross(Point a, Point b, Point c) {
    return (double(b.x) - a.x) * (double(c.y) - a.y) - (double(c.x) - a.x) * (double(b.y) - a.y);
}

}  // namespace

int TruncateToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= double(INT_MAX)) return INT_MAX;
    if (v <= double(INT_MIN)) return INT_MIN;
    return int(v);  // conversion truncates toward zero
}

int Area2(Point a, Point b, Point c) { return TruncateToInt(-1000.0 * Cross(a, b, c)); }

int Area(Point a, Point b, Point c) { return TruncateToInt(1000.0 * Cross(a, b, c)); }

int Left(Point a, Point b, Point c) { return Area2(a, b, c) > 0 ? 1 : 0; }

int LeftOn(Point a, Point b, Point c) { return Area2(a, b, c) >= 0 ? 1 : 0; }

int Collinear(Point a, Point b, Point c) { return Area2(a, b, c) == 0 ? 1 : 0; }

int Left2(Point a, Point b, Point c) { return Area(a, b, c) > 0 ? 1 : 0; }

int Xor(int x, int y) { return (x != 0) != (y != 0) ? 1 : 0; }

int IntersectProper(Point a, Point b, Point c, Point d) {
    if (Collinear(a, b, c) || Collinear(a, b, d) || Collinear(c, d, a) || Collinear(c, d, b))
        return 0;
    return (Xor(Left(a, b, c), Left(a, b, d)) && Xor(Left(c, d, a), Left(c, d, b))) ? 1 : 0;
}

int Between(Point a, Point b, Point c) {
    if (!Collinear(a, b, c)) return 0;
    // Compared in whole thousandths, like the orientation tests; along Y for a vertical ab.
    int ax = TruncateToInt(a.x * 1000.0), bx = TruncateToInt(b.x * 1000.0);
    int cx = TruncateToInt(c.x * 1000.0);
    if (ax != bx) return ((ax <= cx && cx <= bx) || (ax >= cx && cx >= bx)) ? 1 : 0;
    int ay = TruncateToInt(a.y * 1000.0), by = TruncateToInt(b.y * 1000.0);
    int cy = TruncateToInt(c.y * 1000.0);
    return ((ay <= cy && cy <= by) || (ay >= cy && cy >= by)) ? 1 : 0;
}

int Intersect(Point a, Point b, Point c, Point d) {
    if (IntersectProper(a, b, c, d)) return 1;
    return (Between(a, b, c) || Between(a, b, d) || Between(c, d, a) || Between(c, d, b)) ? 1 : 0;
}

double GetAngle(Point a, Point b) { return std::atan2(double(b.y) - a.y, double(b.x) - a.x); }

int PointInPolygon(const BoxPoint* corners, Point p) {
    if (!corners) return 0;
    int inside = 0;
    for (const BoxPoint* q = corners; q; q = q->next) {
        const BoxPoint* r = q->next ? q->next : corners;
        // The half-open comparison makes r.y != q.y, so the division is safe and
        // horizontal edges never flip the state.
        if ((p.y > q->y && p.y <= r->y) || (p.y > r->y && p.y <= q->y)) {
            double x = q->x + (double(p.y) - q->y) / (double(r->y) - q->y) * (double(r->x) - q->x);
            if (p.x > x) inside = !inside;
        }
    }
    return inside;
}

int PIP(const PointArray& poly, Point p, Edge* edgeOut, int strict) {
    const size_t n = poly.size();
    for (size_t k = 1; k <= n; ++k) {
        // Edges i-1 -> i for i = 1 .. n-1, then the closing edge n-1 -> 0.
        const PolyPoint& s = poly[k - 1];
        const PolyPoint& e = poly[k % n];
        int v = Area2(Point{s.x, s.y}, Point{e.x, e.y}, p);
        if (strict ? v < 1 : v < 0) {
            if (edgeOut) *edgeOut = Edge{s.x, e.x, s.y, e.y};
            return 0;
        }
    }
    return 1;
}

int PolygonsOverlap(const PointArray& container, const PointArray& polygon, Edge* edgeOut,
                    int strict) {
    for (size_t i = 0; i < polygon.size(); ++i) {
        if (!PIP(container, Point{polygon[i].x, polygon[i].y}, edgeOut, strict)) return int(i);
    }
    return -1;
}

PolygonBounds BoundsOf(const PointArray& poly)
{
    PolygonBounds b;
    if (poly.empty())
        return b;
    b.minX = b.maxX = poly[0].x;
    b.minY = b.maxY = poly[0].y;
    for (const PolyPoint& v : poly) {
        b.minX = std::fmin(b.minX, v.x);
        b.maxX = std::fmax(b.maxX, v.x);
        b.minY = std::fmin(b.minY, v.y);
        b.maxY = std::fmax(b.maxY, v.y);
    }
    return b;
}

void MovePolygon(PointArray& poly, double dx, double dy)
{
    for (PolyPoint& v : poly) {
        v.x = float(v.x + dx);
        v.y = float(v.y + dy);
    }
}
