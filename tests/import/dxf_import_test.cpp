#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>

#include "import/import_path.h"
#include "import/import_test_util.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

double Distance(const PatternPoint& a, const PatternPoint& b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

std::string Lwpolyline(const std::string& pairs)
{
    return "  0\nLWPOLYLINE\n  8\n0\n 90\n3\n 70\n1\n" + pairs;
}

}  // namespace

TEST(DxfImport, DashedLinesAndStoppingMacroTextsDropLines)
{
    TempDir dir;
    // A DASHED line is dropped; the plain one after it stays.
    ImportResult r = RunDxf(DxfDrawing(DxfLine(0, 0, 1, 0, "  6\nDASHED\n") + DxfLine(0, 5, 2, 5)));
    ASSERT_EQ(r.status, 0);
    std::vector<PatternPoint> points = AllPoints(r.text);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_DOUBLE_EQ(points[1].x - points[0].x, 2.0);

    // Two texts drop the next two LINEs whatever their line type; the third is kept. A
    // drawing written with bare line feeds is read the same as one with CR LF.
    const std::string two = DxfText("STOPPING_MACRO LINETYPE") + DxfText("STOPPING_MACRO LINETYPE") +
                            DxfLine(0, 0, 1, 0, "  6\nCONTINUOUS\n") + DxfLine(0, 1, 1, 1) +
                            DxfLine(0, 2, 3, 2);
    r = RunDxf(DxfDrawing(two));
    ASSERT_EQ(r.status, 0);
    points = AllPoints(r.text);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_DOUBLE_EQ(std::fabs(points[1].x - points[0].x), 3.0);
    std::string crlf;
    for (char c : DxfDrawing(two))
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(RunDxf(crlf).text, r.text);

    // Only the line type says DASHED: a layer of that name drops nothing, and other texts
    // drop nothing.
    r = RunDxf(DxfDrawing(DxfText("STOPPING_MACRO") +
                          "  0\nLINE\n  8\nDASHED\n 10\n0\n 20\n0\n 11\n1\n 21\n0\n"));
    EXPECT_EQ(AllPoints(r.text).size(), 2u);
}

TEST(DxfImport, LineWithoutLineTypeKeepsItsEndPoints)
{
    TempDir dir;
    // Most programs leave group 6 out; a layer with blanks in its name and a value before
    // the layer must not derail the reading either.
    const std::string dxf = DxfDrawing(
        "  0\nLINE\n  5\n2F\n  8\nWall 2\n 10\n1.5\n 20\n2.5\n 30\n0\n 11\n4.5\n 21\n6.5\n 31\n0\n" +
        std::string("  0\nLINE\n 10\n10\n 20\n0\n  8\n0\n 11\n11\n 21\n0\n"));
    const ImportResult r = RunDxf(dxf);
    ASSERT_EQ(r.status, 0);
    const std::vector<PatternBlock> blocks = Blocks(r.text);
    ASSERT_EQ(blocks.size(), 2u);
    // Normalised: X from 1.5, and the top (Y 6.5) at 0.
    EXPECT_NEAR(blocks[0].points[0].x, 0.0, 1e-9);
    EXPECT_NEAR(blocks[0].points[0].y, 4.0, 1e-9);
    EXPECT_NEAR(blocks[0].points[1].x, 3.0, 1e-9);
    EXPECT_NEAR(blocks[0].points[1].y, 0.0, 1e-9);
    ASSERT_EQ(blocks[1].points.size(), 2u);
    EXPECT_NEAR(std::fabs(blocks[1].points[1].x - blocks[1].points[0].x), 1.0, 1e-9);
    EXPECT_NE(dir.Read("dxf.log").find("Added points of LINE ( 1.500, 2.500 ) ( 4.500, 6.500 )\n"),
              std::string::npos);
}

