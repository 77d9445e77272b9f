// corvan-tool pack and layout show, run as the technician runs them: the real binary in a
// private working folder, on layouts saved by the program itself.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "base/settings.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace {

ToolRun RunTool(const std::vector<std::string>& args) { return RunCorvanTool(args); }
std::vector<std::string> Lines(const std::string& text) { return TextLines(text); }

// A layout with two boxes: box 0 (origin 1, 2) holds an L-shaped pattern placed twice,
// 0.3 inch apart, box 1 holds nothing. Saved as ./test.qlf.
void SaveTestLayout()
{
    ResetLayout();
    BogusExtents();
    Pattern* p = newPattern();
    for (auto xy : {std::pair<float, float>{0, 0}, {1, 0}, {1, 1}}) {
        p->pointX.push_back(xy.first);
        p->pointY.push_back(xy.second);
    }
    p->pointCount = 3;
    p->name = "ell";
    UpdatePatternSize(p);
    StorePattern(0, p);
    ClearPatternBox(GetPatternBox(0));
    PatternBox* box = GetPatternBox(0);
    AddPatternBoxPoint(box, 1, 2, 1, 0);
    AddPatternBoxPoint(box, 1, 12, 0, 0);
    AddPatternBoxPoint(box, 11, 12, 0, 0);
    AddPatternBoxPoint(box, 11, 2, 0, 0);
    SetPatternBoxOrigin(box);
    currentBox = 0;
    NewPatternLayoutNode(0, -1, 0, 0.0f, 0.0f);
    NewPatternLayoutNode(0, -1, 0, 1.3f, 1.0f);
    CreatePatternBox();
    ASSERT_EQ(SaveLayout("test", kOverwriteWithoutAsking, kNameIsPath), 1);
    ResetLayout();
}

