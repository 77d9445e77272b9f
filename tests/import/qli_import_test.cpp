#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "import/import_path.h"
#include "import/import_test_util.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

// Every point lies `radius` from (cx, cy), to the three decimals written.
void ExpectOnCircle(const std::vector<PatternPoint>& points, double cx, double cy, double radius)
{
    for (const PatternPoint& p : points)
        EXPECT_NEAR(std::hypot(p.x - cx, p.y - cy), radius, 0.002) << p.x << " " << p.y;
}

}  // namespace

TEST(QliImport, MovesAndOriginsMakeRunsInFileOrder)
{
    ImportResult r = RunQli("VP 1000,2000\nVP 3000,2000\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.text, "c e s\np X0.000 Y2.000\np X2.000 Y2.000\nc e e\nc s\n");

    // VE moves the origin to the pen and opens a new run; a gap of 0 is sewn through.
    r = RunQli("VP 3000,2000\nVE\nVP 0,0\nVP 1000,0\n");
    EXPECT_EQ(r.text,
              "c e s\np X0.000 Y2.000\nc e e\n"
              "c e s\np X0.000 Y2.000\np X1.000 Y2.000\nc e e\nc s\n");

    // A gap of 0.3 between runs starts a new stroke; a missing Y counts as 0.
    r = RunQli("VP 0,0 VP 1000 VE VP 300,0 VP 1000,0");
    const std::vector<PatternBlock> blocks = Blocks(r.text);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_TRUE(blocks[1].strokeStart);
    EXPECT_DOUBLE_EQ(blocks[1].points[0].x, 1.3);
    EXPECT_DOUBLE_EQ(blocks[1].points[1].x, 2.0);
}

TEST(QliImport, ArcsTurnBothWaysFromThePen)
{
    // From (1, 0) a quarter circle of radius 1 around (0, 0), counter-clockwise to (0, 1).
    // Mirrored with the largest Y (1) the centre lands on (0, 1) and the end on (0, 0).
    ImportResult r = RunQli("VP 1000,0 CR 1000,0,90");
    std::vector<PatternPoint> points = AllPoints(r.text);
    ASSERT_EQ(Blocks(r.text).size(), 1u);
    EXPECT_NEAR(points.size(), 2 + 16u, 1u);  // the move, ~16 chords of 0.1, the end
    EXPECT_DOUBLE_EQ(points[0].x, points[1].x);  // the arc starts where the pen stands
    EXPECT_DOUBLE_EQ(points[0].y, points[1].y);
    ExpectOnCircle(points, 0, 1, 1);
    EXPECT_NEAR(points.back().x, 0, 0.0006);
    EXPECT_NEAR(points.back().y, 0, 0.0006);

    // Sweep -90 turns clockwise to (0, -1). The largest Y is 0 and the smallest -1, so Y
    // becomes -Y - 1: the centre lands on (0, -1) and the end on (0, 0).
    r = RunQli("VP 1000,0 CR 1000,0,-90");
    points = AllPoints(r.text);
    ExpectOnCircle(points, 0, -1, 1);
    EXPECT_NEAR(points.back().x, 0, 0.0006);
    EXPECT_NEAR(points.back().y, 0, 0.0006);
    for (const PatternPoint& p : points)
        EXPECT_LE(p.y, 0.0005);

    // An arc without a move before it starts at the origin.
    r = RunQli("CR 500,180,180");
    points = AllPoints(r.text);
    EXPECT_NEAR(points.back().x, 1.0, 0.0006);
}

TEST(QliImport, EndCommentsAndEmptyFiles)
{
    ImportResult r = RunQli("VP 0,0 VP 1000,0 EN VP 5000,5000");
    EXPECT_EQ(AllPoints(r.text).size(), 2u);
    r = RunQli("REM VP 1000,1000 moves nowhere\nNO VP 2000,2000\nVP 0,0\n");
    EXPECT_EQ(AllPoints(r.text).size(), 1u);
    // Without moves or arcs there is nothing to write.
    for (const char* empty : {"", "EN", "REM only a comment\n", "XX 1,2 VE"}) {
        r = RunQli(empty);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.text, "") << empty;
    }
}

TEST(QliImport, UnreadableAndHostileValuesArePassedOver)
{
    // Values that do not parse leave their run empty, and empty runs are not written.
    ImportResult r = RunQli("VP 0,0 VE VP abc VE CR x,1,2 VE VP 1000,0 VE VP");
    EXPECT_EQ(r.status, 1);
    std::vector<PatternBlock> blocks = Blocks(r.text);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(AllPoints(r.text).size(), 2u);

    // Radii that are not positive, corrupt angles and numbers beyond an int draw nothing;
    // a radius or sweep so large it would need millions of points is cut to a bounded count.
    r = RunQli("VP 0,0 CR 0,0,90 CR -1000,0,90 CR 1000,nan,90 CR 1000,0,inf "
               "CR 99999999999,0,90 VP 1000,0");
    EXPECT_EQ(AllPoints(r.text).size(), 2u);
    EXPECT_EQ(r.text.find("nan"), std::string::npos);
    r = RunQli("VP 0,0 CR 2000000000,0,360 CR 1000,1e30,1e30 CR 1000,0,-1e37");
    EXPECT_EQ(r.status, 1);
    EXPECT_LE(AllPoints(r.text).size(), 1 + 3 * (static_cast<std::size_t>(kMaxArcPoints) + 2));
    EXPECT_EQ(r.text.find("nan"), std::string::npos);
    EXPECT_EQ(r.text.find("inf"), std::string::npos);
}

TEST(QliImport, ShowsItsPhasesInTheStatusWindow)
{
    ScriptedUi ui;
    RunQli("VP 0,0");
    EXPECT_EQ(ui.statusTexts, (std::vector<std::string>{"CONVERTING QLI", "Gathering Points",
                                                        "Find Min and Max", "Adjust Points",
                                                        "Invert Pattern", "Writing Output File"}));
}
