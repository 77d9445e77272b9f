#include "base/screen_state.h"

#include "base/interface.h"
#include "base/status_bar.h"
#include "base/ui_hooks.h"

int command = -1;
int menuReady = 0;
int patternSkip = 0;
std::string selectedFile;

void ReleaseAllUI()
{
    command = -1;
    SetStatusBar();
    interface_.highlightEntity = -1;
    UiReleaseAll();
}
