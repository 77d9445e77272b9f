#include "machine/test_run.h"

#include <string>

#include "base/interface.h"
#include "base/message_windows.h"
#include "base/screen_state.h"
#include "base/sensitivity.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/run_state.h"
#include "machine/run_support.h"
#include "machine/stitch_path.h"
#include "machine/stitching_run.h"
#include "patterns/layout.h"
#include "patterns/pattern_box.h"

namespace {

const char* const kTestPassword = "brindle";

bool BoxHasPlacement()
{
    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next)
        if (node->boxIndex == currentBox)
            return true;
    return false;
}

// Ends the run at a failure: the machine and the menus back to idle.
void EndRun()
{
    DisableX();
    DisableY();
    runActive = 0;
    run::MarkEnded(true);
    runWidgets.pauseExists = false;
    runWidgets.pauseToggle = false;
    run::WidgetsChanged();
    SetSensitivity(kMaskNormal);
}

// Builds the path and travels to its first point. False (reported, run ended) on failure.
bool PrepareAndLeadIn()
{
    statWindow = CreateStatusWindow("CREATING PATTERN OUTPUT FILE");
    PackFullPattern();
    CloseStatusWindow(statWindow);
    statWindow = nullptr;
    if (interface_.stitchList == nullptr) {
        run::Error("PATTERN BOX IS EMPTY");
        EndRun();
        return false;
    }
    fpTemp = interface_.stitchList;
    SetSpeed(static_cast<int>(maxSpeed));
    EnableX();
    EnableY();
    if (SendLeadLine(0, nullptr) == nullptr) {
        run::Error("COULD NOT MOVE TO START. ERR: 1023");
        EndRun();
        return false;
    }
    if (!WaitForBuffer()) {
        run::Error("ROBOT NOT RESPONSIVE. ERR: WFB100");
        EndRun();
        return false;
    }
    return true;
}

// A pass ended the run: a stop (allStop 1) or a pause.
bool RunEnds() { return allStop == RUN_STOP || allStop == RUN_PAUSE || run::Ended(); }

}  // namespace

void menuRunTest()
{
    ReleaseAllUI();
    std::string password;
    if (UiShowKeyboard(password, "PASSWORD: ") != 1 || password != kTestPassword)
        return;
    if (runActive)
        return;
    // The passes stitch the box's pattern like a run does.
    if (run::RefuseWhileHomeMoved())
        return;
    if (!BoxHasPlacement()) {
        run::Error("PATTERN BOX IS EMPTY");
        return;
    }
    runActive = 1;
    runCompleted = 0;
    run::MarkEnded(false);
    allStop = RUN_GO;
    run::SetRunMask();
    if (!PrepareAndLeadIn())
        return;

    runWidgets.pauseExists = true;
    runWidgets.pauseToggle = false;
    runWidgets.pauseSensitive = true;
    UiShowScreen(Screen::StitchingView);
    run::WidgetsChanged();
    ClearTimers();
    UiRunPendingEvents();

    if (runWidgets.stitchingToggle) {
        LockStitch(0);
        Halt();
        if (allStop == RUN_GO)
            SendFortyNine();
        ProcessPattern2();
        DisableX();
        DisableY();
        runWidgets.stitchingToggle = false;
        run::WidgetsChanged();
        UiRunPendingEvents();
    }

    stopTest = 0;
    for (int pass = 0; !RunEnds();) {
        if (!PrepareAndLeadIn())
            return;
        Halt();
        if (allStop == RUN_GO)
            SendFortyNine();
        ClearTimers();
        UiRunPendingEvents();
        ProcessPattern2();
        if (++pass >= kEnduranceRunPasses || stopTest)
            break;
    }

    DisableX();
    DisableY();
    if (RunEnds() || stopTest) {
        EndRun();
        return;
    }
    // The final pass only brings the carriage to the start of the path and lets it go.
    run::Information("WAITING TO RUN FINAL PATTERN");
    allStop = RUN_GO;
    if (!PrepareAndLeadIn())
        return;
    UiShowScreen(Screen::StitchingView);
    UiRunPendingEvents();
    EndRun();
}
