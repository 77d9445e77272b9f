// corvan-tool layout show FILE.qlf: what a layout file holds, for technicians: the
// quilting area, the loaded patterns, the pattern boxes, the placements in stitching order
// and the arrays.
#include <cstdio>
#include <string>

#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "tools/tool.h"
#include "tools/tool_support.h"

namespace {

void ShowPolygon(const PatternBox& box)
{
    std::printf("origin %.3f, %.3f  size %.3f x %.3f  angle %.1f  centre %.3f, %.3f\n",
                box.originX, box.originY, box.width, box.height, box.angle, box.centerX,
                box.centerY);
    std::printf("    %d corners:", box.cornerCount);
    for (const BoxPoint* c = box.corners; c != nullptr; c = c->next)
        std::printf(" (%.3f, %.3f)", c->x, c->y);
    std::printf("\n");
}

void ShowPatterns()
{
    const int used = patternList != nullptr ? patternList->usedCount : 0;
    std::printf("patterns: %d\n", used);
    for (int slot = 0; slot < kPatternSlots; ++slot) {
        const Pattern* p = GetPattern(slot);
        if (p == nullptr)
            continue;
        std::printf("  pattern %d: %s  %d points, %d commands, %.3f x %.3f inches, rotation %d\n",
                    slot, p->name.c_str(), p->pointCount, p->commandCount, p->width, p->height,
                    p->rotation);
    }
}

int PlacementsInBox(int box)
{
    int n = 0;
    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next)
        n += node->boxIndex == box ? 1 : 0;
    return n;
}

void ShowBoxes()
{
    const int count = patternBoxList != nullptr ? patternBoxList->count : 0;
    std::printf("pattern boxes: %d\n", count);
    for (int slot = 0; slot < MAX_PATTERN_BOXES; ++slot) {
        const PatternBox* box = GetPatternBox(slot);
        if (box == nullptr)
            continue;
        std::printf("  box %d (%d placements): ", slot, PlacementsInBox(slot));
        ShowPolygon(*box);
    }
}

void ShowPlacements()
{
    int count = 0;
    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next)
        ++count;
    std::printf("placements: %d\n", count);
    int index = 0;
    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next, ++index) {
        const Pattern* p = GetPattern(node->patternIndex);
        std::printf("  %d: box %d, pattern %d (%s) at %.3f, %.3f", index, node->boxIndex,
                    node->patternIndex, p != nullptr ? p->name.c_str() : "missing", node->x,
                    node->y);
        if (node->arrayIndex >= 0)
            std::printf(", array %d%s", node->arrayIndex, node->isArrayParent ? " (parent)" : "");
        std::printf("\n");
    }
}

void ShowArrays()
{
    int count = 0;
    for (int slot = 0; slot < MAX_ARRAYS; ++slot)
        count += GetArrayNode(slot) != nullptr ? 1 : 0;
    std::printf("arrays: %d\n", count);
    for (int slot = 0; slot < MAX_ARRAYS; ++slot)
        if (const ArrayNode* a = GetArrayNode(slot))
            std::printf("  array %d: %d rows x %d columns, spacing %.3f down, %.3f across\n", slot,
                        a->rows, a->columns, a->spacingDown, a->spacingAcross);
}

}  // namespace

int RunLayoutShow(const ToolArgs& args)
{
    if (args.size() != 1)
        return ToolUsage("layout show", "layout show needs exactly one layout file");
    if (!LoadLayoutForTool(args[0])) {
        std::fprintf(stderr, "corvan-tool: cannot load the layout %s\n", args[0].c_str());
        ResetLayout();
        return kToolFailed;
    }
    std::printf("layout %s\n", args[0].c_str());
    std::printf("quilting area: ");
    if (extents != nullptr)
        ShowPolygon(*extents);
    else
        std::printf("none\n");
    ShowPatterns();
    ShowBoxes();
    ShowPlacements();
    ShowArrays();
    ResetLayout();
    return kToolOk;
}
