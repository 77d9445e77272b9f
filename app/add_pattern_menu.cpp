// "Add Pattern": the machine lets go of the carriage and the pattern select screen comes up.
// (Kept apart from main_menu.cpp: the controller's and the pattern file's command names
// cannot share a translation unit.)

#include "app/main_menu.h"
#include "app/screen_state.h"
#include "app/sensitivity.h"
#include "app/ui_hooks.h"
#include "machine/controller.h"
#include "machine/run_state.h"

void menuMainAddPattern()
{
    command = -1;
    if (stopPositionPollHook != nullptr)
        stopPositionPollHook();
    DisableX();
    DisableY();
    UiSetToggle(ToolbarToggle::LockX, false);
    UiSetToggle(ToolbarToggle::LockY, false);
    fpTemp = nullptr;
    UiShowScreen(Screen::PatternSelect);
    SetSensitivity(NavigationMask());
    ReleaseAllUI();
}

