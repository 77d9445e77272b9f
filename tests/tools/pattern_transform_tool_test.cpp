// corvan-tool pattern transform: operations in order, and refusals that leave OUT alone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace {

const char kBar[] = "n bar\nc e s\npX0Y0\npX2Y0\npX2Y1\npX0Y1\nc e e\n";

}  // namespace

TEST(PatternTransformCommand, AppliesOperationsInOrder)
{
    TempDir dir;
    dir.Write("bar.qcc", kBar);
    ToolRun run = RunCorvanTool({"pattern", "transform", "bar.qcc", "out.qcc", "--quarter", "cw",
                                 "--mirror", "h", "--reverse", "--stretch", "2", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.Read("out.qcc"),
              "n bar\nc e s\np X0.000 Y2.000\np X0.000 Y0.000\np X2.000 Y0.000\n"
              "p X2.000 Y2.000\nc e e\n");
    EXPECT_FALSE(dir.Exists("out.qcc.part"));

    // Turning by 90 degrees is the clockwise quarter turn of the pop-up menu; OUT may be IN.
    ASSERT_EQ(RunCorvanTool({"pattern", "transform", "bar.qcc", "q.qcc", "--quarter", "cw"}).status, 0);
    dir.Write("r.qcc", kBar);
    ASSERT_EQ(RunCorvanTool({"pattern", "transform", "r.qcc", "r.qcc", "--rotate", "90"}).status, 0);
    EXPECT_EQ(dir.Read("r.qcc"), dir.Read("q.qcc"));
    EXPECT_NE(dir.Read("r.qcc"), kBar);
}

TEST(PatternTransformCommand, RefusalsLeaveTheOutputUntouched)
{
    TempDir dir;
    dir.Write("bar.qcc", kBar);
    dir.Write("none.qcc", "n only a name\nc s\nc e s\n");
    mkdir("folder.qcc", 0777);
    const std::string before = "previous contents\n";
    dir.Write("out.qcc", before);
    const std::vector<std::pair<std::vector<std::string>, int>> runs = {
        {{"bar.qcc", "out.qcc"}, 2},
        {{"bar.qcc", "out.qcc", "--spin"}, 2},
        {{"bar.qcc", "out.qcc", "--stretch", "0", "1"}, 2},
        {{"bar.qcc", "out.qcc", "--stretch", "2"}, 2},
        {{"bar.qcc", "out.qcc", "--rotate", "nan"}, 2},
        {{"bar.qcc", "out.qcc", "--quarter", "up"}, 2},
        {{"bar.qcc", "out.txt", "--reverse"}, 2},
        {{"missing.qcc", "out.qcc", "--reverse"}, 1},
        {{"folder.qcc", "out.qcc", "--reverse"}, 1},
        {{"none.qcc", "out.qcc", "--reverse"}, 1},
        {{"bar.qcc", "out.qcc", "--stretch", "1e9", "1"}, 1},
        {{"bar.qcc", "folder.qcc", "--reverse"}, 1},
    };
    for (const auto& [args, status] : runs) {
        std::vector<std::string> full{"pattern", "transform"};
        full.insert(full.end(), args.begin(), args.end());
        ToolRun run = RunCorvanTool(full);
        EXPECT_EQ(run.status, status) << args.back() << ": " << run.err;
        EXPECT_NE(run.err.find("corvan-tool: "), std::string::npos) << args.back();
        EXPECT_EQ(dir.Read("out.qcc"), before) << args.back();
        EXPECT_FALSE(dir.Exists("out.qcc.part")) << args.back();
        EXPECT_FALSE(dir.Exists("folder.qcc.part")) << args.back();
    }
    EXPECT_EQ(dir.Read("bar.qcc"), kBar);
}
