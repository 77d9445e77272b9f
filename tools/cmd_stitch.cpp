// corvan-tool stitch LAYOUT.qlf --device PATH [--box N] [--no-stitch] [--type T]
//                   [--start-near X Y]
// Runs a whole stitching run of one pattern box of a layout file against a controller (a
// real one or mc1sim), headless: every question is answered OK or Yes and printed to
// standard error. With --start-near the start question is answered SET START and the run
// starts at the point the start dialog would pick for a head at (X, Y) thousandths. Exit status 0 when the path was completed, 1 (with the reason) when the
// run did not get to its end, 2 for wrong arguments.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/settings.h"
#include "app/settings_load.h"
#include "base/ui_hooks.h"
#include "base/interface.h"
#include "machine/controller.h"
#include "machine/point_select.h"
#include "machine/serial.h"
#include "machine/stitching_run.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern_box.h"
#include "tools/tool.h"
#include "tools/tool_support.h"

namespace {

const char* const kCommand = "stitch";

struct StitchOptions {
    std::string layout;
    std::string device;
    int box = 0;
    bool stitching = true;
    int machineType = 0;
    bool startNear = false;
    int32_t nearX = 0, nearY = 0;
};

// The head position --start-near stands for, read by the start-point choice below.
int32_t headX = 0, headY = 0;

FullPattern_t* StartNearHead()
{
    return NearestStartPoint(interface_.stitchList, headX, headY);
}

bool ParseInt32(const std::string& text, int32_t* out)
{
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX)
        return false;
    *out = static_cast<int32_t>(v);
    return true;
}

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
void InstallAnsweringUi(std::string* lastProblem, bool setStart)
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
    uiHooks.showMessageSpecial = [setStart](int, const std::string& text,
                                            const std::string& extraButton, int extraResponse) {
        std::fprintf(stderr, "[question] %s\n", text.c_str());
        if (setStart) {
            std::fprintf(stderr, "[answer] %s\n", extraButton.c_str());
            return extraResponse;
        }
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
        } else if (arg == "--start-near") {
            if (i + 2 >= args.size() || !ParseInt32(args[i + 1], &o.nearX) ||
                !ParseInt32(args[i + 2], &o.nearY))
                return ToolUsage(kCommand, "--start-near needs X and Y in thousandths of an inch");
            o.startNear = true;
            i += 2;
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
    InstallAnsweringUi(&problem, o.startNear);
    headX = o.nearX;
    headY = o.nearY;
    runSelectPoint = o.startNear ? StartNearHead : nullptr;
    ResetLayout();
    if (LoadLayoutForTool(o.layout) != 1) {
        std::fprintf(stderr, "corvan-tool: cannot load the layout %s\n", o.layout.c_str());
        return kToolFailed;
    }
    if (GetPatternBox(o.box) == nullptr) {
        std::fprintf(stderr, "corvan-tool: the layout has no pattern box %d\n", o.box);
        return kToolFailed;
    }
    currentBox = o.box;

    bool completed = false;
    std::string reason;
    {
        // The program's console lines are not the result: they go to standard error.
        ConsoleToStderr console;
        setenv("CORVAN_SERIAL", o.device.c_str(), 1);
        if (OpenPort() < 0) {
            std::fprintf(stderr, "corvan-tool: cannot open %s\n", o.device.c_str());
            return kToolFailed;
        }
        LoadRunSettings(o.machineType);
        runWidgets.stitchingToggle = o.stitching;

        startButtonReleased();
        completed = runCompleted == 1;
        reason = runEndReason;
        ClosePort();
        ResetLayout();
    }
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
