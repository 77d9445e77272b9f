// The stitch path: how placements become one list of moves, where it jumps, how long lines
// are cut and which feed every point gets. Layouts are built in code.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "base/interface.h"
#include "base/message_windows.h"
#include "base/settings.h"
#include "machine/run_state.h"
#include "machine/stitch_path.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"

namespace {

using Pts = std::vector<std::pair<float, float>>;

// A pattern loaded into the next free slot; "c s" commands stand before the given
// 0-based points. Returns the slot.
int LoadPattern(const Pts& points, const std::vector<int>& strokeStartsBefore = {})
{
    Pattern* p = newPattern();
    for (const auto& pt : points) {
        p->pointX.push_back(pt.first);
        p->pointY.push_back(pt.second);
    }
    p->pointCount = static_cast<int>(points.size());
    for (int before : strokeStartsBefore) {
        p->commandType.push_back(CommandKind::Start);
        p->commandPoint.push_back(before + 1);
    }
    p->commandCount = static_cast<int>(strokeStartsBefore.size());
    UpdatePatternSize(p);
    const int slot = GetNextPattern();
    EXPECT_EQ(StorePattern(slot, p), 1);
    return slot;
}

// A straight run of `count` points along X, `step` inches apart, from (x0, y0).
Pts Line(float x0, float y0, float step, int count)
{
    Pts pts;
    for (int i = 0; i < count; ++i)
        pts.emplace_back(x0 + step * static_cast<float>(i), y0);
    return pts;
}

std::vector<FullPattern_t*> Points(FullPattern_t* first)
{
    std::vector<FullPattern_t*> v;
    for (FullPattern_t* p = first; p != nullptr; p = p->next)
        v.push_back(p);
    return v;
}

std::vector<FullPattern_t*> PathPoints() { return Points(interface_.stitchList); }

// Only the points that come from the patterns.
std::vector<FullPattern_t*> PatternPoints()
{
    std::vector<FullPattern_t*> v;
    for (FullPattern_t* p : PathPoints())
        if (!p->interpolated)
            v.push_back(p);
    return v;
}

// A free-standing list of points (thousandths) with the given feeds.
FullPattern_t* MakeList(const Pts& points_thou, const std::vector<float>& feeds = {})
{
    FullPattern_t* first = nullptr;
    FullPattern_t* last = nullptr;
    for (size_t i = 0; i < points_thou.size(); ++i) {
        last = AppendFullPatternPoint(last, points_thou[i].first, points_thou[i].second,
                                      i < feeds.size() ? feeds[i] : 100.0f);
        if (first == nullptr)
            first = last;
    }
    return first;
}

void ExpectLinksConsistent(FullPattern_t* first)
{
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->prev, nullptr);
    for (FullPattern_t* p = first; p->next != nullptr; p = p->next)
        EXPECT_EQ(p->next->prev, p);
}

float Distance_thou(const FullPattern_t* a, const FullPattern_t* b)
{
    return std::hypot(b->x - a->x, b->y - a->y);
}

// One box with its origin at (2, 3) inches, and an empty layout.
class StitchPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLayout();
        CreatePatternBox();
        PatternBox* box = GetPatternBox(0);
        AddPatternBoxPoint(box, 2, 3, 1, 0);
        AddPatternBoxPoint(box, 2, 13, 0, 0);
        AddPatternBoxPoint(box, 12, 13, 0, 0);
        AddPatternBoxPoint(box, 12, 3, 0, 0);
        SetPatternBoxOrigin(box);
        currentBox = 0;
        minimumSpeed = 3;
        minSpeed = 5.0f;
        acceleration = 40.0f;
        curvature = 40.0f;
    }
    void TearDown() override
    {
        FreeStitchList();
        ResetLayout();
    }
    ScriptedUi ui;
};

// --- Joining placements --------------------------------------------------------------------

