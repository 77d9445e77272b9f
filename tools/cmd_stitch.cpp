// corvan-tool stitch LAYOUT.qlf --device PATH [--box N] [--no-stitch] [--type T]
// Runs a whole stitching run of one pattern box of a layout file against a controller (a
// real one or mc1sim), headless: every question is answered OK or Yes and printed to
// standard error. Exit status 0 when the path was completed, 1 (with the reason) when the
// run did not get to its end, 2 for wrong arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/settings.h"
#include "app/settings_load.h"
#include "app/ui_hooks.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "machine/stitching_run.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern_box.h"
#include "tools/tool.h"

namespace {

const char* const kCommand = "stitch";

struct StitchOptions {
    std::string layout;
    std::string device;
    int box = 0;
    bool stitching = true;
    int machineType = 0;
};

bool ParseInt(const std::string& text, int low, int high, int* out)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < low || v > high)
        return false;
    *out = static_cast<int>(v);
    return true;
}

// Every question answered affirmatively, every message on standard error; the last error
// or warning is kept as the reason a run did not finish.
void InstallAnsweringUi(std::string* lastProblem)
{
    ResetUiHooks();
    uiHooks.showMessage = [lastProblem](int kind, int buttons, const std::string& text) {
        std::fprintf(stderr, "[%s] %s\n",
                     kind == MSG_ERROR ? "error" : kind == MSG_WARNING ? "warning"
                                                 : kind == MSG_QUESTION ? "question" : "info",
                     text.c_str());
        if (kind == MSG_ERROR || kind == MSG_WARNING)
            *lastProblem = text;
        return AffirmativeResponse(buttons);
    };
    uiHooks.showMessageSpecial = [](int, const std::string& text, const std::string&, int) {
        std::fprintf(stderr, "[question] %s\n", text.c_str());
        return static_cast<int>(RESPONSE_OK);
    };
}

// The controller's stitch settings where it keeps them; the usual values otherwise.
void LoadRunSettings(int machineType)
{
    SetSettingsStartingValues();
    int length = 0, stitchSpeed = 0, minimum = 0, locks = 0;
    if (GetStitchSettings(&length, &stitchSpeed, &minimum, &locks) == 0) {
        stitchLen = length;
        speed = stitchSpeed;
        minimumSpeed = minimum;
        stitchRep = locks;
    } else {
        speed = 40;
        minimumSpeed = 2;
        stitchRep = 4;
    }
    needleUpMethod = machineType;
    ApplySettingsRules();
}

}  // namespace

int RunStitch(const ToolArgs& args)
{
    StitchOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--device" || arg == "--box" || arg == "--type") {
            if (!hasValue)
                return ToolUsage(kCommand, "missing value after " + arg);
            const std::string& value = args[++i];
            if (arg == "--device")
                o.device = value;
            else if (arg == "--box" && !ParseInt(value, 0, MAX_PATTERN_BOXES - 1, &o.box))
                return ToolUsage(kCommand, "--box needs a box number from 0 to 49");
            else if (arg == "--type" && !ParseInt(value, 0, 11, &o.machineType))
                return ToolUsage(kCommand, "--type needs a machine type from 0 to 11");
        } else if (arg == "--no-stitch") {
            o.stitching = false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return ToolUsage(kCommand, "unknown option " + arg);
        } else if (o.layout.empty()) {
            o.layout = arg;
        } else {
            return ToolUsage(kCommand, "more than one layout file: " + arg);
        }
    }
    if (o.layout.empty())
        return ToolUsage(kCommand, "no layout file given");
    if (o.device.empty())
        return ToolUsage(kCommand, "no device given (--device PATH)");

    std::string problem;
    InstallAnsweringUi(&problem);
    ResetLayout();
    if (LoadLayout(o.layout, 1, 1) != 1) {
        std::fprintf(stderr, "corvan-tool: cannot load the layout %s\n", o.layout.c_str());
        return kToolFailed;
    }
    if (GetPatternBox(o.box) == nullptr) {
        std::fprintf(stderr, "corvan-tool: the layout has no pattern box %d\n", o.box);
        return kToolFailed;
    }
    currentBox = o.box;

    setenv("CORVAN_SERIAL", o.device.c_str(), 1);
    if (OpenPort() < 0) {
        std::fprintf(stderr, "corvan-tool: cannot open %s\n", o.device.c_str());
        return kToolFailed;
    }
    LoadRunSettings(o.machineType);
    runWidgets.stitchingToggle = o.stitching;

    startButtonReleased();
    const bool completed = runCompleted == 1;
    const std::string reason = runEndReason;
    ClosePort();
    ResetLayout();
    if (completed) {
        std::printf("%s: box %d %s to its end\n", o.layout.c_str(), o.box,
                    o.stitching ? "stitched" : "travelled");
        return kToolOk;
    }
    std::fprintf(stderr, "corvan-tool: the run did not complete: %s\n",
                 !problem.empty()  ? problem.c_str()
                 : !reason.empty() ? reason.c_str()
                                   : "it was stopped");
    return kToolFailed;
}