TEST(DxfImport, CirclesAndArcsAreCutIntoTenthInchChords)
{
    TempDir dir;
    ImportResult r = RunDxf(DxfDrawing(DxfCircle(5, 5, 1)));
    ASSERT_EQ(r.status, 0);
    std::vector<PatternPoint> points = AllPoints(r.text);
    EXPECT_EQ(points.size(), 64u);  // 63 on the loop and the closing point
    EXPECT_LT(Distance(points.front(), points.back()), 0.001);
    for (std::size_t i = 1; i + 1 < points.size(); ++i)
        EXPECT_NEAR(Distance(points[i - 1], points[i]), 0.1, 0.002) << i;
    // Normalised, the circle touches X 0 and Y 0 and spans 2 inches.
    double minX = 9, maxY = -9;
    for (const PatternPoint& p : points) {
        minX = std::min(minX, p.x);
        maxY = std::max(maxY, p.y);
    }
    EXPECT_NEAR(minX, 0.0, 0.001);
    EXPECT_NEAR(maxY, 2.0, 0.002);

    // From 350 to 10 degrees passes through 0: every point lies in that 20 degree sector,
    // and the last is exactly the 10 degree point. Centre (0, 0), radius 2: the drawing
    // spans X from 2 cos 10 to 2, Y from -2 sin 10 to 2 sin 10.
    r = RunDxf(DxfDrawing(DxfArc(0, 0, 2, 350, 10)));
    ASSERT_EQ(r.status, 0);
    points = AllPoints(r.text);
    ASSERT_EQ(points.size(), 8u);  // 7 chords of 0.1 on 0.7 inches of arc, and the end
    const double rad = 3.14159265358979 / 180;
    const double x0 = 2 * std::cos(10 * rad), top = 2 * std::sin(10 * rad);
    for (const PatternPoint& p : points) {
        const double angle = std::atan2(top - p.y, p.x + x0) / rad;
        EXPECT_GT(angle, -10.03);  // three decimals are 0.015 degrees at radius 2
        EXPECT_LT(angle, 10.03);
    }
    EXPECT_NEAR(points.front().y, 2 * top, 0.001);  // starts at 350 degrees, the bottom
    EXPECT_NEAR(points.back().x, 0.0, 0.0006);      // ends at 10 degrees, the top
    EXPECT_NEAR(points.back().y, 0.0, 0.0006);

    // An end a hair below the start is an arc all the way round, not a dot.
    r = RunDxf(DxfDrawing(DxfArc(0, 0, 2.5, 270, 269.99999427)));
    EXPECT_NEAR(AllPoints(r.text).size(), 158u, 1u);

    // Angles given outside 0..360 name the same directions: -90..90 is the right half.
    r = RunDxf(DxfDrawing(DxfArc(0, 0, 1, -90, 90)));
    points = AllPoints(r.text);
    EXPECT_NEAR(points.size(), 32u, 1u);
    for (const PatternPoint& p : points)
        EXPECT_LE(p.x, 1.0005);
}

TEST(DxfImport, HostileArcsAreBoundedOrLeftOut)
{
    TempDir dir;
    // Zero, negative and corrupt radii and angles draw nothing; the LINE after them does.
    const std::string bad = DxfCircle(0, 0, 0) + DxfCircle(0, 0, -3) + DxfArc(0, 0, -1, 0, 90) +
                            DxfCircle(0, 0, NAN) + DxfArc(0, 0, 1, INFINITY, 90) +
                            DxfArc(1e300, 0, 1, 0, 90) + DxfLine(0, 0, 1, 0);
    ImportResult r = RunDxf(DxfDrawing(bad));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(Blocks(r.text).size(), 1u);
    EXPECT_EQ(r.text.find("nan"), std::string::npos);
    EXPECT_EQ(r.text.find("inf"), std::string::npos);

    // A radius that would need millions of chords gets at most kMaxArcPoints of them, still
    // on the circle; angles far beyond a turn still step.
    const auto started = std::chrono::steady_clock::now();
    r = RunDxf(DxfDrawing(DxfCircle(0, 0, 4e5) + DxfArc(0, 0, 1, 1e30, -1e30)));
    ASSERT_EQ(r.status, 0);
    const std::vector<PatternBlock> blocks = Blocks(r.text);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_LE(blocks[0].points.size() + blocks[1].points.size(),
              static_cast<std::size_t>(kMaxArcPoints) + 2 + 5000);
    EXPECT_GE(blocks[0].points.size() + blocks[1].points.size(), 1000u);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
}