TEST_F(StitchPath, PlacementsWithinAQuarterInchAreSewnInOneRunOthersJump)
{
    const int line = LoadPattern(Line(5, 7, 0.15f, 3));  // 0.3 inch long
    NewPatternLayoutNode(line, -1, 0, 0.0f, 1.0f);
    NewPatternLayoutNode(line, -1, 0, 0.5f, 1.0f);  // starts 0.2 inch after the first ends
    NewPatternLayoutNode(line, -1, 0, 1.1f, 1.0f);  // 0.3 inch in X after the second
    NewPatternLayoutNode(line, -1, 0, 1.4f, 1.3f);  // 0.3 inch in Y alone
    NewPatternLayoutNode(line, -1, 0, 1.7f, 1.1f);  // 0.2 inch back in Y: joined
    PackFullPattern();

    std::vector<FullPattern_t*> pts = PatternPoints();
    ASSERT_EQ(pts.size(), 15u);
    // Box origin (2, 3) + node offset + point - min, in thousandths.
    EXPECT_FLOAT_EQ(pts[0]->x, 2000.0f);
    EXPECT_FLOAT_EQ(pts[0]->y, 4000.0f);
    EXPECT_NEAR(pts[3]->x, 2500.0f, 0.01f);
    std::vector<int> jumps;
    for (size_t i = 0; i < pts.size(); ++i)
        if (pts[i]->jump)
            jumps.push_back(static_cast<int>(i));
    EXPECT_EQ(jumps, (std::vector<int>{5, 8}));
}

TEST_F(StitchPath, JoinTestLooksPastPlacementsThatGiveNoPoints)
{
    const int line = LoadPattern(Line(0, 0, 0.1f, 2));
    NewPatternLayoutNode(line, -1, 0, 0.0f, 0.0f);
    NewPatternLayoutNode(kPatternSlots - 1, -1, 0, 0.1f, 0.0f);  // empty slot
    NewPatternLayoutNode(line, -1, 0, 5.0f, 0.0f);               // far away
    PackFullPattern();
    std::vector<FullPattern_t*> pts = PatternPoints();
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts[1]->jump, 1) << "a far placement must not be reached by a stitched line";
}

TEST_F(StitchPath, OnlyTheCurrentBoxIsPacked)
{
    const int line = LoadPattern(Line(0, 0, 0.1f, 2));
    NewPatternLayoutNode(line, -1, 0, 0.0f, 0.0f);
    CreatePatternBox();
    currentBox = 1;
    NewPatternLayoutNode(line, -1, 0, 0.0f, 0.0f);
    NewPatternLayoutNode(line, -1, 0, 0.1f, 0.1f);
    PackFullPattern();
    // Box 1 has no corners: its origin is (0, 0).
    std::vector<FullPattern_t*> pts = PatternPoints();
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_FLOAT_EQ(pts[0]->x, 0.0f);
    EXPECT_NEAR(pts[2]->y, 100.0f, 0.01f);

    // Repacking replaces the old path and drops the cursor that pointed into it.
    fpTemp = interface_.stitchList->next;
    currentBox = 0;
    PackFullPattern();
    EXPECT_EQ(fpTemp, nullptr);
    EXPECT_EQ(PatternPoints().size(), 2u);
    EXPECT_FLOAT_EQ(PatternPoints()[0]->x, 2000.0f);
}

