// Convex hulls of point arrays and of placed patterns.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "patterns/geometry.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

PointArray Points(std::initializer_list<Point> pts) {
    PointArray a;
    for (const Point& p : pts) a.push_back(PolyPoint{p.x, p.y, 0, int(a.size())});
    return a;
}

std::vector<std::pair<float, float>> Coords(const PointArray& a) {
    std::vector<std::pair<float, float>> out;
    for (const PolyPoint& v : a) out.emplace_back(v.x, v.y);
    return out;
}

using C = std::vector<std::pair<float, float>>;

// Every consecutive triple turns counter-clockwise, and every input point is inside or on it.
void ExpectHullOf(const PointArray& in, const PointArray& h) {
    ASSERT_GE(h.size(), 3u);
    for (size_t i = 0; i < h.size(); ++i) {
        const PolyPoint &a = h[i], &b = h[(i + 1) % h.size()], &c = h[(i + 2) % h.size()];
        EXPECT_EQ(Left2(Point{a.x, a.y}, Point{b.x, b.y}, Point{c.x, c.y}), 1) << i;
    }
    PointArray clockwise(h.rbegin(), h.rend());
    for (const PolyPoint& p : in) EXPECT_EQ(PIP(clockwise, Point{p.x, p.y}, nullptr, 0), 1);
}

Pattern* PatternOf(std::initializer_list<Point> pts) {
    Pattern* p = newPattern();
    char line[64];
    for (const Point& q : pts) {
        std::snprintf(line, sizeof line, "pX%.3fY%.3f", q.x, q.y);
        addData(p, line, 1);
    }
    return p;
}

}  // namespace

TEST(Hull, SquareWithCentreStartsAtLowestRightCorner) {
    PointArray h = Hull(Points({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {5, 5}}));
    EXPECT_EQ(Coords(h), (C{{10, 0}, {10, 10}, {0, 10}, {0, 0}}));
    // The same points in another order give the same hull.
    h = Hull(Points({{5, 5}, {0, 10}, {0, 0}, {10, 10}, {10, 0}}));
    EXPECT_EQ(Coords(h), (C{{10, 0}, {10, 10}, {0, 10}, {0, 0}}));
}

TEST(Hull, CollinearCandidatesWithinOneWholeUnitMerge) {
    // (0.7, 0.7) and (0.3, 0.3) lie in one direction from the pivot and within the same
    // whole inch: the one with the lower index goes, even though it is the farther one.
    PointArray h = Hull(Points({{0, 0}, {0.7f, 0.7f}, {0.3f, 0.3f}, {-1, 0.2f}}));
    EXPECT_EQ(Coords(h), (C{{0, 0}, {0.3f, 0.3f}, {-1, 0.2f}}));
    h = Hull(Points({{0, 0}, {0.3f, 0.3f}, {0.7f, 0.7f}, {-1, 0.2f}}));
    EXPECT_EQ(Coords(h), (C{{0, 0}, {0.7f, 0.7f}, {-1, 0.2f}}));
    // A whole inch apart the nearer one goes, whatever the indices.
    h = Hull(Points({{0, 0}, {2.5f, 2.5f}, {0.5f, 0.5f}, {-1, 0.2f}}));
    EXPECT_EQ(Coords(h), (C{{0, 0}, {2.5f, 2.5f}, {-1, 0.2f}}));
    h = Hull(Points({{0, 0}, {0.5f, 0.5f}, {2.5f, 2.5f}, {-1, 0.2f}}));
    EXPECT_EQ(Coords(h), (C{{0, 0}, {2.5f, 2.5f}, {-1, 0.2f}}));
}

TEST(Hull, DegenerateInputsDoNotFail) {
    EXPECT_TRUE(Hull(PointArray()).empty());
    EXPECT_EQ(Hull(Points({{3, 4}})).size(), 1u);
    EXPECT_LE(Hull(Points({{3, 4}, {3, 4}, {3, 4}})).size(), 2u);
    // All on one line: at most the two ends survive.
    PointArray line = Hull(Points({{0, 0}, {-1, 1}, {-2, 2}, {-3, 3}, {-4, 4}}));
    EXPECT_LE(line.size(), 2u);
    EXPECT_EQ(line[0].x, 0);
}

