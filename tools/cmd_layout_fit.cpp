// corvan-tool layout fit IN.qlf OUT.qlf --box N [--margin M] [--separate]: every placement of
// one pattern box scaled as large as the box allows (each array as a whole), written to a new
// layout file.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "base/interface.h"
#include "base/settings.h"
#include "patterns/box_margin.h"
#include "patterns/fitting.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/lp_scale.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "tools/tool.h"
#include "tools/tool_support.h"

namespace {

const char kName[] = "layout fit";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "corvan-tool: %s\n", message.c_str());
    interface_.selectedNode = nullptr;
    ResetLayout();
    return kToolFailed;
}

}  // namespace

int RunLayoutFit(const ToolArgs& args)
{
    std::vector<std::string> files;
    long boxSlot = -1;
    double margin = 0.0;
    bool separate = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--box") {
            if (i + 1 >= args.size() || !ParseToolInt(args[++i], 0, MAX_PATTERN_BOXES - 1, &boxSlot))
                return ToolUsage(kName, "--box needs a box number from 0 to 49");
        } else if (a == "--margin") {
            if (i + 1 >= args.size() || !ParseToolNumber(args[++i], &margin) || margin < 0.0 ||
                margin >= 10.0)
                return ToolUsage(kName, "--margin needs inches from 0 up to (not including) 10");
        } else if (a == "--separate") {
            separate = true;
        } else if (a.rfind("--", 0) == 0) {
            return ToolUsage(kName, "unknown option '" + a + "'");
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2)
        return ToolUsage(kName, "layout fit needs IN.qlf and OUT.qlf");
    if (boxSlot < 0)
        return ToolUsage(kName, "layout fit needs --box N");
    const std::string& in = files[0];
    const std::string& out = files[1];

    if (!LoadLayoutForTool(in))
        return Fail("cannot load the layout " + in);
    const int slot = int(boxSlot);
    const PatternBox* box = GetPatternBox(slot);
    if (box == nullptr)
        return Fail("the layout has no pattern box " + std::to_string(slot));
    if (!CheckPatternBox(box))
        return Fail("CANNOT AUTOSCALE TO DEFINED PATTERN BOX. ABORTING AUTOSCALE. (box " +
                    std::to_string(slot) + " is not convex with its corners clockwise)");
    currentBox = slot;
    const PointArray whole = BoxPolygon(box);
    PointArray polygon = whole;
    const float savedMargin = xMargin;
    xMargin = float(margin);
    AdjustForMargin(&polygon);
    xMargin = savedMargin;
    if (!MarginLeavesBox(whole, polygon))
        return Fail("a margin of " + std::to_string(margin) + " inches leaves nothing of box " +
                    std::to_string(slot));

    // Each single placement once, each array once through its parent.
    std::vector<LayoutNode*> targets;
    std::vector<int> indices;
    std::vector<int> arraysDone;
    int index = 0;
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next, ++index) {
        if (n->boxIndex != slot)
            continue;
        if (n->arrayIndex >= 0) {
            bool seen = false;
            for (int a : arraysDone)
                seen = seen || a == n->arrayIndex;
            if (seen)
                continue;
            arraysDone.push_back(n->arrayIndex);
            LayoutNode* parent = GetParentNode(n);
            targets.push_back(parent != nullptr ? parent : n);
        } else {
            targets.push_back(n);
        }
        indices.push_back(index);
    }
    if (targets.empty())
        return Fail("box " + std::to_string(slot) + " holds no placement");

    for (size_t t = 0; t < targets.size(); ++t) {
        LayoutNode* node = targets[t];
        interface_.selectedNode = node;
        AutoScaleResult r;
        {
            ConsoleToStderr quiet;
            r = runAutoScale(separate ? 0 : 1, &polygon);
        }
        const Pattern* p = GetPattern(node->patternIndex);
        if (!r.solved || p == nullptr)
            return Fail("placement " + std::to_string(indices[t]) + " has no solution in box " +
                        std::to_string(slot));
        if (node->arrayIndex >= 0)
            std::printf("array %d (placement %d): ", node->arrayIndex, indices[t]);
        else
            std::printf("placement %d: ", indices[t]);
        std::printf("pattern %d (%s)  X %.4f  Y %.4f  size %.3f x %.3f  at %.3f, %.3f\n",
                    node->patternIndex, p->name.c_str(), r.scaleX, r.scaleY, p->width, p->height,
                    node->x, node->y);
    }
    interface_.selectedNode = nullptr;

    if (!SaveLayoutForTool(out))
        return Fail("cannot write " + out);
    std::printf("fitted box %d of %s into %s\n", slot, in.c_str(), out.c_str());
    ResetLayout();
    return kToolOk;
}
