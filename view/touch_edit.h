#pragma once
// Touch editing on the pattern view: one finger, three events (press, motion while pressed,
// release) and a 100 ms timer for the long press. The edit mode `command` decides what a
// drag does; independently of it a fast horizontal flick or a tap on the top-corner arrows
// pages between pattern boxes, and a long press arms the pattern pop-up menu.
//
// The handlers here are the logic only: coordinates are view pixels, times are milliseconds
// of a monotonic clock passed in by the caller, and what only the widget side can do
// (open the pop-up menu, change the cursor, stop the timer) comes back as a TouchWork.

#include <cstdint>

// --- State of the gesture ---------------------------------------------------------------

extern double xStart, yStart;  // where the press began
extern double xSaved, ySaved;  // last point the motion handler saw
extern int buttonHold;         // 1 while the finger is down
extern int64_t buttonTime;     // press time, ms
extern double timeOff;         // release time, ms (kept for other handlers)
extern int cnt;                // ticks of the long-press timer since the press
extern int showMenu;           // 1 once the long press has armed the pop-up menu
extern int offTempX, offTempY; // -1 once the direction pad's check mark ended a move

// What the widget side does after a handler.
struct TouchWork {
    bool openPopup = false;  // ShowPopupMenu(popupX, popupY)
    int popupX = 0;
    int popupY = 0;
    bool busyCursor = false;
    bool arrowCursor = false;
    bool stopTimer = false;  // the long-press timer ends
};

// A press at (x, y): starts a gesture. Returns the ticket of the long-press timer the caller
// starts now (100 ms period); ticks of an older ticket are stale.
int OnViewButtonPress(double x, double y, int64_t now_ms);
void OnViewButtonMotion(double x, double y);
// Ignored (nothing to do) without a press before it.
TouchWork OnViewButtonRelease(double x, double y, int64_t now_ms);
// One tick of the long-press timer with the pointer at (x, y).
TouchWork ButtonTimer(int ticket, double pointerX, double pointerY);
// The drawing area the gesture belongs to is gone: the gesture ends without a release.
void EndTouchGesture();

// --- Edit buttons and helpers ---------------------------------------------------------------

// Drops all five edit buttons, then makes button n for every set bit n - 1 of `mask`.
void SetEditButtons(int mask);
// The edit button a view point hits (1..5), 0 for none, by position alone.
int GetButtonPressed(int x, int y);
// Removes the measuring line and its text.
void DeleteMeasure();
// Leaving any mode: the measurement and the edit buttons go (the mode itself is reset by
// ReleaseAllUI, which calls this through the seam's releaseAllUi).
void ReleaseEditTools();
// Shows the next (+1) or previous (-1) pattern box when it exists; false when not.
bool PageBox(int step);

// The speeds the speed arrows of a run give: up or down from `current` with the floor
// that `minimum` makes, kept within [min(floor, 100), 100].
float RaisedSpeed(float current, float minimum);
float LoweredSpeed(float current, float minimum);

// --- Where things are drawn (view pixels) -------------------------------------------------

struct TouchRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool shown = false;
};

struct TouchTargets {
    TouchRect editButtons[5];
    // Direction pad: left, right, up, down arrows and the check mark (modes 8 and 9).
    TouchRect padLeft, padRight, padUp, padDown, padOk;
    // Paging arrows of the pattern view.
    TouchRect pageNext, pagePrevious;
    // Speed arrows of the stitching view (during a run), in its area.
    TouchRect speedUp, speedDown;
};

// The touch targets as the views draw them now.
TouchTargets CurrentTouchTargets();
