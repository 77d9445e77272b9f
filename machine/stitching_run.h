#pragma once
#include <string>
// The stitching run: the current pattern box stitched from its prepared stitch path.
//
// Start prepares the path, drives a lead line to its start, lets the operator pull up the
// bobbin thread, ties in and keeps the controller's 99-place move buffer filled while the
// carriage runs. At every jump the run ties off, travels without stitching, asks for the
// thread to be cut and pulled up when the jump is long, and ties in again. The operator can
// pause, resume, stop, and recover from a thread break by moving the machine back by hand.
//
// Everything runs on the one thread. The long waits poll the controller and run pending
// events between polls, so the Stop, Pause and THREAD BREAK handlers run inside them; they
// talk to the loops through `allStop` (machine/run_state.h). The operator is reached only
// through the UI seam (app/ui_hooks.h): messages, screens, the sensitivity mask, redraws.
//
// The widgets of the run — the toolbar's Stitching, Lock X and Lock Y toggles and the
// stitching view's PAUSE/START toggle and THREAD BREAK button — are plain state here
// (`runWidgets`). The widget side keeps it current when the operator touches a widget,
// calls the handlers below, and follows the state back (runWidgetsChanged) when the run
// changes it. The handlers take the new toggle state as their argument.
//
// Units: path points and machine positions in thousandths of an inch; distances compared
// with `jumpStitch` in inches.

#include <cstdint>

struct FullPattern_t;

// The answer of the start question's extra button "SET START".
constexpr int RESPONSE_SET_START = -99;

struct RunWidgets {
    // Toolbar "Stitching": active = the machine really stitches; inactive = the path is
    // only travelled. Insensitive while the path is streamed.
    bool stitchingToggle = false;
    bool stitchingSensitive = true;
    // Toolbar "H" and "V": active = the axis motor holds. The run switches them off (and
    // releases the axis, as their handlers do) when it starts and when it streams.
    bool lockXToggle = false;
    bool lockYToggle = false;
    // The stitching view's pause button: exists while the stitching view shows a run.
    // Active = paused: labelled "START" and half wide; inactive = "PAUSE", full width.
    bool pauseExists = false;
    bool pauseToggle = false;
    bool pauseSensitive = false;
    // "THREAD BREAK": shown beside the pause button while paused.
    bool threadShown = false;
    bool threadSensitive = false;
    // Spacing (pixels) the stitching view is packed with: 10 from the start, 1 from a
    // selected start point.
    int viewSpacing = 10;
};
extern RunWidgets runWidgets;

// Installed by the widget side: makes the widgets follow `runWidgets` without running their
// handlers. Null: nothing to follow (headless).
extern void (*runWidgetsChanged)();
// Installed by the widget side: moves the pointer by (dx, dy) pixels, taking it off the
// button just pressed on the touch screen. Null: nothing.
extern void (*runMovePointer)(int dx, int dy);
// Installed by point selection: lets the operator pick the start point of the prepared path
// with the machine ("SET START"). Returns the point, or null when none was picked. Null:
// no point can be picked.
extern FullPattern_t* (*runSelectPoint)();

// 1 once the whole path has been stitched (or travelled) to its end; 0 from every start.
extern int runCompleted;
// 1 from StartPattern until the run is stopped or completed (a pause keeps it 1).
extern int runActive;
// Why the last run ended without completing when the machine, not the operator, ended it
// (the controller stopped answering, the line was hung up ...); empty otherwise. Cleared at
// every start.
extern std::string runEndReason;

// --- Handlers ---------------------------------------------------------------------------

// Toolbar Start: checks the stitch controller and the current box, asks, prepares the path
// and runs it (returns when the run ends or is paused).
void startButtonReleased();
// Toolbar Stop: cancels a fitting when one runs, else stops the machine and the run.
void stopButtonReleased();
// Toolbar Stitching toggled to `active`.
void menuRunStitching(bool active);
// Pause button toggled: `active` pauses, inactive resumes the run from the cursor.
void OnBtnPauseToggled(bool active);
// "THREAD BREAK" (while paused): the operator moves to where the thread broke, the run
// goes back there, ties in and resumes.
void OnBtnThreadClicked();

// --- The run ----------------------------------------------------------------------------

// Steps from the start to the streaming loop: run mask, lead line to fpTemp (the first
// point when none), bobbin thread, tie-in, buffer filled ahead, stitching view,
// ProcessPattern. fromSelectedPoint: 0 from the beginning, 1 from a point the operator
// picked. Returns ProcessPattern's result, or 0 when the run ended before it.
int StartPattern(int fromSelectedPoint);
// The streaming loop. 1 the path was completed, 2 paused, 0 stopped.
int ProcessPattern();
// Brings the machine and the screen to the idle state. May run more than once for one stop.
int StopPattern();
// Thread-break recovery: 0 fpTemp is the restart point; 1 the position could not be read
// (allStop is 1); 2 the operator chose again and that succeeded; 3 the lead line back
// failed.
int SetNeedle();

// Travels from the machine's position to a point of the path: `target`, or with none
// fpTemp (mode 0) or the first point (mode 1). The point travelled to, or null on failure.
FullPattern_t* SendLeadLine(int mode, FullPattern_t* target);
// Streams a short list (a lead line) with the controller halted, starting it once the
// buffer is nearly full or the list is in. 1 sent, 0 failed or stopped.
int SendPoints(FullPattern_t* list);
// Waits until the controller reports every queued move done. 1 done; 0 stopped, error
// status (reported), or no progress for 10 s (the run is stopped).
unsigned WaitForBuffer();
// The wait alone: reports how it ended and leaves the run, the screens and the messages
// alone (the error code of an error status goes to *errorCode when given). A stall is 10 s
// without the buffer draining or the carriage moving.
enum class BufferWait { Done, Stopped, Error, Stalled };
BufferWait WaitForBufferEnd(int* errorCode);
// Fills the buffer ahead from fpTemp after a start, a jump or a recovery; fpTemp ends on
// the last point sent. 0 when the wait before it failed.
int SendFortyNine();
// Ties off or in at fpTemp with lock stitches between it and a neighbour at another
// position. Every caller passes mode 0.
void LockStitch(int mode);
