#include "app/screen_state.h"

#include "app/interface.h"
#include "app/status_bar.h"

// command and menuReady are defined with the touch tools (view/edit_mode.cpp).
int patternSkip = 0;
std::string selectedFile;
void (*releaseAllUiHook)() = nullptr;

void ReleaseAllUI()
{
    command = -1;
    SetStatusBar();
    interface_.highlightEntity = -1;
    if (releaseAllUiHook != nullptr)
        releaseAllUiHook();
}