TEST(Hull, ClosedOutlineEndingAtItsLowestPoint) {
    // A traced circle that starts and ends at its bottom point: the repeated point must not
    // collapse the hull.
    PointArray circle;
    const int n = 72;
    for (int i = 0; i <= n; ++i) {
        double a = -M_PI / 2 + 2 * M_PI * (i % n) / n;
        circle.push_back(PolyPoint{float(5 + 5 * std::cos(a)), float(5 + 5 * std::sin(a)), 0, i});
    }
    PointArray h = Hull(Hull(circle));
    EXPECT_GT(h.size(), 40u);
    ExpectHullOf(circle, h);
    // Small enough that every comparison with the copy of the pivot is a tie.
    h = Hull(Points({{0, 0}, {0.5f, 0.2f}, {-0.5f, 0.5f}, {0, 0}}));
    EXPECT_EQ(Coords(h), (C{{0, 0}, {0.5f, 0.2f}, {-0.5f, 0.5f}}));
}

TEST(Hull, RandomCloudIsEnclosed) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(0.0f, 50.0f);
    PointArray cloud;
    for (int i = 0; i < 3000; ++i) cloud.push_back(PolyPoint{u(rng), u(rng), 0, i});
    ExpectHullOf(cloud, Hull(Hull(cloud)));
}

TEST(Hull, OfPatternAndOfArray) {
    ResetLayout();
    Pattern* p = PatternOf({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {5, 5}});
    EXPECT_EQ(Coords(ConvexHull(p, 2, 3)), (C{{12, 3}, {12, 13}, {2, 13}, {2, 3}}));
    EXPECT_TRUE(ConvexHull(nullptr, 0, 0).empty());

    StorePattern(0, p);
    currentBox = 0;
    LayoutNode* first = NewPatternLayoutNode(0, 4, 1, 0, 0);
    NewPatternLayoutNode(0, 4, 0, 20, 0);
    NewPatternLayoutNode(0, -1, 0, 100, 100);  // not in the array
    EXPECT_EQ(Coords(ConvexHullOfArray(first)), (C{{30, 0}, {30, 10}, {0, 10}, {0, 0}}));
    // A placement in no array: just its own points.
    EXPECT_EQ(Coords(ConvexHullOfArray(first->next->next)),
              (C{{110, 100}, {110, 110}, {100, 110}, {100, 100}}));
    ResetLayout();
}

TEST(Hull, DenseMeanderPatternIsEnclosedAfterTheSecondPass) {
    // Many rows of closely spaced points: one pass of the tolerant sort leaves spikes in
    // the hull, the second pass over the few survivors straightens them out.
    Pattern* p = newPattern();
    char line[64];
    for (int row = 0; row < 100; ++row) {
        for (int i = 0; i < 300; ++i) {
            float x = float(row % 2 ? 299 - i : i) * 0.04f;
            float y = float(row) * 0.1f + 0.03f * std::sin(float(i) * 0.3f);
            std::snprintf(line, sizeof line, "pX%.4fY%.4f", x, y);
            addData(p, line, 1);
        }
    }
    PointArray h = ConvexHull(p, 0, 0);
    ASSERT_GE(h.size(), 4u);
    PointArray clockwise(h.rbegin(), h.rend());
    int outside = 0;
    for (int i = 0; i < p->pointCount; ++i) {
        Edge e;
        Point q{p->pointX[i], p->pointY[i]};
        // Within the tolerance of the hull's own predicates.
        if (!PIP(clockwise, q, &e, 0) &&
            Area2(Point{e.startX, e.startY}, Point{e.endX, e.endY}, q) < -20)
            ++outside;
    }
    EXPECT_EQ(outside, 0);
    erasePattern(p);
}

TEST(Hull, NewPatternDropsTheFittingHull) {
    hull = std::make_unique<PointArray>(Points({{0, 0}, {1, 0}, {0, 1}}));
    erasePattern(newPattern());
    EXPECT_EQ(hull, nullptr);
}
