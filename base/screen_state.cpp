#include "base/screen_state.h"

#include "base/interface.h"
#include "base/status_bar.h"
#include "base/ui_hooks.h"

EditMode command = EditMode::None;
bool menuReady = false;
int patternSkip = 0;
std::string selectedFile;

void ReleaseAllUI()
{
    command = EditMode::None;
    SetStatusBar();
    interface_.highlightEntity = -1;
    UiReleaseAll();
}
