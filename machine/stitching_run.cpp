// The run's handlers and its start and stop: Start, Stop, Pause/resume, THREAD BREAK and
// the Stitching toggle. See stitching_run.h for how the widgets meet this code.
//
// Any step that ends the run through StopPattern ends the whole flow: no later step of the
// same flow may start the machine again (run::Ended()).

#include "machine/stitching_run.h"

#include <unistd.h>

#include <cmath>

#include "base/console.h"
#include "base/interface.h"
#include "base/message_windows.h"
#include "base/screen_config.h"
#include "base/screen_state.h"
#include "base/sensitivity.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/run_state.h"
#include "machine/run_support.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"
#include "machine/stitch_path.h"
#include "patterns/layout.h"
#include "patterns/pattern_box.h"


RunWidgets runWidgets;
int runCompleted = 0;
int runActive = 0;
std::string runEndReason;

bool ProcessPatternRunning();     // stream_loop.cpp
void AskThreadBreakAfterPause();  // stream_loop.cpp

namespace {

const char* const kStartQuestion =
    "THE MACHINE WILL MOVE TO THE START OF THE PATTERN BLOCK AND THE PATTERN WILL START.";
const char* const kBobbinQuestion =
    "AFTER THE MACHINE ARRIVES AT THE START POSITION PULL UP THE BOBBIN THREAD\nAND PRESS OK";

int MaxSpeed() { return static_cast<int>(maxSpeed); }

// Handler frames of a run still on the stack. StopPattern puts the screen back to idle at
// once, but the frames that ran the run unwind only afterwards (a second StopPattern, its
// events): a new run started inside them would free the stitch list under their pointers.
int runFrames = 0;

struct RunFrame {
    RunFrame() { ++runFrames; }
    ~RunFrame() { --runFrames; }
    RunFrame(const RunFrame&) = delete;
    RunFrame& operator=(const RunFrame&) = delete;
};

bool BoxHasPlacement()
{
    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next)
        if (node->boxIndex == currentBox)
            return true;
    return false;
}

// The path of the current box, built under the status window.
void PreparePath()
{
    statWindow = CreateStatusWindow("CREATING PATTERN OUTPUT FILE");
    PackFullPattern();
    CloseStatusWindow(statWindow);
    statWindow = nullptr;
}

bool Stop()
{
    if (!run::Ended())
        StopPattern();
    return false;
}

// Steps 2 to 8 of a start; false when the run has ended.
bool LeadInAndTieIn(int fromSelectedPoint)
{
    if (fromSelectedPoint == 0)
        ConsoleLine("Send The Lead line");
    if (SendLeadLine(0, nullptr) == nullptr) {
        // From a selected point the failure is not reported, but the machine and the screen
        // still go back to idle rather than stay in the run's mask.
        if (fromSelectedPoint == 0 && allStop == RUN_GO && !run::Ended())
            run::Error("COULD NOT MOVE TO START. ERR: 1023");
        return Stop();
    }
    if (fromSelectedPoint == 0)
        ConsoleLine("Done with lead line");
    if (!WaitForBuffer()) {
        // The wait may have stopped the run itself (no progress for 10 s): the operator is
        // still told, unless it was the operator who stopped.
        if (fromSelectedPoint == 0 && allStop == RUN_GO)
            run::Error("ROBOT NOT RESPONSIVE. ERR: WFB100");
        return Stop();
    }

    usleep(10000);
    if (runWidgets.stitchingToggle)
        NeedleUp();
    DisableX();
    DisableY();
    SendCommand(ControllerCommand::HandOver);
    if (allStop != RUN_GO)
        return Stop();
    if (run::Question(BUTTONS_OK_CANCEL, kBobbinQuestion) != RESPONSE_OK)
        return Stop();

    // The carriage may have been moved by hand while the thread was pulled up.
    SetSpeed(MaxSpeed());
    EnableX();
    EnableY();
    if (SendLeadLine(0, nullptr) == nullptr || !WaitForBuffer()) {
        if (allStop != RUN_STOP)
            run::Error("AN ERROR HAS OCCURED.  ABORTING OPERATION ERR: 1027");
        return Stop();
    }

    if (runWidgets.stitchingToggle) {
        LockStitch(0);
        if (allStop == RUN_STOP || run::Ended() || !WaitForBuffer())
            return Stop();
    }
    Halt();
    // Without a tie-in the lead line's speed is still set: the moves queued ahead run at
    // the stitching speed.
    SetSpeed(MaxSpeed());
    if (allStop == RUN_GO && !SendFortyNine())
        return Stop();
    return !run::Ended() && allStop != RUN_STOP;
}

}  // namespace

