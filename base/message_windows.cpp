#include "base/message_windows.h"

#include <dirent.h>
#include <glib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/console.h"
#include "base/system_path.h"

WaitingWindow* waitWindow = nullptr;
StatusWindow* statWindow = nullptr;
int keepWaitingWindowOpen = 0;

int ShowMessage(int kind, int buttons, const std::string& text)
{
    return UiShowMessage(kind, buttons, text);
}

int ShowMessageSpecial(int kind, const std::string& text, const std::string& extraButton,
                       int extraResponse)
{
    return UiShowMessageSpecial(kind, text, extraButton, extraResponse);
}

// --- Status window ------------------------------------------------------------------------

// STOP is a click handled while pending events run; afterwards the record learns of it.
static void RunEventsAndNoticeStop(StatusWindow* window)
{
    UiRunPendingEvents();
    if (window->window != nullptr && UiStatusAbortPressed(window->window))
        window->abortRequested = 1;
}

StatusWindow* CreateStatusWindow(const std::string& title)
{
    StatusWindow* window = new StatusWindow();
    window->window = UiStatusOpen(title);
    RunEventsAndNoticeStop(window);
    return window;
}

void StatusWindowSetText(StatusWindow* window, const std::string& text)
{
    if (window == nullptr)
        return;
    UiStatusText(window->window, text);
    RunEventsAndNoticeStop(window);
}

void UpdateStatusWindow(StatusWindow* window, int count)
{
    if (window == nullptr)
        return;
    window->count = count;
    UiStatusPulse(window->window);
    RunEventsAndNoticeStop(window);
}

void StatusWindowStep(StatusWindow* window)
{
    if (window == nullptr)
        return;
    if (window->count % kStatusStepsPerPulse == 0)
        UpdateStatusWindow(window, window->count);
    ++window->count;
}

void CloseStatusWindow(StatusWindow* window)
{
    if (window == nullptr)
        return;
    UiStatusClose(window->window);
    UiRunPendingEvents();
    if (statWindow == window)
        statWindow = nullptr;
    delete window;
}

void OnBtnStatusAbort(StatusWindow* window)
{
    if (window != nullptr)
        window->abortRequested = 1;
}

// --- Waiting window -----------------------------------------------------------------------

namespace {

// Records handed out by CreateWaitingWindow. Closed ones are reclaimed when the next window
// opens, so a caller may still close a window that Cancel has already closed.
std::vector<std::unique_ptr<WaitingWindow>>& WaitingRecords()
{
    static std::vector<std::unique_ptr<WaitingWindow>> records;
    return records;
}

guint refreshSource = 0;

gboolean RefreshWaitingWindowTimeout(gpointer)
{
    if (RefreshWaitingWindow())
        return TRUE;
    refreshSource = 0;
    return FALSE;
}

void StopRefresh()
{
    if (refreshSource != 0) {
        g_source_remove(refreshSource);
        refreshSource = 0;
    }
}

}  // namespace

WaitingWindow* CreateWaitingWindow(const std::string& message, int showCancel)
{
    auto& records = WaitingRecords();
    records.erase(std::remove_if(records.begin(), records.end(),
                                 [](const std::unique_ptr<WaitingWindow>& r) {
                                     return r->window == nullptr && r.get() != waitWindow;
                                 }),
                  records.end());
    records.push_back(std::make_unique<WaitingWindow>());
    WaitingWindow* window = records.back().get();
    window->window = UiWaitingOpen(message, showCancel != 0);
    ConsolePrintf("Creating Waiting Window\n");
    keepWaitingWindowOpen = 1;
    if (refreshSource == 0)
        refreshSource = g_timeout_add(200, RefreshWaitingWindowTimeout, nullptr);
    UiRunPendingEvents();
    return window;
}

void WaitingWindowSetInfo(WaitingWindow* window, const std::string& info)
{
    if (window != nullptr && window->window != nullptr)
        UiWaitingInfo(window->window, info);
}

int RefreshWaitingWindow()
{
    if (keepWaitingWindowOpen != 1)
        return 0;
    UiRunPendingEvents();
    // Seams that report Cancel by polling (the scripted one) are asked here.
    for (auto& record : WaitingRecords()) {
        if (record->window != nullptr && UiWaitingCancelPressed(record->window)) {
            CancelWaitingWindow(record.get());
            break;
        }
    }
    return keepWaitingWindowOpen == 1 ? 1 : 0;
}

void CloseWaitingWindow(WaitingWindow* window)
{
    if (window != nullptr && window->window != nullptr) {
        if (window->ownsWindow == 1)
            UiWaitingClose(window->window);
        window->window = nullptr;
    }
    keepWaitingWindowOpen = 0;
    StopRefresh();
    UiRunPendingEvents();
}

void CancelWaitingWindow(WaitingWindow* window)
{
    if (window == nullptr)
        return;
    int undo = window->undoOnCancel;
    UiStopWorkOnCancel();
    CloseWaitingWindow(window);
    if (undo == 1)
        UiRestoreUndoOnCancel();
    UiSetCursor(CursorKind::Normal);
    UiRedrawView();
    UiRunPendingEvents();
}

void OnBtnWaitWindowCancelClicked(void* handle)
{
    if (handle == nullptr)
        return;
    for (auto& record : WaitingRecords()) {
        if (record->window == handle) {
            CancelWaitingWindow(record.get());
            return;
        }
    }
}

// --- USB stick ------------------------------------------------------------------------------

int CheckUSBIsIn()
{
    DIR* dir = opendir(SystemPath("/media/usb/").c_str());
    if (dir != nullptr) {
        closedir(dir);
        return 1;
    }
    ShowMessage(MSG_ERROR, BUTTONS_OK,
                "USB DRIVE NOT DETECTED.\n\nIF INSERTED, TRY WAITING A FEW MORE SECONDS FOR THE "
                "DRIVE TO BE FOUND OR REMOVE AND REINSERT THE USB DRIVE\n");
    ConsolePrintf("Could not find USB Drive\n");
    return 0;
}
