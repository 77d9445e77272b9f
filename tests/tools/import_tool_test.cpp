#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "import/import_test_util.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace {

const std::string kOld = "c s\np X1.000 Y1.000\n";

bool HasLine(const std::string& text, const std::string& line)
{
    for (const std::string& l : TextLines(text))
        if (l == line)
            return true;
    return false;
}

}  // namespace

TEST(ImportTool, ConvertsAStickTreeAndNamesWhatFailed)
{
    TempDir dir;
    dir.Write("stick/quilts/border/star.dxf", DxfDrawing(DxfLine(0, 0, 2, 0)));
    dir.Write("stick/quilts/border/broken.DXF", "  0\nLINE\n  8\n0\n 10\n1\n");
    dir.Write("stick/quilts/feather.qli", "VP 0,0\nVP 1000,0\n");
    dir.Write("stick/quilts/plain.qcc", kOld);
    dir.Write("stick/loose.qcc", kOld);
    dir.Write("patterns/loose.qcc", "mine");
    mkdir((dir / "patterns").c_str(), 0777);

    ToolRun run = RunCorvanTool({"import", "stick/quilts", "stick/loose.qcc", "patterns"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(HasLine(run.out, "imported stick/quilts/border/star.dxf -> "
                                 "patterns/quilts/border/star.qcc")) << run.out;
    EXPECT_TRUE(HasLine(run.out, "imported stick/quilts/feather.qli -> patterns/quilts/feather.qcc"));
    EXPECT_TRUE(HasLine(run.out, "copied stick/quilts/plain.qcc -> patterns/quilts/plain.qcc"));
    EXPECT_TRUE(HasLine(run.out, "failed: stick/quilts/border/broken.DXF: the drawing could not "
                                 "be imported"));
    EXPECT_TRUE(HasLine(run.out, "kept patterns/loose.qcc (exists)"));
    EXPECT_EQ(TextLines(run.out).size(), 5u);
    EXPECT_EQ(AllPoints(dir.Read("patterns/quilts/border/star.qcc")).size(), 2u);
    EXPECT_EQ(dir.Read("patterns/quilts/plain.qcc"), kOld);
    EXPECT_EQ(dir.Read("patterns/loose.qcc"), "mine");
    EXPECT_FALSE(dir.Exists("patterns/quilts/border/broken.qcc"));

    // Again with --overwrite and without the broken drawing: everything lands, exit 0.
    unlink((dir / "stick/quilts/border/broken.DXF").c_str());
    run = RunCorvanTool({"import", "--overwrite", "stick/quilts/", "stick/loose.qcc", "patterns/"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(dir.Read("patterns/loose.qcc"), kOld);
}

TEST(ImportTool, RefusesWhatTheFileManagerRefuses)
{
    TempDir dir;
    dir.Write("patterns/quilts/a.qcc", kOld);
    ToolRun run = RunCorvanTool({"import", "patterns/quilts", "patterns/quilts"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "failed: patterns/quilts: a folder cannot be copied into itself\n");
    run = RunCorvanTool({"import", "patterns/quilts/a.qcc", "patterns/quilts"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "failed: patterns/quilts/a.qcc: source and destination are the same file\n");
    EXPECT_EQ(dir.Read("patterns/quilts/a.qcc"), kOld);
    run = RunCorvanTool({"import", "patterns/quilts/a.qcc", "patterns/none"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("patterns/none is not a folder"), std::string::npos);
    EXPECT_EQ(RunCorvanTool({"import", "only-one"}).status, 2);
    EXPECT_EQ(RunCorvanTool({"import", "--force", "a", "b"}).status, 2);
}