TEST_F(StitchPath, EmptyBoxGivesNoPathAndSaysSo)
{
    ui.Expect("FindPatternAngles: No Data!", RESPONSE_OK);
    NewPatternLayoutNode(7, -1, 0, 0.0f, 0.0f);  // names an empty slot
    testing::internal::CaptureStdout();
    EXPECT_EQ(PackFullPattern(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SetFeeds: fPattern is NULL\n");
    EXPECT_EQ(interface_.stitchList, nullptr);
}

// --- Strokes and short stitches ------------------------------------------------------------

TEST_F(StitchPath, StrokeStartJumpsFromThePointBeforeIt)
{
    const int slot = LoadPattern(Line(0, 0, 0.1f, 7), {4});
    NewPatternLayoutNode(slot, -1, 0, 0.0f, 0.0f);
    testing::internal::CaptureStdout();
    PackFullPattern();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("c s at point 4\n"), std::string::npos) << out;
    std::vector<FullPattern_t*> pts = PatternPoints();
    ASSERT_EQ(pts.size(), 7u);
    for (size_t i = 0; i < pts.size(); ++i)
        EXPECT_EQ(pts[i]->jump, i == 3 ? 1 : 0) << i;
}

TEST_F(StitchPath, StrokeStartIsLostWithItsPointWhenThatIsTooCloseToStitch)
{
    // Point 4 lies 0.04 inch from point 3, so it is dropped and with it the stroke start;
    // the run 3 -> 5 stands in for 4 -> 5.
    Pts pts = {{0, 0}, {0.1f, 0}, {0.2f, 0}, {0.3f, 0}, {0.34f, 0}, {0.44f, 0}};
    const int slot = LoadPattern(pts, {4});
    NewPatternLayoutNode(slot, -1, 0, 0.0f, 0.0f);
    testing::internal::CaptureStdout();
    PackFullPattern();
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("c s at"), std::string::npos);
    std::vector<FullPattern_t*> kept = PatternPoints();
    ASSERT_EQ(kept.size(), 5u);
    for (FullPattern_t* p : kept)
        EXPECT_EQ(p->jump, 0);
}

TEST_F(StitchPath, ShortStitchesAreMeasuredFromTheLastPointKept)
{
    // 0.03 apart: 0.03 is dropped (from 0), 0.06 kept, 0.09 dropped (0.03 from 0.06),
    // 0.12 kept. The first point of every placement is kept even on top of another.
    const int slot = LoadPattern(Line(0, 0, 0.03f, 5));
    NewPatternLayoutNode(slot, -1, 0, 0.0f, 0.0f);
    NewPatternLayoutNode(slot, -1, 0, 0.12f, 0.0f);
    PackFullPattern();
    std::vector<FullPattern_t*> pts = PatternPoints();
    ASSERT_EQ(pts.size(), 6u);
    EXPECT_NEAR(pts[1]->x, 2060.0f, 0.01f);
    EXPECT_NEAR(pts[2]->x, 2120.0f, 0.01f);
    EXPECT_NEAR(pts[3]->x, 2120.0f, 0.01f);
}

TEST_F(StitchPath, APatternDigitisedInStepsOfOneStitchKeepsEveryPoint)
{
    // Steps of exactly 0.05 inch are stitches the machine can make, however the sums round.
    const int slot = LoadPattern(Line(0, 0, 0.05f, 41));
    for (float origin : {0.0f, 3.3f, 7.77f})
        NewPatternLayoutNode(slot, -1, 0, origin, origin);
    PackFullPattern();
    EXPECT_EQ(PatternPoints().size(), 3u * 41u);
}

// --- Corner and curve feeds ----------------------------------------------------------------

TEST(GetMaxFeed, CornersSlowTheFeedByTheirDeflection)
{
    float angle = -1.0f;
    EXPECT_FLOAT_EQ(GetMaxFeed({0, 0}, {1, 0}, {2, 0}, 0, 5.0f, &angle), 100.0f);
    EXPECT_NEAR(angle, 0.0f, 0.01f);

    EXPECT_FLOAT_EQ(GetMaxFeed({0, 0}, {1, 0}, {1, 1}, 0, 5.0f, &angle), 5.0f);
    EXPECT_NEAR(angle, 90.0f, 0.01f);

    // A hairpin is capped at 90 degrees too.
    EXPECT_FLOAT_EQ(GetMaxFeed({0, 0}, {1, 0}, {0, 0.01f}, 0, 5.0f, &angle), 5.0f);
    EXPECT_FLOAT_EQ(angle, 90.0f);

    // 45 degrees on a wide curve: the corner rule decides, 100 * (1 - 35/80)^2.
    const float c = std::cos(0.785398f), s = std::sin(0.785398f);
    EXPECT_NEAR(GetMaxFeed({0, 0}, {1, 0}, {1 + c, s}, 0, 5.0f, &angle), 31.640625f, 0.01f);
    EXPECT_NEAR(angle, 45.0f, 0.01f);

    // 10 degrees or less costs nothing at a corner of a wide curve.
    const float c10 = std::cos(0.17453f), s10 = std::sin(0.17453f);
    EXPECT_NEAR(GetMaxFeed({0, 0}, {10, 0}, {10 + 10 * c10, 10 * s10}, 0, 5.0f, &angle), 100.0f,
                0.01f);
}

