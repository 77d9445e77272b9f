#pragma once
// Message, status and waiting windows, as the program's logic sees them.
//
// The logic never touches a widget: each window here is a small record around a handle of
// the UI seam (base/ui_hooks.h). The GTK shell builds the real windows
// (app/message_windows_gtk.cpp); tests script them (tests/support/scripted_ui.h).
//
// There is one thread. The status and waiting windows stay alive because the long operation
// calls into them, and each call runs all pending events; the waiting window also refreshes
// itself from a 200 ms main-loop timeout.

#include <string>

#include "base/ui_hooks.h"

// --- Message windows ----------------------------------------------------------------------

// Shows a modal message of `kind` (MessageKind) with `buttons` (MessageButtons) and returns
// the response (MessageResponse; RESPONSE_DELETE when closed another way).
int ShowMessage(int kind, int buttons, const std::string& text);
// The same with OK/Cancel plus one extra button answering `extraResponse`.
int ShowMessageSpecial(int kind, const std::string& text, const std::string& extraButton,
                       int extraResponse);

// --- Status window: progress with a pulsing bar and STOP ------------------------------------

struct StatusWindow {
    void* window = nullptr;       // the seam's handle (window, label, bar and box behind it)
    unsigned abortRequested = 0;  // 1 once STOP has been pressed
    int count = 0;                // items of work counted by StatusWindowStep
};

// The bar pulses once every this many items of work.
constexpr int kStatusStepsPerPulse = 500;

// Opens the window with `title` above a bar reading "Converting Pattern"; the caller owns
// the record until CloseStatusWindow.
StatusWindow* CreateStatusWindow(const std::string& title);
// Sets the bar's text (a phase name) and runs pending events.
void StatusWindowSetText(StatusWindow* window, const std::string& text);
// Pulses the bar once and runs pending events; `count` becomes the window's count.
void UpdateStatusWindow(StatusWindow* window, int count);
// Counts one item of work, pulsing the bar (UpdateStatusWindow) before the first item and
// every kStatusStepsPerPulse items after it. Nothing for no window.
void StatusWindowStep(StatusWindow* window);
// Destroys the window, runs pending events and frees the record (null is fine).
void CloseStatusWindow(StatusWindow* window);
// STOP: sets abortRequested; the window stays until its owner closes it.
void OnBtnStatusAbort(StatusWindow* window);

// --- Waiting window: animation, optional Cancel ---------------------------------------------

struct WaitingWindow {
    void* window = nullptr;  // the seam's handle; null once closed
    int ownsWindow = 1;      // 1: closing destroys the window
    int undoOnCancel = 0;    // set by the caller when Cancel must undo the operation
};

// Opens the waiting window. The records belong to this module: a record stays valid after
// it is closed, until the next CreateWaitingWindow.
WaitingWindow* CreateWaitingWindow(const std::string& message, int showCancel);
// Sets the extra blue line below the animation.
void WaitingWindowSetInfo(WaitingWindow* window, const std::string& info);
// The 200 ms refresh: while keepWaitingWindowOpen is 1 runs pending events (and notices a
// Cancel pressed on a seam that reports it by polling) and returns 1 to be called again;
// returns 0 once the window is closed.
int RefreshWaitingWindow();
// Destroys the window when it owns it, stops the refresh and runs pending events. Closing a
// window twice (Cancel, then its owner) is harmless.
void CloseWaitingWindow(WaitingWindow* window);
// Cancel: stops the work the window waits for (the seam's stopWorkOnCancel), closes it,
// undoes the operation when undoOnCancel was 1 (restoreUndoOnCancel), and brings the
// pattern view back to normal.
void CancelWaitingWindow(WaitingWindow* window);
// The Cancel button of the window with seam handle `handle` was pressed.
void OnBtnWaitWindowCancelClicked(void* handle);

// Open windows, where their callers keep them.
extern WaitingWindow* waitWindow;
extern StatusWindow* statWindow;
// 1 while a waiting window is open: keeps its refresh running.
extern int keepWaitingWindowOpen;

// --- USB stick ------------------------------------------------------------------------------

// 1 when the USB stick's folder can be opened; otherwise shows "USB DRIVE NOT DETECTED..."
// and returns 0.
int CheckUSBIsIn();
