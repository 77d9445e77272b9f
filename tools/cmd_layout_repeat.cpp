// corvan-tool layout repeat / layout autofill: the pop-up menu's Repeat and the layout half
// of its Autofill on one placement of a layout file, written to a new layout file.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/settings_load.h"
#include "base/interface.h"
#include "base/settings.h"
#include "patterns/array_layout.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern_box.h"
#include "tools/tool.h"
#include "tools/tool_support.h"

namespace {

struct Options {
    std::vector<std::string> files;
    long node = -1;
    long across = -1, down = -1;
    double spacing = 0.0;
};

int Fail(const std::string& message)
{
    std::fprintf(stderr, "corvan-tool: %s\n", message.c_str());
    interface_.selectedNode = nullptr;
    ResetLayout();
    return kToolFailed;
}

// Reads the options; `grid` allows --across, --down and --spacing.
int Parse(const char* name, const ToolArgs& args, bool grid, Options* o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool more = i + 1 < args.size();
        if (a == "--node") {
            if (!more || !ParseToolInt(args[++i], 0, 1000000, &o->node))
                return ToolUsage(name, "--node needs a placement number as layout show counts them");
        } else if (grid && (a == "--across" || a == "--down")) {
            long* count = a == "--across" ? &o->across : &o->down;
            if (!more || !ParseToolInt(args[++i], kRepeatMinCount, kRepeatMaxCount, count))
                return ToolUsage(name, a + " needs a count from 1 to 20");
        } else if (grid && a == "--spacing") {
            if (!more || !ParseToolNumber(args[++i], &o->spacing) ||
                o->spacing < -kRepeatMaxSpacing || o->spacing > kRepeatMaxSpacing)
                return ToolUsage(name, "--spacing needs inches from -10 to 10");
        } else if (a.rfind("--", 0) == 0) {
            return ToolUsage(name, "unknown option '" + a + "'");
        } else {
            o->files.push_back(a);
        }
    }
    if (o->files.size() != 2)
        return ToolUsage(name, std::string(name) + " needs IN.qlf and OUT.qlf");
    if (o->node < 0)
        return ToolUsage(name, std::string(name) + " needs --node K");
    if (grid && (o->across < 0 || o->down < 0))
        return ToolUsage(name, "layout repeat needs --across A and --down D");
    return kToolOk;
}

// Loads IN and finds placement K; null (message given) when either fails.
LayoutNode* LoadNode(const Options& o)
{
    if (!LoadLayoutForTool(o.files[0])) {
        std::fprintf(stderr, "corvan-tool: cannot load the layout %s\n", o.files[0].c_str());
        return nullptr;
    }
    long index = 0;
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next, ++index)
        if (index == o.node)
            return n;
    std::fprintf(stderr, "corvan-tool: the layout has no placement %ld (it has %ld)\n", o.node,
                 index);
    return nullptr;
}

int Write(const Options& o, const char* what)
{
    const std::string& out = o.files[1];
    if (!SaveLayoutForTool(out))
        return Fail("cannot write " + out);
    int count = 0;
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        ++count;
    std::printf("%s placement %ld of %s into %s: %d placements\n", what, o.node,
                o.files[0].c_str(), out.c_str(), count);
    interface_.selectedNode = nullptr;
    ResetLayout();
    return kToolOk;
}

// The margins the program would use: ./defaults.mrv when it is there.
void LoadMargins()
{
    SetSettingsStartingValues();
    if (access(kSettingsFile, R_OK) == 0) {
        ReadDefaultFloat(REC_X_MARGIN, &xMargin);
        ReadDefaultFloat(REC_Y_MARGIN, &yMargin);
    }
    ApplySettingsRules();
}

}  // namespace

int RunLayoutRepeat(const ToolArgs& args)
{
    const char* name = "layout repeat";
    Options o;
    if (const int parsed = Parse(name, args, true, &o); parsed != kToolOk)
        return parsed;
    LayoutNode* node = LoadNode(o);
    if (node == nullptr)
        return Fail("nothing written");
    currentBox = node->boxIndex;
    const float s = float(o.spacing);
    if (ApplyRepeat(node, int(o.down), s, int(o.across), s) != REPEAT_DONE)
        return Fail(std::string(kCouldNotAddArray) + ": nothing written");
    return Write(o, "repeated");
}

int RunLayoutAutofill(const ToolArgs& args)
{
    const char* name = "layout autofill";
    Options o;
    if (const int parsed = Parse(name, args, false, &o); parsed != kToolOk)
        return parsed;
    LoadMargins();
    LayoutNode* node = LoadNode(o);
    if (node == nullptr)
        return Fail("nothing written");
    currentBox = node->boxIndex;
    if (GetPatternBox(currentBox) == nullptr)
        return Fail("the placement's pattern box is missing: nothing written");
    int stretch = 0;
    const int result = AutofillLayout(node, &stretch);
    if (result != AUTOFILL_LAID_OUT)
        return Fail("autofill refused (see the message above): nothing written");
    return Write(o, "autofilled");
}
