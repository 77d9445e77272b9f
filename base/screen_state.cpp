#include "base/screen_state.h"

#include "base/interface.h"
#include "base/status_bar.h"

int command = -1;
int menuReady = 0;
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