TEST(GetMaxFeed, CurvesRunAtAFeedProportionalToTheirRadius)
{
    // Three points 8 degrees apart on a circle: deflection 8, so only the curve rule acts.
    auto onCircle = [](float r, float deg) {
        const float a = deg * 3.14159265f / 180.0f;
        return Point{3.0f + r * std::cos(a), 2.0f + r * std::sin(a)};
    };
    float angle = 0;
    curvature = 40.0f;  // feed 128 * r
    EXPECT_NEAR(GetMaxFeed(onCircle(0.5f, 30), onCircle(0.5f, 38), onCircle(0.5f, 46), 0, 5.0f,
                           &angle),
                64.0f, 0.3f);
    EXPECT_NEAR(angle, 8.0f, 0.01f);
    curvature = 20.0f;
    EXPECT_NEAR(GetMaxFeed(onCircle(0.5f, 30), onCircle(0.5f, 38), onCircle(0.5f, 46), 0, 5.0f,
                           &angle),
                32.0f, 0.2f);
    // Tight circles are held at the slowest feed, wide ones at full feed.
    EXPECT_FLOAT_EQ(GetMaxFeed(onCircle(0.02f, 0), onCircle(0.02f, 8), onCircle(0.02f, 16), 0,
                               5.0f, &angle),
                    5.0f);
    curvature = 40.0f;
    EXPECT_FLOAT_EQ(GetMaxFeed(onCircle(2.0f, 0), onCircle(2.0f, 8), onCircle(2.0f, 16), 0,
                               5.0f, &angle),
                    100.0f);
}

TEST(GetMaxFeed, DegenerateInputStaysAFiniteFeedInRange)
{
    float angle = 0;
    // A point on top of its neighbour: no direction, taken as a full corner.
    EXPECT_FLOAT_EQ(GetMaxFeed({1, 1}, {1, 1}, {2, 1}, 0, 5.0f, &angle), 5.0f);
    EXPECT_FLOAT_EQ(angle, 90.0f);
    EXPECT_FLOAT_EQ(GetMaxFeed({1, 1}, {1, 1}, {1, 1}, 0, 5.0f, &angle), 5.0f);
    // A slowest speed above 100 percent cannot be honoured.
    EXPECT_FLOAT_EQ(GetMaxFeed({0, 0}, {1, 0}, {1, 1}, 0, 250.0f, &angle), 100.0f);
    // Vertical and horizontal chords, where the slope formula is most fragile.
    const float f = GetMaxFeed({0, 0}, {0, 0.1f}, {0.02f, 0.2f}, 0, 5.0f, &angle);
    EXPECT_TRUE(std::isfinite(f));
    EXPECT_GE(f, 5.0f);
    EXPECT_LE(f, 100.0f);
}

TEST_F(StitchPath, FindPatternAnglesStopsAtTheEndsAndSlowsAtCorners)
{
    FullPattern_t* list = MakeList({{0, 0}, {1000, 0}, {2000, 0}, {2000, 1000}, {2000, 2000}});
    FindPatternAngles(list, nullptr);
    std::vector<float> feeds;
    for (FullPattern_t* p : Points(list))
        feeds.push_back(p->feed);
    EXPECT_EQ(feeds, (std::vector<float>{0.0f, 100.0f, 5.0f, 100.0f, 0.0f}));
    FreeFullPattern(list);
}