TEST(DxfImport, RunsSharingEndsAreOneStrokeAndGapsStartNewOnes)
{
    TempDir dir;
    // The second line is listed backwards; the chain takes it from its nearer end.
    ImportResult r = RunDxf(DxfDrawing(DxfLine(0, 0, 1, 0) + DxfLine(2, 1, 1, 0)));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.text,
              "c s\nc e s\np X0.000 Y1.000\np X1.000 Y1.000\nc e e\n"
              "c e s\np X1.000 Y1.000\np X2.000 Y0.000\nc e e\nc s\n");

    // Listed in the other order and direction, the two lines still make one stroke.
    r = RunDxf(DxfDrawing(DxfLine(1, 0, 0, 0) + DxfLine(1, 0, 2, 1)));
    std::vector<PatternBlock> blocks = Blocks(r.text);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_FALSE(blocks[1].strokeStart);
    EXPECT_DOUBLE_EQ(blocks[0].points[0].x, 0.0);
    EXPECT_DOUBLE_EQ(blocks[0].points[1].x, 1.0);
    EXPECT_DOUBLE_EQ(blocks[1].points[0].x, 1.0);

    // A gap of 0.3 starts a new stroke, a gap of 0.25 is sewn through.
    r = RunDxf(DxfDrawing(DxfLine(0, 0, 1, 0) + DxfLine(1.3, 0, 2, 0) + DxfLine(2.25, 0, 3, 0)));
    blocks = Blocks(r.text);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_TRUE(blocks[0].strokeStart);
    EXPECT_TRUE(blocks[1].strokeStart);
    EXPECT_FALSE(blocks[2].strokeStart);

    // The nearest run goes next even when it was read later, from its nearer end; ties go to
    // the earlier run.
    r = RunDxf(DxfDrawing(DxfLine(0, 0, 1, 0) + DxfLine(9, 0, 8, 0) + DxfLine(5, 0, 6, 0) +
                          DxfLine(1, 0, 2, 0) + DxfLine(1, 0, 1, 5)));
    blocks = Blocks(r.text);
    ASSERT_EQ(blocks.size(), 5u);
    const double order[5][2] = {{0, 1}, {1, 2}, {1, 1}, {5, 6}, {8, 9}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(blocks[i].points.front().x, order[i][0]) << i;
        EXPECT_DOUBLE_EQ(blocks[i].points.back().x, order[i][1]) << i;
    }
}

TEST(DxfImport, NormalisesToTheTopLeftCornerAndMirrors)
{
    TempDir dir;
    const ImportResult r = RunDxf(DxfDrawing(DxfLine(-3, 7, 2, 12) + "  0\nPOINT\n  8\n0\n 10\n0\n 20\n8\n"));
    ASSERT_EQ(r.status, 0);
    const std::vector<PatternPoint> points = AllPoints(r.text);
    ASSERT_EQ(points.size(), 3u);
    auto has = [&](double x, double y) {
        for (const PatternPoint& p : points)
            if (p.x == x && p.y == y)
                return true;
        return false;
    };
    EXPECT_TRUE(has(0, 5));  // (-3, 7): leftmost and lowest
    EXPECT_TRUE(has(5, 0));  // (2, 12): the top
    EXPECT_TRUE(has(3, 4));  // the POINT (0, 8)
}

TEST(DxfImport, EmptyDrawingsBlocksAndEmptyRuns)
{
    TempDir dir;
    const std::string empty = "c s\nc e s\nc e e\nc s\n";
    EXPECT_EQ(RunDxf("").text, empty);
    EXPECT_EQ(RunDxf(DxfDrawing("")).text, empty);
    // Entities of block definitions are not imported, but those after the block are.
    const std::string block = "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  8\n0\n  2\nFLOWER\n" +
                              DxfCircle(0, 0, 5) + DxfLine(0, 0, 9, 9) +
                              "  0\nENDBLK\n  8\n0\n  0\nENDSEC\n";
    ImportResult r = RunDxf(block + DxfDrawing(DxfLine(0, 0, 1, 0)));
    EXPECT_EQ(AllPoints(r.text).size(), 2u);
    r = RunDxf(block + DxfDrawing(""));
    EXPECT_EQ(r.text, empty);
    // A polyline without vertices between two lines, and one at the end, leave no empty block.
    r = RunDxf(DxfDrawing(DxfLine(0, 0, 1, 0) + Lwpolyline("") + DxfLine(5, 0, 6, 0) +
                          Lwpolyline("")));
    EXPECT_EQ(Blocks(r.text).size(), 2u);
}

