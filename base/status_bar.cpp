#include "base/status_bar.h"

std::string statusBar;

void SetStatusBar(const char* text)
{
    if (text == nullptr) {
        statusBar.clear();
        return;
    }
    statusBar.assign(text);
    if (statusBar.size() > kStatusBarMaxLength)
        statusBar.resize(kStatusBarMaxLength);
}