int StartPattern(int fromSelectedPoint)
{
    command = EditMode::Stitching;
    runActive = 1;
    runCompleted = 0;
    runEndReason.clear();
    run::MarkEnded(false);
    run::SetRunMask();
    UiRunPendingEvents();
    usleep(2500);
    allStop = RUN_GO;
    SetSpeed(MaxSpeed());
    Halt();
    EnableX();
    EnableY();
    if (fpTemp == nullptr)
        fpTemp = interface_.stitchList;
    if (fpTemp == nullptr || !LeadInAndTieIn(fromSelectedPoint)) {
        Stop();
        return 0;
    }

    runWidgets.viewSpacing = fromSelectedPoint == 0 ? 10 : 1;
    runWidgets.pauseExists = true;
    runWidgets.pauseToggle = false;
    runWidgets.pauseSensitive = true;
    runWidgets.threadShown = false;
    runWidgets.threadSensitive = false;
    UiShowScreen(Screen::StitchingView);
    run::WidgetsChanged();
    ClearTimers();
    UiRunPendingEvents();
    return ProcessPattern();
}

int StopPattern()
{
    ConsoleLine("Stop Pattern");
    ReleaseAllUI();
    AllStop();
    if (runWidgets.stitchingToggle) {
        StitchOff();
        if (allStop == RUN_GO)
            NeedleUp();
    }
    SendCommand(ControllerCommand::HandOver);
    DisableX();
    DisableY();
    ClearMCBuffer();
    stopTest = 1;
    runActive = 0;
    run::MarkEnded(true);
    SetSensitivity(kMaskNormal);
    runWidgets.stitchingSensitive = true;
    runWidgets.pauseExists = false;
    runWidgets.pauseToggle = false;
    runWidgets.threadShown = false;
    run::WidgetsChanged();
    UiShowScreen(Screen::PatternView);
    UiRunPendingEvents();
    ConsoleLine("Stop Pattern Finished");
    return 1;
}

void startButtonReleased()
{
    if (runActive)
        return;  // the button is insensitive during a run; a late click changes nothing
    if (runFrames > 0) {
        ConsoleLine("Start ignored: the last run is still stopping");
        return;
    }
    RunFrame frame;
    if (SerialLineHungUp()) {
        // The line went away during an earlier run; it may be back by now.
        ConsoleLine("The line to the controller was hung up: opening it again");
        if (OpenPort() < 0)
            return;
    }
    // The layout was laid out against the old home.
    if (run::RefuseWhileHomeMoved())
        return;
    SendCommand(ControllerCommand::RunStart);
    ReleaseAllUI();
    run::SwitchLocksOff();
    if (runWidgets.stitchingToggle && !run::StitcherReady())
        return;
    if (!BoxHasPlacement()) {
        run::Error("PATTERN BOX IS EMPTY");
        return;
    }

    const int answer =
        UiShowMessageSpecial(MSG_QUESTION, kStartQuestion, "SET START", RESPONSE_SET_START);
    if (answer != RESPONSE_OK && answer != RESPONSE_SET_START) {
        StopPattern();
        return;
    }
    PreparePath();
    if (interface_.stitchList == nullptr) {
        // Placements whose patterns hold no points: nothing to stitch.
        run::Error("PATTERN BOX IS EMPTY");
        return;
    }
    if (answer == RESPONSE_OK) {
        fpTemp = nullptr;
        ConsoleLine("Start the pattern");
        StartPattern(0);
        return;
    }
    FullPattern_t* picked = UiRunSelectPoint();
    if (picked == nullptr) {
        StopPattern();
        return;
    }
    fpTemp = picked;
    StartPattern(1);
}

void stopButtonReleased()
{
    ConsoleLine("Stop button Released");
    if (interface_.fittingActive == 1) {
        interface_.fittingActive = 0;  // cancels the fitting, nothing else
        return;
    }
    ReleaseAllUI();
    allStop = RUN_STOP;
    AllStop();
    StopPattern();
    ConsoleLine("End Stop Button Released");
}

void menuRunStitching(bool active)
{
    runWidgets.stitchingToggle = active;
    ReleaseAllUI();
    command = runActive ? EditMode::Stitching : EditMode::None;
    if (active)
        run::StitcherReady();
    else
        StitchOff();
    UiMovePointer(PointerMove::OffToolbar);
}

