#include <glib.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/import_test_util.h"
#include "patterns/pattern.h"
#include "support/temp_dir.h"

namespace {

struct ToolRun {
    int exitStatus = -1;
    std::string out, err;
};

ToolRun RunTool(std::vector<std::string> args)
{
    args.insert(args.begin(), std::string(CORVAN_BINARY_DIR) + "/corvan-tool");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    ToolRun run;
    gchar* out = nullptr;
    gchar* err = nullptr;
    gint status = 0;
    GError* error = nullptr;
    if (!g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, &out,
                      &err, &status, &error)) {
        ADD_FAILURE() << "cannot run corvan-tool: " << error->message;
        g_error_free(error);
        return run;
    }
    run.out = out ? out : "";
    run.err = err ? err : "";
    g_free(out);
    g_free(err);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

TEST(CorvanTool, HelpAndUsageErrors)
{
    ToolRun run = RunTool({"--help"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_NE(run.out.find("convert"), std::string::npos);
    EXPECT_EQ(RunTool({"convert", "--help"}).exitStatus, 0);

    run = RunTool({});
    EXPECT_EQ(run.exitStatus, 2);
    run = RunTool({"nonsense"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find("unknown command 'nonsense'"), std::string::npos);
    EXPECT_EQ(RunTool({"convert", "only-one.dxf"}).exitStatus, 2);
    run = RunTool({"convert", "drawing.svg", "out.qcc"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.err.find("neither a .dxf nor a .qli"), std::string::npos);
    EXPECT_EQ(RunTool({"convert", "drawing.dxf", "out.txt"}).exitStatus, 2);
}

TEST(CorvanTool, ConvertWritesPatternsTheLoaderReads)
{
    TempDir dir;
    // Two lines 0.5 apart: two strokes of two points each, framed by entity commands.
    dir.Write("Two Lines.DXF", DxfDrawing(DxfLine(0, 0, 1, 0) + DxfLine(0, 0.5, 1, 0.5)));
    ToolRun run = RunTool({"convert", dir / "Two Lines.DXF", dir / "two.qcc"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    Pattern* pattern = newPattern(dir / "two.qcc");
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ(pattern->pointCount, 4);
    EXPECT_FLOAT_EQ(pattern->width, 1.0f);
    EXPECT_FLOAT_EQ(pattern->height, 0.5f);
    const std::vector<CommandKind> kinds = {CommandKind::Start, CommandKind::EntityStart, CommandKind::EntityEnd, CommandKind::Start,
                                    CommandKind::EntityStart, CommandKind::EntityEnd, CommandKind::Start};
    EXPECT_EQ(pattern->commandType, kinds);
    EXPECT_EQ(pattern->commandPoint, (std::vector<int>{1, 1, 3, 3, 3, 5, 5}));
    erasePattern(pattern);

    dir.Write("path.qli", "VP 0,0\nVP 2000,0\nCR 1000,270,180\nEN\n");
    run = RunTool({"convert", dir / "path.qli", dir / "path.QCC"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    pattern = newPattern(dir / "path.QCC");
    ASSERT_NE(pattern, nullptr);
    EXPECT_NEAR(pattern->width, 3.0f, 0.001f);
    EXPECT_NEAR(pattern->height, 2.0f, 0.001f);
    erasePattern(pattern);
}

TEST(CorvanTool, FailedConversionsLeaveTheDestinationAlone)
{
    TempDir dir;
    dir.Write("cut.dxf", "  0\nLINE\n  8\n0\n 10\n1\n");
    dir.Write("old.qcc", "c s\np X1.000 Y1.000\n");
    ToolRun run = RunTool({"convert", dir / "cut.dxf", dir / "old.qcc"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("could not be converted"), std::string::npos);
    EXPECT_EQ(dir.Read("old.qcc"), "c s\np X1.000 Y1.000\n");
    EXPECT_FALSE(dir.Exists("old.qcc.part"));

    run = RunTool({"convert", dir / "missing.qli", dir / "new.qcc"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("cannot read"), std::string::npos);
    EXPECT_FALSE(dir.Exists("new.qcc"));
    run = RunTool({"convert", dir / "cut.dxf", dir / "no/such/folder/x.qcc"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos);
}
