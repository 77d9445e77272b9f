// corvan-tool pattern show: the summary of a pattern file, and refusals of files that hold
// no pattern.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/tool_run.h"

TEST(PatternShowCommand, CountsPointsCommandsStrokesAndLengths)
{
    TempDir dir;
    // A stroke start before the third point, an entity start after the last one.
    dir.Write("stroke.qcc", "n first\nn second\npX3.0Y4.0\npX4.0Y4.0\nc s\npX4.0Y6.0\nc e s\n");
    ToolRun run = RunCorvanTool({"pattern", "show", "stroke.qcc"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "pattern stroke (stroke.qcc)\n"
              "points: 3\n"
              "size: 1.000 x 2.000 inches (drawn from 3.000, 4.000)\n"
              "commands: 2 (stroke starts 1, feed 0, entity starts 1, entity ends 0)\n"
              "strokes: 2\n"
              "length: 1.000 inches sewn, 2.000 inches between strokes\n"
              "first point: 0.000 0.000\n"
              "last point: 1.000 2.000\n"
              "names: 2\n  first\n  second\n");

    // A stroke start before the first point begins no second stroke.
    dir.Write("lead.qcc", "c s\npX0.0Y0.0\npX0.0Y1.0\npX1.0Y1.0\n");
    ToolRun lead = RunCorvanTool({"pattern", "show", "lead.qcc"});
    ASSERT_EQ(lead.status, 0) << lead.err;
    EXPECT_NE(lead.out.find("strokes: 1\nlength: 2.000 inches sewn, 0.000 inches between"),
              std::string::npos)
        << lead.out;
}

TEST(PatternShowCommand, RefusesWhatHoldsNoPattern)
{
    TempDir dir;
    dir.Write("empty.qcc", "n tiny\n");
    dir.Write("folder.qcc/x", "");
    for (const char* file : {"empty.qcc", "absent.qcc", "folder.qcc"}) {
        ToolRun run = RunCorvanTool({"pattern", "show", file});
        EXPECT_EQ(run.status, 1) << file;
        EXPECT_EQ(run.out, "") << file;
        EXPECT_NE(run.err.find(std::string("cannot read the pattern ") + file), std::string::npos)
            << run.err;
    }
    EXPECT_EQ(RunCorvanTool({"pattern", "show"}).status, 2);
    EXPECT_EQ(RunCorvanTool({"pattern", "show", "a.qcc", "b.qcc"}).status, 2);
}
