// Nest: the marks, the move and turn of the current pattern box, and the fine-tune.

#include "app/nesting.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "app/undo.h"
#include "base/console.h"
#include "base/interface.h"
#include "base/screen_config.h"
#include "base/screen_state.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/point_select.h"
#include "patterns/layout.h"
#include "patterns/nesting.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "view/pattern_view.h"

MachineLocation machineOrigin;
MachineLocation machineCurrent;
int runCapture = 0;

namespace {

constexpr int kNestFailed = -90;

bool BoxHasPlacements()
{
    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n->boxIndex == currentBox)
            return true;
    return false;
}

// The head must be free before the quilter is asked to push it anywhere.
void ReleaseAxes()
{
    Resume();
    DisableX();
    DisableY();
    SendCommand(ControllerCommand::HandOver);
}

bool Ask(const char* text)
{
    return UiShowMessage(MSG_INFO, BUTTONS_OK_CANCEL, text) == RESPONSE_OK;
}

// The head is where the quilter pushed it: held there and read.
MachineLocation HoldAndRead()
{
    SetSpeed(int(maxSpeed));
    EnableX();
    EnableY();
    return GetCurrentLocation();
}

int CommunicationError()
{
    UiShowMessage(MSG_ERROR, BUTTONS_OK, kPointReadFailed);
    return kNestFailed;
}

bool TooClose(const MachineLocation& a, const MachineLocation& b)
{
    const double dx = double(b->first) - a->first, dy = double(b->second) - a->second;
    return std::sqrt(dx * dx + dy * dy) < kNestMinMarkDistance;
}

int MarksTooClose()
{
    UiShowMessage(MSG_ERROR, BUTTONS_OK, "THE MARKS ARE TOO CLOSE TOGETHER.\nPLEASE TRY AGAIN.");
    return kNestFailed;
}

enum Step { kRead = 1, kCancelled = -1, kFailed = -90 };

// One mark before the roll: asked for, read, held while it is marked, then let go.
int ReadMarkToMake(const char* where, MachineLocation* out)
{
    ReleaseAxes();
    if (!Ask(where))
        return kCancelled;
    *out = HoldAndRead();
    if (!*out)
        return CommunicationError();
    if (!Ask("MARK THIS LOCATION."))
        return kCancelled;
    DisableX();
    DisableY();
    return kRead;
}

// One mark found again after the roll.
int ReadMarkFound(const char* where, MachineLocation* out)
{
    ReleaseAxes();
    if (!Ask(where))
        return kCancelled;
    *out = HoldAndRead();
    return *out ? int(kRead) : CommunicationError();
}

// The fine-tune dialog, with the view scaled to the box for it and back afterwards.
int FineTune()
{
    const PatternBox* box = GetPatternBox(currentBox);
    machineOrigin = GetCurrentLocation();
    if (!machineOrigin)
        return kFailed;
    machineCurrent = machineOrigin;
    const float keptScale = interface_.viewScale;
    if (box != nullptr) {
        const float s = SetInchPerPixel(box->width + 2.0f, box->height + 2.0f, view_area_width,
                                        view_area_height);
        if (s > 0)
            interface_.viewScale = s;
    }
    RefreshPatternPix();
    ReleaseAxes();
    runCapture = 1;
    const int response = UiNestFineTune();
    runCapture = 0;
    interface_.viewScale = keptScale;
    RefreshPatternPix();
    zoomed = 0;
    ViewZoomAll();
    UiRedrawView();

    ConsolePrintf("Dialog received response: 0x%2.2X ( %d )\n", unsigned(response) & 0xFFu,
                  response);
    if (response == RESPONSE_OK) {
        NestTrackTick();  // the last word on where the machine stopped
        ShiftPatternBox(GetPatternBox(currentBox),
                        float((machineCurrent->first - machineOrigin->first) / 1000.0),
                        float((machineCurrent->second - machineOrigin->second) / 1000.0));
    } else {
        ConsoleWrite("Returned Unknown Response\n");
    }
    UiRedrawView();
    return response;
}

}  // namespace

int NestTrackTick()
{
    if (const MachineLocation at = GetCurrentLocation())
        machineCurrent = at;
    return runCapture;
}

int NestingDialog()
{
    PatternBox* box = GetPatternBox(currentBox);
    if (box == nullptr || !BoxHasPlacements()) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK, "PATTERN BOX IS EMPTY");
        return kNestFailed;
    }
    CreateUndoFile();
    MachineLocation a, b, c, d;
    int step = ReadMarkToMake("MOVE THE MACHINE TO THE LOWER LEFT CORNER OF YOUR QUILTING AREA.", &a);
    if (step != kRead)
        return step;
    step = ReadMarkToMake("MOVE THE MACHINE TO THE LOWER RIGHT CORNER OF YOUR QUILTING AREA.", &b);
    if (step != kRead)
        return step;
    if (TooClose(a, b))
        return MarksTooClose();
    if (!Ask("YOU MAY NOW ROLL THE QUILT."))
        return kCancelled;
    step = ReadMarkFound("MOVE THE MACHINE TO YOUR FIRST MARK.", &c);
    if (step != kRead)
        return step;
    step = ReadMarkFound("MOVE THE MACHINE TO YOUR SECOND MARK.", &d);
    if (step != kRead)
        return step;
    if (TooClose(c, d))
        return MarksTooClose();

    ConsolePrintf("Old: ( %ld, %ld ) - ( %ld, %ld )\nNew: ( %ld, %ld ) - ( %ld, %ld )\n",
                  long(a->first), long(a->second), long(b->first), long(b->second),
                  long(c->first), long(c->second), long(d->first), long(d->second));
    const NestMove move = NestMoveOf({a->first, a->second, b->first, b->second, c->first,
                                      c->second, d->first, d->second});
    ConsolePrintf("The quilt has been rolled %0.3f inches and has an x offset of %0.3f inches\n",
                  move.roll, move.xOffset);
    ConsolePrintf("Initial Rotation: %0.3f radians.\nNew Rotation: %0.3f rad.\n"
                  "Difference: %0.3f rad.\n",
                  move.initial, move.now, move.turn);

    // The box now covers the next strip of the quilt.
    ShiftPatternBox(box, float(move.xOffset), float(move.roll + box->height));
    RotateFullPattern(float(move.turn));
    RefreshPatternPix();
    UiRedrawView();

    ConsoleWrite("Select Point 2\n");
    ReleaseAxes();
    UiSelectPosition();
    const int response = FineTune();
    if (response == kFailed) {
        // The box has moved already: the quilter gets it back as it was.
        RestoreUndoFile();
        return CommunicationError();
    }
    return response;
}

void menuEditNest()
{
    ReleaseAllUI();
    NestingDialog();
}
