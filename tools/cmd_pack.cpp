// corvan-tool pack LAYOUT.qlf: the stitch path of one pattern box, one point per line,
//     x y feed jump interpolated
// x and y in thousandths of an inch, feed in percent, each with four decimals; jump and
// interpolated 0 or 1. Settings come from ./defaults.mrv when it is there (the first-start
// values otherwise); the options override them. Nothing is written to the settings file.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/interface.h"
#include "base/settings.h"
#include "app/settings_load.h"
#include "machine/stitch_path.h"
#include "patterns/layout.h"
#include "patterns/pattern_box.h"
#include "tools/tool.h"
#include "tools/tool_support.h"

namespace {

const char kName[] = "pack";

// The ranges the setup screens allow; a minimum speed above 60 would ask for more than
// 100 percent.
constexpr double kSettingLow = 5.0, kSettingHigh = 100.0;
constexpr long kMinimumSpeedHigh = 60;

struct PackOptions {
    std::string layout;
    long box = 0;
    bool hasAcceleration = false, hasCurvature = false, hasMinimumSpeed = false;
    double acceleration = 0, curvature = 0;
    long minimumSpeed = 0;
};

// Parses the arguments; returns kToolOk or the usage status (already reported).
int ParseOptions(const ToolArgs& args, PackOptions* o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            if (i + 1 >= args.size())
                return ToolUsage(kName, a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--box") {
                if (!ParseToolInt(v, 0, MAX_PATTERN_BOXES - 1, &o->box))
                    return ToolUsage(kName, "--box takes a box number from 0 to 49, not '" + v + "'");
            } else if (a == "--acceleration" || a == "--curvature") {
                double value = 0;
                if (!ParseToolNumber(v, &value) || value < kSettingLow || value > kSettingHigh)
                    return ToolUsage(kName, a + " takes a number from 5 to 100, not '" + v + "'");
                (a == "--acceleration" ? o->acceleration : o->curvature) = value;
                (a == "--acceleration" ? o->hasAcceleration : o->hasCurvature) = true;
            } else if (a == "--min-speed") {
                if (!ParseToolInt(v, 0, kMinimumSpeedHigh, &o->minimumSpeed))
                    return ToolUsage(kName, "--min-speed takes a whole number from 0 to 60, not '" + v + "'");
                o->hasMinimumSpeed = true;
            } else {
                return ToolUsage(kName, "unknown option '" + a + "'");
            }
        } else if (o->layout.empty()) {
            o->layout = a;
        } else {
            return ToolUsage(kName, "only one layout file, got '" + o->layout + "' and '" + a + "'");
        }
    }
    if (o->layout.empty())
        return ToolUsage(kName, "pack needs a layout file");
    return kToolOk;
}

// The settings the path depends on, as the program would have them without a controller.
void LoadPathSettings(const PackOptions& o)
{
    SetSettingsStartingValues();
    minimumSpeed = 2;  // the controller's value is unknown here: the first-start one
    if (access(kSettingsFile, R_OK) == 0) {
        ReadDefaultFloat(REC_ACCELERATION, &acceleration);
        ReadDefaultFloat(REC_CURVATURE, &curvature);
    }
    ApplySettingsRules();
    if (o.hasAcceleration)
        acceleration = static_cast<float>(o.acceleration);
    if (o.hasCurvature)
        curvature = static_cast<float>(o.curvature);
    if (o.hasMinimumSpeed)
        minimumSpeed = static_cast<int>(o.minimumSpeed);
    minSpeed = static_cast<float>(minimumSpeed * 10.0 / 6.0);
}

}  // namespace

int RunPack(const ToolArgs& args)
{
    PackOptions options;
    const int parsed = ParseOptions(args, &options);
    if (parsed != kToolOk)
        return parsed;
    LoadPathSettings(options);

    if (!LoadLayoutForTool(options.layout)) {
        std::fprintf(stderr, "corvan-tool: cannot load the layout %s\n", options.layout.c_str());
        ResetLayout();
        return kToolFailed;
    }
    const int boxes = patternBoxList != nullptr ? patternBoxList->count : 0;
    if (GetPatternBox(static_cast<int>(options.box)) == nullptr) {
        std::fprintf(stderr, "corvan-tool: the layout has no pattern box %ld (it has %d)\n",
                     options.box, boxes);
        ResetLayout();
        return kToolFailed;
    }
    currentBox = static_cast<int>(options.box);
    {
        ConsoleToStderr quiet;
        PackFullPattern();
    }
    const bool hasPath = interface_.stitchList != nullptr;
    for (const FullPattern_t* p = interface_.stitchList; p != nullptr; p = p->next)
        std::printf("%.4f %.4f %.4f %d %d\n", p->x, p->y, p->feed, p->jump, p->interpolated);
    const bool written = std::fflush(stdout) == 0 && !std::ferror(stdout);
    FreeStitchList();
    ResetLayout();
    if (!hasPath) {
        std::fprintf(stderr, "corvan-tool: pattern box %ld holds nothing to stitch\n",
                     options.box);
        return kToolFailed;
    }
    if (!written) {
        std::fprintf(stderr, "corvan-tool: could not write the path\n");
        return kToolFailed;
    }
    return kToolOk;
}
