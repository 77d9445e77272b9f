#pragma once
// Plane geometry for pattern boxes, fitting and nesting.
//
// Coordinates are inches held in floats. Every orientation decision is taken on the cross
// product scaled by 1000 and truncated toward zero to an integer, so that turns enclosing
// less than 0.001 square inch count as straight. That tolerance keeps hand-entered box
// corners (read off the machine in thousandths of an inch) from flickering between
// "left" and "right" of a side through float noise.
//
// Frame: x to the right, y up in the mathematical sense, so cross(a, b, c) > 0 is a
// counter-clockwise turn. The pattern boxes of this program list their corners clockwise,
// so "inside" means on the clockwise side (`Left`) of every side.

#include <memory>
#include <vector>

struct BoxPoint;
struct Pattern;
struct LayoutNode;

struct Point {
    float x = 0.0f;
    float y = 0.0f;
};

// One vertex of a point-array polygon. `deleted` marks points the hull sort has found
// redundant; `index` is the point's position in the array it was built from.
struct PolyPoint {
    float x = 0.0f;
    float y = 0.0f;
    int deleted = 0;
    int index = 0;
};

// A polygon as a growable array of vertices in order; the closing edge runs from the last
// vertex back to the first.
using PointArray = std::vector<PolyPoint>;

// The least and greatest x and y of a polygon's vertices; all zero for an empty polygon.
struct PolygonBounds {
    float minX = 0.0f;
    float maxX = 0.0f;
    float minY = 0.0f;
    float maxY = 0.0f;
};
PolygonBounds BoundsOf(const PointArray& poly);

// Moves every vertex by (dx, dy); each sum is taken in double and then stored.
void MovePolygon(PointArray& poly, double dx, double dy);

// An edge reported by a failed containment test, in the order start x, end x, start y, end y.
struct Edge {
    float startX = 0.0f;
    float endX = 0.0f;
    float startY = 0.0f;
    float endY = 0.0f;
};

// v truncated toward zero to an int; NaN gives 0 and values beyond the int range are
// clamped, so garbage coordinates give a definite answer instead of undefined behaviour.
int TruncateToInt(double v);

// Orientation predicates on the truncated, scaled cross product.
int Area2(Point a, Point b, Point c);     // T(-1000 * cross)
int Area(Point a, Point b, Point c);      // T(1000 * cross)
int Left(Point a, Point b, Point c);      // clockwise turn of at least 0.001
int LeftOn(Point a, Point b, Point c);    // clockwise or straight
int Collinear(Point a, Point b, Point c); // straight within the tolerance
int Left2(Point a, Point b, Point c);     // counter-clockwise turn of at least 0.001
int Xor(int x, int y);                    // exactly one of x, y is non-zero

// Segments ab and cd cross at a point interior to both.
int IntersectProper(Point a, Point b, Point c, Point d);
// c lies on the closed segment ab (and is collinear with it).
int Between(Point a, Point b, Point c);
// Segments ab and cd share at least one point.
int Intersect(Point a, Point b, Point c, Point d);
// Direction from a to b in radians.
double GetAngle(Point a, Point b);

// Crossing-number test of p against a corner list (closed from the last corner to the
// first). Points on the boundary may fall either way; horizontal edges never count.
int PointInPolygon(const BoxPoint* corners, Point p);

// p lies inside the convex polygon `poly` (clockwise): on the clockwise side of every edge.
// Strict: at least 0.001 inside every edge; otherwise on an edge is inside. On failure the
// failing edge is stored in `edgeOut` when given. An empty polygon contains everything.
int PIP(const PointArray& poly, Point p, Edge* edgeOut, int strict);

// -1 when every vertex of `polygon` passes PIP against `container`; otherwise the index of
// the first vertex that fails, with the failing container edge in `edgeOut`.
int PolygonsOverlap(const PointArray& container, const PointArray& polygon, Edge* edgeOut,
                    int strict);

// Graham scan. Returns the hull counter-clockwise starting at the lowest point (rightmost
// among equals). Points collinear with the pivot within the same whole unit of distance are
// merged (the one with the lower index is dropped). Takes any number of points, including
// none; the input is consumed.
// On dense input (tens of thousands of points) the tolerant angle comparison is not
// transitive and one pass can leave spikes running inward along nearly equal directions;
// a second pass over the few survivors removes them. Use ConvexHull / ConvexHullOfArray,
// which do both passes, unless the points are few.
PointArray Hull(PointArray points);

// Hull of a pattern's points shifted by (dx, dy), two passes of Hull. Empty for a null
// pattern.
PointArray ConvexHull(const Pattern* pattern, float dx, float dy);
// Hull of the pattern's points at every placement of the node's array (each point plus that
// placement's x, y). A node in no array contributes its own placement only.
PointArray ConvexHullOfArray(const LayoutNode* node);

// The hull being fitted (autofill and scaling keep it here; the view draws it). Owned here:
// resetting the pointer releases it.
extern std::unique_ptr<PointArray> hull;
