// corvan-tool layout repeat / layout autofill: the grid written to a new layout, and refusals
// that write nothing.
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

// ./NAME.qlf: box 0 of 10 x 8 inches holding a w x h pattern at (1, 1).
void SaveOne(const std::string& name, float w, float h)
{
    ResetLayout();
    BogusExtents();
    Pattern* p = newPattern();
    p->pointX = {0, w, w, 0};
    p->pointY = {0, 0, h, h};
    p->pointCount = 4;
    p->name = "tile";
    UpdatePatternSize(p);
    StorePattern(0, p);
    PatternBox* box = GetPatternBox(0);
    ClearPatternBox(box);
    for (auto [x, y] : std::vector<std::pair<float, float>>{{0, 0}, {0, 8}, {10, 8}, {10, 0}})
        AddPatternBoxPoint(box, x, y, 0, 0);
    SetPatternBoxOrigin(box);
    currentBox = 0;
    NewPatternLayoutNode(0, -1, 0, 1.0f, 1.0f);
    ASSERT_EQ(SaveLayout(name, kOverwriteWithoutAsking, kNameIsPath), 1);
    ResetLayout();
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(LayoutRepeatCommand, WritesTheGridInOrder)
{
    TempDir dir;
    SaveOne("one", 4, 3);
    ToolRun run = RunCorvanTool({"layout", "repeat", "one.qlf", "out.qlf", "--node", "0",
                                 "--across", "2", "--down", "3", "--spacing", "0.5"});
    ASSERT_EQ(run.status, 0) << run.err;
    ToolRun show = RunCorvanTool({"layout", "show", "out.qlf"});
    size_t from = 0;
    for (const char* at : {"at 1.000, 1.000", "at 5.500, 1.000", "at 1.000, 4.500",
                           "at 5.500, 4.500", "at 1.000, 8.000", "at 5.500, 8.000"}) {
        from = show.out.find(at, from);
        ASSERT_NE(from, std::string::npos) << at << "\n" << show.out;
    }

    // Autofill with the margins of ./defaults.mrv: a 1-inch margin leaves 9 x 7 for 3 x 2.
    SaveOne("small", 3, 2);
    dir.Write("defaults.mrv", std::string(104, '\0'));
    ASSERT_EQ(WriteDefaultFloat(REC_X_MARGIN, 1.0f), 1);
    ASSERT_EQ(WriteDefaultFloat(REC_Y_MARGIN, 1.0f), 1);
    ToolRun fill = RunCorvanTool({"layout", "autofill", "small.qlf", "fill.qlf", "--node", "0"});
    ASSERT_EQ(fill.status, 0) << fill.err;
    EXPECT_TRUE(Has(fill.out, ": 9 placements")) << fill.out;
}

TEST(LayoutRepeatCommand, RefusalsWriteNothing)
{
    TempDir dir;
    SaveOne("one", 4, 3);
    SaveOne("big", 6, 5);
    dir.Write("junk.qlf", "this is not a layout\n");
    const std::string in = dir.Read("one.qlf");
    const std::vector<std::pair<std::vector<std::string>, int>> runs = {
        {{"repeat", "one.qlf", "out.qlf", "--node", "0", "--across", "0", "--down", "2"}, 2},
        {{"repeat", "one.qlf", "out.qlf", "--node", "0", "--across", "21", "--down", "2"}, 2},
        {{"repeat", "one.qlf", "out.qlf", "--node", "0", "--across", "2", "--down", "2",
          "--spacing", "11"}, 2},
        {{"repeat", "one.qlf", "out.qlf", "--node", "0", "--across", "2", "--down", "2",
          "--spacing", "abc"}, 2},
        {{"repeat", "one.qlf", "out.qlf", "--across", "2", "--down", "2"}, 2},
        {{"repeat", "one.qlf", "out.qlf", "--node", "1", "--across", "2", "--down", "2"}, 1},
        {{"repeat", "junk.qlf", "out.qlf", "--node", "0", "--across", "2", "--down", "2"}, 1},
        {{"repeat", "one.qlf", "no/such/dir/out.qlf", "--node", "0", "--across", "2", "--down",
          "2"}, 1},
        {{"autofill", "one.qlf", "out.qlf", "--node", "5"}, 1},
        {{"autofill", "big.qlf", "out.qlf", "--node", "0"}, 1},
        {{"autofill", "one.qlf", "out.qlf", "--node", "0", "--across", "2"}, 2},
    };
    for (const auto& [args, status] : runs) {
        std::vector<std::string> full{"layout"};
        full.insert(full.end(), args.begin(), args.end());
        ToolRun run = RunCorvanTool(full);
        EXPECT_EQ(run.status, status) << args[4] << ": " << run.err;
        EXPECT_TRUE(Has(run.err, "corvan-tool: ")) << run.err;
        EXPECT_FALSE(dir.Exists("out.qlf"));
        EXPECT_FALSE(dir.Exists("out.qlf.part"));
    }
    EXPECT_EQ(dir.Read("one.qlf"), in);
}
