#include "machine/run_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/console.h"
#include "base/screen_state.h"
#include "base/sensitivity.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"
#include "machine/stitch_path.h"
#include "machine/stitching_run.h"

namespace run {

namespace {
bool ended = false;
// A move refused or unanswered this many times in a row means the line is gone; each try
// without an answer takes the reply's full second.
constexpr int kMoveAttempts = 10;
}  // namespace

void Error(const std::string& text) { UiShowMessage(MSG_ERROR, BUTTONS_OK, text); }
void Warning(const std::string& text) { UiShowMessage(MSG_WARNING, BUTTONS_OK, text); }
void Information(const std::string& text) { UiShowMessage(MSG_INFO, BUTTONS_OK, text); }
int Question(int buttons, const std::string& text)
{
    return UiShowMessage(MSG_QUESTION, buttons, text);
}

void SetRunMask() { SetSensitivity(kMaskStitching); }

bool RefuseWhileHomeMoved()
{
    if (!homeMovedSinceArea)
        return false;
    Error("THE MACHINE'S HOME HAS MOVED.\nSET THE QUILTING AREA AGAIN.");
    return true;
}

void WidgetsChanged() { UiRunWidgetsChanged(); }

void SwitchLocksOff()
{
    const bool x = runWidgets.lockXToggle;
    const bool y = runWidgets.lockYToggle;
    if (!x && !y)
        return;
    // Switching a lock off releases its axis, as its handler would. The widgets follow
    // runWidgets once both are done.
    if (x) {
        runWidgets.lockXToggle = false;
        ReleaseAllUI();
        DisableX();
    }
    if (y) {
        runWidgets.lockYToggle = false;
        ReleaseAllUI();
        DisableY();
    }
    WidgetsChanged();
}

bool StitcherReady()
{
    unsigned char answer = 0;
    if (GetStitcher(&answer) != 0 || answer == STITCHER_READY)
        return true;
    Warning(answer == STITCHER_NOT_ROBOT ? "HANDLE BARS NOT IN ROBOT MODE"
                                         : "STITCH CONTROLLER NOT PRESENT");
    runWidgets.stitchingToggle = false;
    WidgetsChanged();
    WidgetsChanged();
    StitchOff();
    return false;
}

void NoteMachineEnd(const char* what)
{
    runEndReason = SerialLineHungUp() ? "the line to the controller was hung up" : what;
}

bool Ended() { return ended; }
void MarkEnded(bool e) { ended = e; }

bool SendPointMove(const FullPattern_t* p, float feed)
{
    for (int attempt = 0; attempt < kMoveAttempts; ++attempt) {
        if (SendMove(p->x, p->y, feed) == 0)
            return true;
        ConsoleLine("Send Point Failed");
    }
    return false;
}

float Distance_thou(const FullPattern_t* a, const FullPattern_t* b)
{
    const float dx = a->x - b->x;
    const float dy = a->y - b->y;
    return std::sqrt(dx * dx + dy * dy);
}

StallWatch::StallWatch() : deadline_ms_(Monotonic_ms() + kPeriod_ms) {}

void StallWatch::Progress() { deadline_ms_ = Monotonic_ms() + kPeriod_ms; }

void StallWatch::Status(int status)
{
    // An unanswered poll tells nothing: it neither counts as a change nor hides one, so
    // answered and unanswered polls taking turns do not keep a stalled carriage alive.
    if (status < 0)
        return;
    if (status != lastStatus_)
        Progress();
    lastStatus_ = status;
}

bool StallWatch::RanOut()
{
    if (Monotonic_ms() < deadline_ms_)
        return false;
    int x = 0, y = 0;
    const bool read = GetXY(&x, &y) == 0;
    if (read && !havePosition_) {
        // Nothing to compare with yet: look again a moment later.
        havePosition_ = true;
        x_ = x;
        y_ = y;
        deadline_ms_ = Monotonic_ms() + kSecondLook_ms;
        return false;
    }
    const bool moved = read && (std::abs(x - x_) > 5 || std::abs(y - y_) > 5);
    if (read) {
        x_ = x;
        y_ = y;
    }
    if (moved) {
        Progress();
        return false;
    }
    return true;
}

}  // namespace run
