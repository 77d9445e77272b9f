// The menu handlers that talk to the controller: "Add Pattern" lets go of the carriage,
// "Open Layout" sets the home position.

#include <cstdio>
#include <string>

#include "app/main_menu.h"
#include "base/console.h"
#include "base/message_windows.h"
#include "base/screen_state.h"
#include "base/sensitivity.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/run_state.h"
#include "patterns/navigation_mask.h"
#include "patterns/pattern_box.h"
#include "patterns/layout_file.h"
#include "view/capture.h"

void menuMainAddPattern()
{
    command = EditMode::None;
    StopPositionPoll();
    DisableX();
    DisableY();
    UiSetToggle(ToolbarToggle::LockX, false);
    UiSetToggle(ToolbarToggle::LockY, false);
    fpTemp = nullptr;
    UiShowScreen(Screen::PatternSelect);
    SetSensitivity(NavigationMask());
    ReleaseAllUI();
}


void menuMainLoadLayout()
{
    command = EditMode::None;
    std::string path = UiGetFilename("./Layout/", ".qlf .QLF");
    if (path.empty())
        return;
    int loaded = LoadLayout(path, kDiscardCurrentLayout, kAskBeforeLoading);
    if (waitWindow != nullptr && waitWindow->window != nullptr)
        CloseWaitingWindow(waitWindow);
    if (loaded) {
        UiShowMessage(MSG_INFO, BUTTONS_OK,
                      "\nMOVE YOUR MACHINE TO THE HOME LOCATION ON YOUR TABLE AND PRESS OK.");
        // The loaded area is measured from the home the quilter has just shown, so the
        // machine's origin and the layout agree again.
        if (SetHome())
            SetHomeMoved(false);
    } else {
        ConsolePrintf("Load Layout returned False\n");
    }
    if (FallBackToExtentsSetup()) {
        // Without a quilting area there is nothing to edit or stitch yet.
        SetSensitivity(kMaskNoExtents);
    } else {
        UiShowScreen(Screen::PatternView);
        SetSensitivity(kMaskNormal);
    }
    UiRedrawView();
    UiRunPendingEvents();
}
