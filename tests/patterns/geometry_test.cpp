// Orientation predicates, intersection and containment tests.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "patterns/geometry.h"
#include "patterns/pattern_box.h"

namespace {

PointArray Poly(std::initializer_list<Point> pts) {
    PointArray a;
    for (const Point& p : pts) a.push_back(PolyPoint{p.x, p.y, 0, int(a.size())});
    return a;
}

}  // namespace

TEST(Orientation, TurnsSmallerThanAThousandthCountAsStraight) {
    Point a{0, 0}, b{1, 0};
    // Doubled area 0.0009 either side of the line: straight, and truncated toward zero
    // (rounding down would make the clockwise one -1).
    for (float y : {0.0009f, -0.0009f}) {
        Point c{0.5f, y};
        EXPECT_EQ(Area2(a, b, c), 0) << y;
        EXPECT_EQ(Collinear(a, b, c), 1) << y;
        EXPECT_EQ(Left(a, b, c), 0) << y;
        EXPECT_EQ(LeftOn(a, b, c), 1) << y;
        EXPECT_EQ(Left2(a, b, c), 0) << y;
    }
    Point ccw{0.5f, 0.0011f}, cw{0.5f, -0.0011f};
    EXPECT_EQ(Area(a, b, ccw), 1);
    EXPECT_EQ(Area2(a, b, ccw), -1);
    EXPECT_EQ(Left2(a, b, ccw), 1);
    EXPECT_EQ(LeftOn(a, b, ccw), 0);
    EXPECT_EQ(Left(a, b, cw), 1);
    EXPECT_EQ(Left2(a, b, cw), 0);
    EXPECT_EQ(Area2(a, b, Point{0.5f, -2.0f}), 2000);
}

TEST(Orientation, GarbageCoordinatesGiveDefiniteAnswers) {
    Point a{0, 0}, b{1e30f, 0};
    EXPECT_EQ(Area(a, b, Point{0, 1e30f}), INT32_MAX);
    EXPECT_EQ(Area2(a, b, Point{0, 1e30f}), INT32_MIN);
    EXPECT_EQ(Area(a, Point{NAN, 0}, Point{0, 1}), 0);
    EXPECT_EQ(Xor(0, 0), 0);
    EXPECT_EQ(Xor(5, 0), 1);
    EXPECT_EQ(Xor(-1, 3), 0);
}

TEST(Segments, CrossingTouchingAndOverlapping) {
    Point a{0, 0}, b{10, 10};
    // Proper crossing.
    EXPECT_EQ(IntersectProper(a, b, Point{0, 10}, Point{10, 0}), 1);
    EXPECT_EQ(Intersect(a, b, Point{0, 10}, Point{10, 0}), 1);
    // An end on the other segment: no proper crossing, but they meet.
    EXPECT_EQ(IntersectProper(a, b, Point{5, 5}, Point{10, 0}), 0);
    EXPECT_EQ(Intersect(a, b, Point{5, 5}, Point{10, 0}), 1);
    // Only one of the two straddles the other's line: no crossing, proper or not.
    EXPECT_EQ(IntersectProper(a, b, Point{20, 0}, Point{20, 30}), 0);
    EXPECT_EQ(IntersectProper(Point{20, 0}, Point{20, 30}, a, b), 0);
    EXPECT_EQ(Intersect(a, b, Point{20, 0}, Point{20, 30}), 0);
    // Collinear: overlapping meets, disjoint does not.
    EXPECT_EQ(Intersect(a, b, Point{8, 8}, Point{12, 12}), 1);
    EXPECT_EQ(Intersect(a, b, Point{11, 11}, Point{12, 12}), 0);
    // Apart, and parallel.
    EXPECT_EQ(Intersect(a, b, Point{6, 0}, Point{10, 3}), 0);
    EXPECT_EQ(Intersect(a, b, Point{1, 0}, Point{11, 10}), 0);
}

TEST(Segments, BetweenUsesYForVerticalSegments) {
    Point a{2, 0}, b{2, 10};
    EXPECT_EQ(Between(a, b, Point{2, 5}), 1);
    EXPECT_EQ(Between(a, b, Point{2, 10}), 1);
    EXPECT_EQ(Between(a, b, Point{2, 11}), 0);
    EXPECT_EQ(Between(a, b, Point{2, -0.5f}), 0);
    EXPECT_EQ(Between(a, b, Point{3, 5}), 0);
    EXPECT_EQ(Between(Point{10, 0}, Point{0, 0}, Point{4, 0}), 1);
    EXPECT_EQ(Between(Point{10, 0}, Point{0, 0}, Point{-4, 0}), 0);
    EXPECT_NEAR(GetAngle(Point{1, 1}, Point{1, 3}), 1.5707963, 1e-6);
    EXPECT_NEAR(GetAngle(Point{1, 1}, Point{0, 1}), 3.1415926, 1e-6);
}

