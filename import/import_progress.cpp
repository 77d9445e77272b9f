#include "import/import_progress.h"

#include "app/ui_hooks.h"

ImportProgress::ImportProgress(const std::string& title) : window_(UiStatusOpen(title))
{
    UiRunPendingEvents();
}

ImportProgress::~ImportProgress()
{
    UiStatusClose(window_);
    UiRunPendingEvents();
}

void ImportProgress::SetText(const std::string& text)
{
    UiStatusText(window_, text);
    UiRunPendingEvents();
}

void ImportProgress::Update()
{
    UiStatusPulse(window_);
    UiRunPendingEvents();
}
