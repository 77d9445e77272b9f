// corvan-tool layout fit: placements scaled into their box, and refusals that write nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace {

using Pts = std::vector<std::pair<float, float>>;

// ./NAME.qlf: box 0 with these corners holding one w x h pattern placed at (2, 3), and an
// empty box 1.
void SaveFitLayout(const std::string& name, const Pts& corners, float w, float h)
{
    ResetLayout();
    BogusExtents();
    Pattern* p = newPattern();
    for (auto [x, y] : Pts{{0, 0}, {w, 0}, {w, h}, {0, h}}) {
        p->pointX.push_back(x);
        p->pointY.push_back(y);
    }
    p->pointCount = 4;
    p->name = "tile";
    UpdatePatternSize(p);
    StorePattern(0, p);
    PatternBox* box = GetPatternBox(0);
    ClearPatternBox(box);
    for (auto [x, y] : corners)
        AddPatternBoxPoint(box, x, y, 0, 0);
    SetPatternBoxOrigin(box);
    currentBox = 0;
    NewPatternLayoutNode(0, -1, 0, 2.0f, 3.0f);
    CreatePatternBox();
    ASSERT_EQ(SaveLayout(name, kOverwriteWithoutAsking, kNameIsPath), 1);
    ResetLayout();
}

const Pts kSquare10{{0, 0}, {0, 10}, {10, 10}, {10, 0}};

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(LayoutFitCommand, ScalesIntoTheBoxAndItsMargin)
{
    TempDir dir;
    SaveFitLayout("tall", kSquare10, 1, 2);
    ToolRun run = RunCorvanTool({"layout", "fit", "tall.qlf", "out.qlf", "--box", "0", "--separate"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "placement 0: pattern 0 (tile)  X 10.0000  Y 5.0000  size 10.000 x "
                             "10.000  at 0.000, 0.000\n"))
        << run.out;
    ToolRun show = RunCorvanTool({"layout", "show", "out.qlf"});
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_TRUE(Has(show.out, "10.000 x 10.000 inches")) << show.out;
    EXPECT_TRUE(Has(show.out, "0: box 0, pattern 0 (tile) at 0.000, 0.000\n")) << show.out;

    SaveFitLayout("square", kSquare10, 1, 1);
    run = RunCorvanTool({"layout", "fit", "square.qlf", "m.qlf", "--box", "0", "--margin", "0.5"});
    ASSERT_EQ(run.status, 0) << run.err;
    show = RunCorvanTool({"layout", "show", "m.qlf"});
    EXPECT_TRUE(Has(show.out, "9.000 x 9.000 inches")) << show.out;
    EXPECT_TRUE(Has(show.out, "at 0.500, 0.500\n")) << show.out;
}

TEST(LayoutFitCommand, RefusalsWriteNothing)
{
    TempDir dir;
    SaveFitLayout("square", kSquare10, 1, 1);
    SaveFitLayout("ccw", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 1, 1);
    dir.Write("junk.qlf", "this is not a layout\n");
    const std::vector<std::pair<std::vector<std::string>, int>> runs = {
        {{"square.qlf", "out.qlf"}, 2},
        {{"square.qlf", "out.qlf", "--box", "50"}, 2},
        {{"square.qlf", "out.qlf", "--box", "0", "--margin", "-1"}, 2},
        {{"square.qlf", "out.qlf", "--box", "0", "--margin", "nan"}, 2},
        {{"square.qlf", "out.qlf", "--box", "0", "--margin", "10"}, 2},
        {{"square.qlf", "out.qlf", "--box", "0", "--grow"}, 2},
        {{"square.qlf", "--box", "0"}, 2},
        {{"junk.qlf", "out.qlf", "--box", "0"}, 1},
        {{"absent.qlf", "out.qlf", "--box", "0"}, 1},
        {{"square.qlf", "out.qlf", "--box", "1"}, 1},
        {{"square.qlf", "out.qlf", "--box", "2"}, 1},
        {{"square.qlf", "out.qlf", "--box", "0", "--margin", "5"}, 1},
        {{"ccw.qlf", "out.qlf", "--box", "0"}, 1},
    };
    for (const auto& [args, status] : runs) {
        std::vector<std::string> full{"layout", "fit"};
        full.insert(full.end(), args.begin(), args.end());
        ToolRun run = RunCorvanTool(full);
        EXPECT_EQ(run.status, status) << args.back() << ": " << run.err;
        EXPECT_TRUE(Has(run.err, "corvan-tool: ")) << args.back();
        EXPECT_FALSE(dir.Exists("out.qlf")) << args.back();
        EXPECT_FALSE(dir.Exists("out.qlf.part")) << args.back();
    }
}