TEST(PointInPolygon, CrossingNumberOnCornerList) {
    // An L shape: (0,0) (0,10) (4,10) (4,4) (10,4) (10,0).
    PatternBox box;
    for (Point p : {Point{0, 0}, Point{0, 10}, Point{4, 10}, Point{4, 4}, Point{10, 4}, Point{10, 0}})
        AddPatternBoxPoint(&box, p.x, p.y, 0, 0);
    EXPECT_EQ(PointInPolygon(box.corners, Point{2, 8}), 1);
    EXPECT_EQ(PointInPolygon(box.corners, Point{8, 2}), 1);
    EXPECT_EQ(PointInPolygon(box.corners, Point{8, 8}), 0);  // in the notch
    EXPECT_EQ(PointInPolygon(box.corners, Point{12, 2}), 0);
    // Level with the horizontal edge at y = 4, far to the left, and far to the right.
    EXPECT_EQ(PointInPolygon(box.corners, Point{-100, 4}), 0);
    EXPECT_EQ(PointInPolygon(box.corners, Point{100, 4}), 0);
    EXPECT_EQ(PointInPolygon(nullptr, Point{0, 0}), 0);
}

TEST(PIP, StrictAndNonStrictOnEdgesAndTheFailingEdge) {
    // Clockwise square.
    PointArray sq = Poly({{0, 0}, {0, 10}, {10, 10}, {10, 0}});
    EXPECT_EQ(PIP(sq, Point{5, 5}, nullptr, 1), 1);
    // On an edge: inside only when not strict.
    EXPECT_EQ(PIP(sq, Point{0, 5}, nullptr, 0), 1);
    EXPECT_EQ(PIP(sq, Point{0, 5}, nullptr, 1), 0);
    // Inside by less than the tolerance counts as on the edge.
    EXPECT_EQ(PIP(sq, Point{0.00005f, 5}, nullptr, 1), 0);
    EXPECT_EQ(PIP(sq, Point{0.001f, 5}, nullptr, 1), 1);

    Edge e;
    EXPECT_EQ(PIP(sq, Point{-1, 5}, &e, 0), 0);
    EXPECT_EQ(e.startX, 0);
    EXPECT_EQ(e.endX, 0);
    EXPECT_EQ(e.startY, 0);
    EXPECT_EQ(e.endY, 10);
    // Outside only the closing edge, which runs from the last vertex back to the first.
    EXPECT_EQ(PIP(sq, Point{5, -1}, &e, 0), 0);
    EXPECT_EQ(e.startX, 10);
    EXPECT_EQ(e.endX, 0);
    EXPECT_EQ(e.startY, 0);
    EXPECT_EQ(e.endY, 0);
    // The counter-clockwise square has its inside on the wrong side.
    PointArray ccw = Poly({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_EQ(PIP(ccw, Point{5, 5}, nullptr, 0), 0);
}

TEST(PIP, PolygonsOverlapReportsTheFirstVertexOutside) {
    PointArray sq = Poly({{0, 0}, {0, 10}, {10, 10}, {10, 0}});
    Edge e;
    EXPECT_EQ(PolygonsOverlap(sq, Poly({{1, 1}, {1, 9}, {9, 9}}), &e, 1), -1);
    EXPECT_EQ(PolygonsOverlap(sq, Poly({{1, 1}, {1, 9}, {12, 9}, {11, 1}}), &e, 1), 2);
    EXPECT_EQ(e.startX, 10);  // edge (10,10) -> (10,0)
    EXPECT_EQ(e.startY, 10);
    EXPECT_EQ(e.endY, 0);
    // Touching the container counts only when not strict.
    EXPECT_EQ(PolygonsOverlap(sq, Poly({{0, 0}, {5, 5}}), nullptr, 0), -1);
    EXPECT_EQ(PolygonsOverlap(sq, Poly({{0, 0}, {5, 5}}), nullptr, 1), 0);
    EXPECT_EQ(PolygonsOverlap(sq, PointArray(), nullptr, 1), -1);
}