void OnBtnPauseToggled(bool active)
{
    UiMovePointer(PointerMove::OffRunButtons);
    if (!runWidgets.pauseExists || !runActive)
        return;
    runWidgets.pauseToggle = active;
    if (active) {
        allStop = RUN_PAUSE;
        runWidgets.stitchingSensitive = true;
        runWidgets.threadShown = true;
        runWidgets.threadSensitive = runWidgets.stitchingToggle;
        run::WidgetsChanged();
        UiRunPendingEvents();
        return;
    }
    runWidgets.threadShown = false;
    allStop = RUN_GO;
    run::SetRunMask();
    runWidgets.stitchingSensitive = false;
    run::WidgetsChanged();
    UiRunPendingEvents();
    // Paused and resumed within one pass of events: the loop never left, it just goes on.
    // Resumed while the pause is carried out: the loop goes on once it is complete.
    if (ProcessPatternRunning() || allStop != RUN_GO || run::Ended())
        return;
    RunFrame frame;
    ProcessPattern();
}

int SetNeedle()
{
    for (;;) {
        ClearMCBuffer();
        DisableX();
        DisableY();
        Resume();
        SendCommand(ControllerCommand::HandOver);
        run::Information("MOVE YOUR MACHINE TO THE POINT WHERE THE THREAD BROKE AND PRESS OK.");

        int x = 0, y = 0;
        if (GetXY(&x, &y) != 0) {
            run::Error("OPERATION FAILED: TB100");
            allStop = RUN_STOP;
            return 1;
        }
        const float mx = static_cast<float>(x < 0 ? 0 : x);
        const float my = static_cast<float>(y < 0 ? 0 : y);
        // Only the points already sent are candidates; of equally near points the latest
        // along the path wins.
        FullPattern_t* nearest = nullptr;
        float best = 999999.0f;
        for (FullPattern_t* p = fpTemp; p != nullptr; p = p->prev) {
            const float d = std::sqrt((p->x - mx) * (p->x - mx) + (p->y - my) * (p->y - my));
            if (d < best) {
                best = d;
                nearest = p;
            }
        }
        if (nearest == nullptr)
            return 3;

        SetSpeed(MaxSpeed());
        EnableX();
        EnableY();
        if (SendLeadLine(0, nearest) == nullptr)
            return 3;
        if (!runWidgets.stitchingToggle) {
            fpTemp = nearest;
            return 0;
        }
        if (!WaitForBuffer())
            return 3;
        NeedleUp();
        if (allStop == RUN_STOP)
            return 1;  // stopped during the needle cycle: nothing more is asked
        if (run::Question(BUTTONS_YES_NO, "IS THIS WHERE YOU WANT TO RESTART?") == RESPONSE_YES) {
            fpTemp = nearest;
            return 0;
        }
        // Asked again: the operator moves once more.
    }
}

void OnBtnThreadClicked()
{
    if (!runActive || !runWidgets.pauseExists || !runWidgets.pauseToggle)
        return;  // only while paused
    if (ProcessPatternRunning()) {
        // The pause is still being carried out: the recovery begins once it is complete.
        ConsoleLine("THREAD BREAK waits for the pause to complete");
        AskThreadBreakAfterPause();
        return;
    }
    RunFrame frame;
    runWidgets.threadSensitive = false;
    runWidgets.pauseSensitive = false;
    run::WidgetsChanged();
    if (runWidgets.stitchingToggle && !run::StitcherReady()) {
        runWidgets.pauseSensitive = true;
        run::WidgetsChanged();
        return;
    }

    // A recovery whose lead line fails leaves nothing to resume: the run stops, like Stop.
    const int found = SetNeedle();
    if (found == 1 || found == 3) {
        Stop();
        return;
    }
    const bool stitching = runWidgets.stitchingToggle;
    if (stitching) {
        DisableX();
        DisableY();
        SendCommand(ControllerCommand::HandOver);
        run::Information("PULL UP THE BOBBIN THREAD.\nPRESS OK TO CONTINUE THE PATTERN.");
    } else {
        run::Information("PRESS OK TO CONTINUE.");
    }
    UiMovePointer(PointerMove::OffRunButtons);
    UiRunPendingEvents();

    SetSpeed(MaxSpeed());
    EnableX();
    EnableY();
    if (stitching)
        StitchOff();
    if (SendLeadLine(0, nullptr) == nullptr || !WaitForBuffer()) {
        Stop();
        return;
    }
    if (stitching) {
        LockStitch(0);
        if (run::Ended() || !WaitForBuffer()) {
            Stop();
            return;
        }
    }
    Halt();
    ClearMCBuffer();
    if (allStop == RUN_STOP || run::Ended()) {
        Stop();
        return;
    }
    allStop = RUN_GO;
    SetSpeed(MaxSpeed());  // not the lead line's, which is still set when nothing tied in
    if (!SendFortyNine()) {
        Stop();
        return;
    }
    // Stitching goes back on only when the operator asked for a stitched run.
    if (stitching)
        StitchOn();
    SetSpeed(MaxSpeed());
    runWidgets.pauseSensitive = true;
    runWidgets.pauseToggle = false;
    run::WidgetsChanged();
    OnBtnPauseToggled(false);
}