TEST(PackCommand, PrintsOnePointPerLineWithFeedsFromTheSettings)
{
    TempDir dir;
    SaveTestLayout();

    ToolRun run = RunTool({"pack", "test.qlf"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    // Two L shapes of 1 + 1 inch, each side cut into 10 pieces: 21 points each.
    ASSERT_EQ(lines.size(), 42u) << run.out;
    EXPECT_EQ(lines.front(), "1000.0000 2000.0000 0.0000 0 0");
    EXPECT_EQ(lines[1].substr(0, 19), "1100.0000 2000.0000");
    EXPECT_EQ(lines[1].substr(lines[1].size() - 4), " 0 1");
    // The first L ends 0.3 inch from where the second starts: a jump, left uncut.
    EXPECT_EQ(lines[20].substr(0, 19), "2000.0000 3000.0000");
    EXPECT_EQ(lines[20].substr(lines[20].size() - 4), " 1 0");
    EXPECT_EQ(lines[21].substr(0, 19), "2300.0000 3000.0000");
    EXPECT_EQ(lines.back(), "3300.0000 4000.0000 0.0000 0 0");
    EXPECT_NE(run.err.find("Acceleration Value: 1400.0"), std::string::npos) << run.err;

    // The minimum speed raises the slowest interior feed: 30 * 10 / 6 = 50 percent.
    ToolRun slow = RunTool({"pack", "test.qlf", "--min-speed", "30", "--acceleration", "100"});
    ASSERT_EQ(slow.status, 0) << slow.err;
    std::vector<std::string> slowLines = Lines(slow.out);
    ASSERT_EQ(slowLines.size(), 42u);
    for (size_t i = 1; i + 1 < slowLines.size(); ++i) {
        float x, y, feed;
        int jump, interpolated;
        ASSERT_EQ(std::sscanf(slowLines[i].c_str(), "%f %f %f %d %d", &x, &y, &feed, &jump,
                              &interpolated),
                  5);
        EXPECT_GE(feed, 50.0f) << slowLines[i];
        EXPECT_LE(feed, 100.0f) << slowLines[i];
    }
    EXPECT_NE(slow.err.find("Acceleration Value: 3500.0"), std::string::npos);

    // Settings come from ./defaults.mrv when it is there; the tool never writes it.
    ToolRun fast = RunTool({"pack", "test.qlf", "--acceleration", "100"});
    ASSERT_EQ(WriteDefaultFloat(REC_ACCELERATION, 100.0f), 1);
    ToolRun fromFile = RunTool({"pack", "test.qlf"});
    EXPECT_EQ(fromFile.out, fast.out);
    EXPECT_NE(fromFile.out, run.out);

    ToolRun empty = RunTool({"pack", "test.qlf", "--box", "1"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.out, "");
    EXPECT_NE(empty.err.find("pattern box 1 holds nothing to stitch"), std::string::npos);
    ToolRun missing = RunTool({"pack", "test.qlf", "--box", "2"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no pattern box 2 (it has 2)"), std::string::npos) << missing.err;
}

TEST(PackCommand, RefusesBadArgumentsAndBadFiles)
{
    TempDir dir;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"pack"},
          {"pack", "a.qlf", "b.qlf"},
          {"pack", "a.qlf", "--box"},
          {"pack", "a.qlf", "--box", "-1"},
          {"pack", "a.qlf", "--box", "50"},
          {"pack", "a.qlf", "--box", "1x"},
          {"pack", "a.qlf", "--acceleration", "nan"},
          {"pack", "a.qlf", "--acceleration", "4.9"},
          {"pack", "a.qlf", "--curvature", "1e999"},
          {"pack", "a.qlf", "--min-speed", "61"},
          {"pack", "a.qlf", "--min-speed", "2.5"},
          {"pack", "a.qlf", "--speed", "3"}}) {
        ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_NE(run.err.find("usage: corvan-tool pack"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    ToolRun absent = RunTool({"pack", "absent.qlf"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_NE(absent.err.find("cannot load the layout absent.qlf"), std::string::npos);

    dir.Write("garbage.qlf", std::string("\x02\x41\x42\xff\x00\x10\x05", 7) + std::string(300, 'x'));
    ToolRun garbage = RunTool({"pack", "garbage.qlf"});
    EXPECT_EQ(garbage.status, 1) << garbage.out;
    EXPECT_EQ(garbage.out, "");
}

TEST(LayoutShowCommand, SummarisesEveryPartOfTheLayout)
{
    TempDir dir;
    SaveTestLayout();
    ToolRun layout = RunTool({"layout", "show", "test.qlf"});
    ASSERT_EQ(layout.status, 0) << layout.err;
    for (const char* expected :
         {"quilting area: origin 0.000, 0.000  size 35.000 x 14.000", "patterns: 1\n",
          "  pattern 0: ell  3 points, 0 commands, 1.000 x 1.000 inches",
          "pattern boxes: 2\n", "  box 0 (2 placements): origin 1.000, 2.000  size 10.000 x 10.000",
          "  box 1 (0 placements)", "placements: 2\n",
          "  1: box 0, pattern 0 (ell) at 1.300, 1.000\n", "arrays: 0\n"})
        EXPECT_NE(layout.out.find(expected), std::string::npos) << expected << "\n" << layout.out;
    // The summary alone on standard output; the file is read without a waiting window.
    EXPECT_EQ(layout.out.rfind("layout test.qlf\nquilting area: ", 0), 0u) << layout.out;
    ASSERT_GE(layout.out.size(), 10u);
    EXPECT_EQ(layout.out.substr(layout.out.size() - 10), "arrays: 0\n") << layout.out;
    EXPECT_EQ(layout.err.find("Waiting Window"), std::string::npos) << layout.err;

    ToolRun absent = RunTool({"layout", "show", "absent.qlf"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.out, "");
    EXPECT_EQ(absent.err, "[message] COULD NOT OPEN LAYOUT FILE.\n"
                          "corvan-tool: cannot load the layout absent.qlf\n");
    EXPECT_EQ(RunTool({"layout", "show", "a.qlf", "b.qlf"}).status, 2);
}

}  // namespace
