// The undo snapshot: save before a change, load to go back.

#include "app/undo.h"

#include <unistd.h>

#include <cstdio>

#include "base/console.h"
#include "base/interface.h"
#include "base/message_windows.h"
#include "base/screen_state.h"
#include "base/system_path.h"
#include "patterns/geometry.h"
#include "patterns/layout_file.h"
#include "view/pattern_view.h"

std::string UndoFilePath()
{
    return SystemPath("/tmp/undo") + ".qlf";
}

void CreateUndoFile()
{
    if (SaveLayout(SystemPath("/tmp/undo"), kOverwriteWithoutAsking, kNameIsPath) == 1)
        UiUndoSensitivity(true);
    interface_.current_layout.clear();
}

int RestoreUndoFile()
{
    const std::string path = UndoFilePath();
    ConsolePrintf("checking for undo file: %s\n", path.c_str());
    if (access(path.c_str(), R_OK) == 0) {
        ConsolePrintf("Load Undo Layout File: \t %s \n", path.c_str());
        // A failed load keeps the snapshot, so Undo stays possible.
        if (LoadLayout(path, kDiscardCurrentLayout, kSkipQuestion) == 1) {
            unlink(path.c_str());
            ConsolePrintf("Undo file removed\n");
            UiUndoSensitivity(false);
            UiRunPendingEvents();
        }
    } else {
        ConsolePrintf("undo file: %s not found\n", path.c_str());
    }

    ReleaseAllUI();
    interface_.current_layout.clear();
    ViewZoomAll();  // zoom state reset, everything shown, pattern images redrawn
    UiRedrawView();
    if (waitWindow != nullptr && waitWindow->window != nullptr)
        CloseWaitingWindow(waitWindow);
    return 1;
}

void RestoreUndoOnCancel()
{
    hull.reset();
    RestoreUndoFile();
}