TEST(DxfImport, PolylinesLightweightPolylinesAndSplines)
{
    TempDir dir;
    // Closed flag and bulges add nothing: three vertices, three points, in order.
    ImportResult r = RunDxf(DxfDrawing(
        Lwpolyline(" 10\n0\n 20\n0\n 42\n0.5\n 10\n1\n 20\n0\n 10\n1\n 20\n1\n")));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.text, "c s\nc e s\np X0.000 Y1.000\np X1.000 Y1.000\np X1.000 Y0.000\nc e e\nc s\n");

    const std::string polyline =
        "  0\nPOLYLINE\n  8\n0\n 66\n1\n 70\n1\n"
        "  0\nVERTEX\n  8\n0\n 10\n0\n 20\n0\n 42\n1.0\n"
        "  0\nVERTEX\n  8\n0\n 10\n2\n 20\n0\n"
        "  0\nVERTEX\n  8\n0\n 10\n2\n 20\n2\n"
        "  0\nSEQEND\n  8\n0\n";
    r = RunDxf(DxfDrawing(polyline));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(AllPoints(r.text).size(), 3u);
    const std::string log = dir.Read("dxf.log");
    EXPECT_NE(log.find("Found Polyline...\np X1-0.000 Y1-0.000\tX2-0.000 Y2-0.000\n"),
              std::string::npos);
    EXPECT_NE(log.find("End Polyline\n"), std::string::npos);

    // A drawing cut off inside a polyline keeps what was read.
    r = RunDxf(polyline.substr(0, polyline.find("SEQEND")));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(AllPoints(r.text).size(), 3u);

    // A spline is its control polygon; fit points are passed over.
    r = RunDxf(DxfDrawing("  0\nSPLINE\n  8\n0\n 70\n8\n 71\n3\n 10\n0\n 20\n0\n 10\n1\n 20\n2\n"
                          " 10\n2\n 20\n0\n 10\n3\n 20\n2\n 11\n7\n 21\n7\n"));
    EXPECT_EQ(AllPoints(r.text).size(), 4u);
}

TEST(DxfImport, CorruptDrawingsAreRefusedWithoutOutput)
{
    TempDir dir;
    const std::string line = DxfLine(0, 0, 1, 0);
    const std::string cut[] = {
        "  0\nLINE\n  8\n0\n 10\n1\n 20\n",         // ends inside the values
        "  0\nLINE\n  8\n0\n 10\nabc\n 20\n1\n  0\nEOF\n",  // a coordinate that is no number
        "  0\nLWPOLYLINE\n  8\n0\n 10\n",           // ends inside a polyline
        "  0\nBLOCK\n  8\n0\n" + line,              // a block that never ends
        "  0\nTEXT\n  8\n0\n  1\nSTOPPING",         // ends inside a text
        "  0\nCIRCLE\n  8\n0\n xx\n1\n  0\nEOF\n",  // a group code that is no number
    };
    for (const std::string& dxf : cut) {
        const ImportResult r = RunDxf(line + dxf);
        EXPECT_EQ(r.status, -1) << dxf;
        EXPECT_EQ(r.text, "") << dxf;
    }
    RunDxf(line + cut[0]);
    EXPECT_NE(dir.Read("dxf.log").find("Failed on LINE\n"), std::string::npos);
}

TEST(DxfImport, ShowsItsPhasesInTheStatusWindow)
{
    TempDir dir;
    ScriptedUi ui;
    RunDxf(DxfDrawing(DxfLine(0, 0, 1, 0)));
    EXPECT_EQ(ui.statusTexts, (std::vector<std::string>{"CONVERTING DXF", "Gathering Points",
                                                        "Find Min and Max", "Adjust Points",
                                                        "Invert Pattern", "Writing Output File"}));
}

TEST(DxfImport, OverlongLinesAreCutWithoutLosingTheirSuccessors)
{
    TempDir dir;
    // A text value far beyond the line buffer is cut; the text still counts only when whole,
    // and the line after it is read as a line, not as the rest of the text.
    const std::string longText(5000, 'x');
    ImportResult r = RunDxf(DxfDrawing(DxfText("STOPPING_MACRO LINETYPE" + longText) +
                                       DxfLine(0, 0, 1, 0) + "999\n" + longText + "\n" +
                                       DxfLine(0, 1, 1, 1)));
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(Blocks(r.text).size(), 2u);
}
