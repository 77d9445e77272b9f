#include "import/import_progress.h"

#include "base/message_windows.h"

ImportProgress::ImportProgress(const std::string& title) : window_(CreateStatusWindow(title)) {}

ImportProgress::~ImportProgress() { CloseStatusWindow(window_); }

void ImportProgress::SetText(const std::string& text) { StatusWindowSetText(window_, text); }

void ImportProgress::Step() { StatusWindowStep(window_); }