// --- Subdividing long lines ----------------------------------------------------------------

TEST(ExplodeLine, CutsLongSegmentsIntoEqualPiecesAndLeavesShortOnesWhole)
{
    FullPattern_t* list = MakeList({{1000, 500}, {1350, 500}, {1540, 500}, {1790, 500}});
    std::vector<FullPattern_t*> p = Points(list);
    EXPECT_EQ(ExplodeLine(p[1], p[0], 100.0f), 3);  // 0.35 inch
    EXPECT_EQ(ExplodeLine(p[2], p[1], 100.0f), 0);  // 0.19 inch
    EXPECT_EQ(ExplodeLine(p[3], p[2], 100.0f), 2);  // 0.25 inch
    std::vector<FullPattern_t*> all = Points(list);
    ASSERT_EQ(all.size(), 7u);
    ExpectLinksConsistent(list);
    EXPECT_NEAR(all[1]->x, 1116.667f, 0.01f);
    EXPECT_NEAR(all[2]->x, 1233.333f, 0.01f);
    EXPECT_NEAR(all[5]->x, 1665.0f, 0.01f);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->interpolated, (i == 1 || i == 2 || i == 5) ? 1 : 0) << i;
        EXPECT_EQ(all[i]->jump, 0);
        EXPECT_FLOAT_EQ(all[i]->y, 500.0f);
    }
    FreeFullPattern(list);
}

TEST(ExplodeLine, RefusesWhatIsNotOneSegmentOfAList)
{
    FullPattern_t* list = MakeList({{0, 0}, {1000, 0}, {2000, 0}});
    std::vector<FullPattern_t*> p = Points(list);
    EXPECT_EQ(ExplodeLine(p[2], p[0], 100.0f), 0);  // not neighbours
    EXPECT_EQ(ExplodeLine(p[1], nullptr, 100.0f), 0);
    EXPECT_EQ(ExplodeLine(p[1], p[0], 0.0f), 0);
    EXPECT_EQ(ExplodeLine(p[1], p[0], -5.0f), 0);
    EXPECT_EQ(CountFullPattern(list), 3);
    FreeFullPattern(list);
}

TEST_F(StitchPath, StitchedSegmentsAreCutButJumpsAreNot)
{
    const int slot = LoadPattern({{0, 0}, {1, 0}, {1, 0.5f}}, {2});  // 1 inch, then a stroke
    NewPatternLayoutNode(slot, -1, 0, 0.0f, 0.0f);
    NewPatternLayoutNode(slot, -1, 0, 4.0f, 0.0f);
    PackFullPattern();
    std::vector<FullPattern_t*> pts = PathPoints();
    ExpectLinksConsistent(interface_.stitchList);
    // Each 1-inch line becomes 10 pieces; the stroke and the move to the second
    // placement are jumps and stay whole.
    ASSERT_EQ(pts.size(), 2u * (11 + 1));
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
        if (pts[i]->jump)
            EXPECT_EQ(pts[i + 1]->interpolated, 0);
        else
            EXPECT_LE(Distance_thou(pts[i], pts[i + 1]), 200.0f) << i;
    }
    EXPECT_EQ(pts[10]->jump, 1);
    EXPECT_EQ(pts[11]->jump, 1);
}

// --- Acceleration and smoothing ------------------------------------------------------------

TEST(SetFeeds, FeedsRiseAndFallNoFasterThanTheCarriageAccelerates)
{
    acceleration = 40.0f;  // A = 1400: sqrt(2800 * d) after d inches from rest
    Pts pts;
    for (int i = 0; i <= 80; ++i)
        pts.emplace_back(100.0f * static_cast<float>(i), 0.0f);
    std::vector<float> feeds(pts.size(), 100.0f);
    feeds.front() = feeds.back() = 0.0f;
    FullPattern_t* list = MakeList(pts, feeds);
    testing::internal::CaptureStdout();
    SetFeeds(list, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Acceleration Value: 1400.0\n");
    std::vector<FullPattern_t*> p = Points(list);
    EXPECT_NEAR(p[1]->feed, 16.73f, 0.01f);
    EXPECT_NEAR(p[79]->feed, 16.73f, 0.01f);
    for (size_t i = 1; i < p.size(); ++i) {
        const float fromStart = std::sqrt(2800.0f * 0.1f * static_cast<float>(i));
        EXPECT_LE(p[i]->feed, fromStart + 0.01f) << i;
        EXPECT_LE(std::fabs(p[i]->feed * p[i]->feed - p[i - 1]->feed * p[i - 1]->feed),
                  280.0f + 0.1f)
            << i;
    }
    EXPECT_NEAR(p[20]->feed, std::sqrt(2800.0f * 2.0f), 0.01f);
    EXPECT_FLOAT_EQ(p[40]->feed, 100.0f);  // 4 inches from either end: full feed
    FreeFullPattern(list);
}

TEST(SetFeeds, ShortListsGetFixedFeeds)
{
    testing::internal::CaptureStdout();
    SetFeeds(nullptr, 1);
    FullPattern_t* two = MakeList({{0, 0}, {5000, 0}}, {0, 0});
    SetFeeds(two, 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "SetFeeds: fPattern is NULL\nSetFeeds: nodeCount is less than 3\n");
    EXPECT_FLOAT_EQ(two->feed, 10.0f);
    EXPECT_FLOAT_EQ(two->next->feed, 10.0f);
    FreeFullPattern(two);

    // Five points: no mean can be taken, every interior point runs at minSpeed.
    minSpeed = 5.0f;
    FullPattern_t* five = MakeList(Line(0, 0, 100, 5), {0, 80, 90, 80, 0});
    testing::internal::CaptureStdout();
    SetFeeds(five, 1);
    testing::internal::GetCapturedStdout();
    std::vector<float> feeds;
    for (FullPattern_t* p : Points(five))
        feeds.push_back(p->feed);
    EXPECT_EQ(feeds, (std::vector<float>{0, 5, 5, 5, 0}));
    FreeFullPattern(five);
}

TEST(SetFeeds, SmoothingSpreadsTheMeansOverMinSpeedToPeak)
{
    minSpeed = 5.0f;
    acceleration = 100.0f;  // loose enough that the acceleration limit changes nothing
    // Feeds 0, 40, 60, 80, 90, 90, 60, 0 on points an inch apart. Means at 2..4 in
    // place: 54, 70.8, 72.96 (left neighbours already smoothed). peak = 90.
    FullPattern_t* list = MakeList(Line(0, 0, 1000, 8), {0, 40, 60, 80, 90, 90, 60, 0});
    testing::internal::CaptureStdout();
    SetFeeds(list, 1);
    testing::internal::GetCapturedStdout();
    std::vector<FullPattern_t*> p = Points(list);
    const float lo = 54.0f, hi = 72.96f;
    auto mapped = [&](float f) { return 5.0f + 85.0f * (f - lo) / (hi - lo); };
    EXPECT_FLOAT_EQ(p[0]->feed, 0.0f);
    EXPECT_FLOAT_EQ(p[1]->feed, 5.0f);  // 40 is below lo
    EXPECT_FLOAT_EQ(p[2]->feed, 5.0f);  // lo itself
    EXPECT_NEAR(p[3]->feed, mapped(70.8f), 0.01f);
    EXPECT_NEAR(p[4]->feed, 90.0f, 0.01f);  // hi goes to peak
    // 90 lies above hi: held at peak instead of stretched past it.
    EXPECT_FLOAT_EQ(p[5]->feed, 90.0f);
    EXPECT_NEAR(p[6]->feed, mapped(60.0f), 0.01f);
    EXPECT_FLOAT_EQ(p[7]->feed, 0.0f);
    FreeFullPattern(list);
}

TEST(SetFeeds, EqualMeansStillGiveFeedsBetweenMinSpeedAndPeak)
{
    minSpeed = 5.0f;
    acceleration = 100.0f;
    // Six points: one mean only (index 2), so lo == hi. Index 3 and 4 lie above it.
    FullPattern_t* list = MakeList(Line(0, 0, 1000, 6), {0, 50, 50, 90, 100, 0});
    testing::internal::CaptureStdout();
    SetFeeds(list, 1);
    testing::internal::GetCapturedStdout();
    std::vector<FullPattern_t*> p = Points(list);
    EXPECT_FLOAT_EQ(p[1]->feed, 5.0f);
    EXPECT_FLOAT_EQ(p[2]->feed, 5.0f);
    // Above the flat level the feed the acceleration limit allowed is kept.
    EXPECT_FLOAT_EQ(p[3]->feed, 90.0f);
    EXPECT_NEAR(p[4]->feed, std::sqrt(7000.0f), 0.01f);  // limited by the stop at the end
    for (FullPattern_t* q : p) {
        EXPECT_TRUE(std::isfinite(q->feed));
        EXPECT_GE(q->feed, 0.0f);
        EXPECT_LE(q->feed, 100.0f);
    }
    FreeFullPattern(list);
}

TEST_F(StitchPath, EveryFeedOfAPreparedPathIsFiniteAndInRange)
{
    // A spiral with corners, short stitches, a stroke and placements near and far.
    Pts spiral;
    for (int i = 0; i < 400; ++i) {
        const float a = 0.13f * static_cast<float>(i);
        const float r = 0.05f + 0.004f * static_cast<float>(i);
        spiral.emplace_back(r * std::cos(a), r * std::sin(a));
        if (i % 37 == 0)
            spiral.emplace_back(spiral.back().first, spiral.back().second + 0.5f);
    }
    const int slot = LoadPattern(spiral, {100, 250});
    NewPatternLayoutNode(slot, -1, 0, 0.0f, 0.0f);
    NewPatternLayoutNode(slot, -1, 0, 0.1f, 0.1f);
    NewPatternLayoutNode(slot, -1, 0, 4.0f, 4.0f);
    for (float minimum : {0.0f, 5.0f, 60.0f}) {
        minSpeed = minimum;
        testing::internal::CaptureStdout();
        PackFullPattern();
        testing::internal::GetCapturedStdout();
        std::vector<FullPattern_t*> pts = PathPoints();
        ASSERT_GT(pts.size(), 1000u);
        EXPECT_FLOAT_EQ(pts.front()->feed, 0.0f);
        EXPECT_FLOAT_EQ(pts.back()->feed, 0.0f);
        for (size_t i = 1; i + 1 < pts.size(); ++i) {
            ASSERT_TRUE(std::isfinite(pts[i]->feed)) << i;
            ASSERT_GE(pts[i]->feed, minimum) << i;
            ASSERT_LE(pts[i]->feed, 100.0f) << i;
        }
    }
}

// --- Progress ------------------------------------------------------------------------------

TEST_F(StitchPath, StatusWindowNamesEachPhaseAndRefreshesEvery500Points)
{
    int pulses = 0;
    uiHooks.statusPulse = [&](void*) { ++pulses; };
    const int slot = LoadPattern(Line(0, 0, 0.1f, 600));  // 60 inches, nothing to cut
    NewPatternLayoutNode(slot, -1, 0, 0.0f, 0.0f);
    statWindow = CreateStatusWindow("CREATING PATTERN OUTPUT FILE");
    testing::internal::CaptureStdout();
    PackFullPattern();
    testing::internal::GetCapturedStdout();
    // 600 points for the angles and 600 for the subdivision: counts 0, 500, 1000.
    EXPECT_EQ(pulses, 3);
    EXPECT_EQ(statWindow->count, 1200);
    CloseStatusWindow(statWindow);
    EXPECT_EQ(ui.statusTexts,
              (std::vector<std::string>{"CREATING PATTERN OUTPUT FILE", "Setting Pattern Angles",
                                        "Breaking Up Long Lines", "Setting Feeds"}));
}

}  // namespace
