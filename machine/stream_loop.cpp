// The streaming loop: keeps the controller's move buffer filled along the stitch path,
// one point per answered poll whenever the buffer has room, and handles the jumps and the
// end of the path. It returns when the path is done, the run is stopped or paused.
//
// A jump (a point with `jump` 1 ends a stitched run) is handled only once the buffer has
// drained, so the carriage stands on the jump's point: tie-off, travel to the next run,
// the operator cuts and pulls up the thread when the jump is long, tie-in, fill ahead.

#include <cstdio>

#include "base/console.h"
#include "base/interface.h"
#include "base/screen_state.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/run_state.h"
#include "machine/run_support.h"
#include "machine/stitch_control.h"
#include "machine/stitch_path.h"
#include "machine/stitching_run.h"
#include "machine/test_run.h"
#include "patterns/pattern_box.h"


namespace {

// Below this a jump is sewn over: no tie-off, no questions.
constexpr float kTieOffJump_inch = 0.125f;
// Answered polls between two updates of the needle's cross-hair.
constexpr int kPollsPerProgress = 20;

bool Drained(unsigned char status) { return status == BUFFER_EMPTY || status == BUFFER_FINISHED; }

// The end of an endurance pass: the path is done as at the end of a run, but the run goes on.
void FinishPass(bool stitching)
{
    run::SendPointMove(fpTemp, fpTemp->feed);
    if (!WaitForBuffer())
        return;
    if (stitching) {
        LockStitch(0);
        if (run::Ended() || !WaitForBuffer())
            return;
    }
    FreeStitchList();
    interface_.measureLine.reset();
    UiRunPendingEvents();
}

// Stops the run unless a deeper call already did; always false, for `return Abort();`.
bool Abort()
{
    if (!run::Ended())
        StopPattern();
    return false;
}

bool Wait() { return WaitForBuffer() || Abort(); }

// The needle's position on the stitching view, in view pixels relative to the box.
void UpdateProgress(unsigned char status, float originX_inch, float originY_inch)
{
    if (!interface_.measureLine)
        interface_.measureLine = MeasureLine();
    MeasureLine* line = &*interface_.measureLine;
    const float scale = interface_.viewScale > 0.0f ? interface_.viewScale : 0.001f;
    auto toView = [&](float thou, float origin) {
        return static_cast<int>((thou / 1000.0f - origin) / scale);
    };
    int x = 0, y = 0;
    if (GetXY(&x, &y) == 0) {
        line->startX = toView(static_cast<float>(x), originX_inch);
        line->startY = toView(static_cast<float>(y), originY_inch);
    } else if (fpTemp != nullptr && fpTemp->prev != nullptr) {
        // No position: the move being executed lies (99 - status) points behind the cursor.
        FullPattern_t* p = fpTemp->prev;
        for (int i = 0; i < BUFFER_EMPTY - status && p->prev != nullptr; ++i)
            p = p->prev;
        const FullPattern_t* start = p->next != nullptr ? p->next : p;
        line->startX = toView(start->x, originX_inch);
        line->startY = toView(start->y, originY_inch);
        line->endX = toView(p->x, originX_inch);
        line->endY = toView(p->y, originY_inch);
    }
    UiRedrawView();
}

// The last point: sent once more so the carriage ends on it, tie-off, and the run is over.
void FinishPath(bool stitching)
{
    run::SendPointMove(fpTemp, fpTemp->feed);
    if (!Wait())
        return;
    if (stitching) {
        LockStitch(0);
        if (run::Ended() || !Wait())
            return;
    }
    FreeStitchList();
    interface_.measureLine.reset();
    runCompleted = 1;
    StopPattern();
}

// The carriage stands on fpTemp, the last point of a stitched run. False when the run ended.
bool HandleJump(bool stitching)
{
    if (!Wait())
        return false;
    int tied = 0;
    if (stitching) {
        FullPattern_t* next = fpTemp->next;
        while (next != nullptr && next->interpolated)
            next = next->next;
        const float jump_inch =
            next != nullptr ? run::Distance_thou(fpTemp, next) / 1000.0f : 0.0f;
        if (next == nullptr || jump_inch >= kTieOffJump_inch) {
            LockStitch(0);
            if (run::Ended() || !Wait())
                return false;
            tied = next != nullptr ? 1 : 0;
            if (next != nullptr && jump_inch > jumpStitch) {
                DisableX();
                DisableY();
                run::Information("CUT THE THREAD");
                SetSpeed(static_cast<int>(maxSpeed));
                EnableX();
                EnableY();
            }
        }
    }

    UiRunPendingEvents();
    if (allStop == RUN_STOP)
        return Abort();
    fpTemp = fpTemp->next;
    if (fpTemp->next == nullptr)
        return true;  // a one-point run at the end: the loop finishes the path
    if (fpTemp->interpolated) {
        while (fpTemp != nullptr && fpTemp->interpolated)
            fpTemp = fpTemp->next;
        if (fpTemp == nullptr)
            return Abort();
    }
    if (SendLeadLine(0, nullptr) == nullptr || !Wait())
        return Abort();

    // The tie-in goes on the run's second point, sewing back to its first; a run of one
    // point has no second point (the next one lies across another jump), so its tie-in
    // stays on it.
    if (stitching && tied == 1) {
        UiRunPendingEvents();
        if (allStop == RUN_STOP)
            return Abort();
        FullPattern_t* previous = fpTemp->prev;
        if (fpTemp->jump != 1)
            fpTemp = fpTemp->next;
        NeedleUp();
        // A Stop during the needle cycle ends the run before the operator is asked anything.
        if (allStop == RUN_STOP)
            return Abort();
        if (run::Distance_thou(previous, fpTemp) / 1000.0f > jumpStitch) {
            DisableX();
            DisableY();
            run::Information("PULL UP THE BOBBIN THREAD");
            EnableX();
            EnableY();
        }
        SetSpeed(static_cast<int>(maxSpeed));
        if (SendLeadLine(0, nullptr) == nullptr || !Wait())
            return Abort();
        LockStitch(0);
        if (run::Ended() || !Wait())
            return false;
    }

    UiRunPendingEvents();
    if (allStop == RUN_STOP)
        return Abort();
    Halt();
    // The moves about to be queued run at the stitching speed, not at the lead line's that
    // is still set when no tie-in came between.
    SetSpeed(static_cast<int>(maxSpeed));
    if (!SendFortyNine())
        return Abort();
    if (stitching)
        StitchOn();
    SetSpeed(static_cast<int>(maxSpeed));
    Resume();
    return true;
}

// The endurance run's jump: no tie-in, no questions for the operator; the carriage ties off
// when stitching, travels and goes on. False when the pass ended here.
bool HandleEnduranceJump(bool stitching)
{
    if (!Wait())
        return false;
    if (stitching) {
        LockStitch(0);
        if (run::Ended() || !Wait())
            return false;
        StitchOff();
    }
    run::SendPointMove(fpTemp, fpTemp->feed);
    fpTemp = fpTemp->next;
    while (fpTemp != nullptr && fpTemp->interpolated)
        fpTemp = fpTemp->next;
    if (fpTemp == nullptr) {
        StopPattern();
        return false;
    }
    if (SendLeadLine(0, nullptr) == nullptr) {
        StopPattern();
        return false;
    }
    if (!Wait())
        return false;
    Halt();
    // The rest of the pass runs at the stitching speed, not at the lead line's.
    SetSpeed(static_cast<int>(maxSpeed));
    SendFortyNine();
    if (stitching)
        StitchOn();
    Resume();
    return true;
}

int processDepth = 0;

struct DepthGuard {
    DepthGuard() { ++processDepth; }
    ~DepthGuard() { --processDepth; }
};

bool threadBreakAsked = false;

// What the endurance run's passes do differently from a stitching run.
struct StreamOptions {
    bool endurance = false;
    int pollsPerProgress = kPollsPerProgress;
};

// Streams until the path is done (1), the run ends (0) or a pause has been carried out (2).
// An endurance pass returns 0 at the end of its path and does not stop for a pause.
int Stream(const StreamOptions& options);

}  // namespace

bool ProcessPatternRunning() { return processDepth > 0; }

void AskThreadBreakAfterPause() { threadBreakAsked = true; }

int ProcessPattern()
{
    threadBreakAsked = false;
    for (;;) {
        const int result = Stream(StreamOptions{});
        if (result != 2 || run::Ended() || allStop == RUN_STOP)
            return result;
        // Taps made while the pause was carried out (halt, needle up) are honoured now that
        // it is complete: the loop had already left when they came.
        if (allStop == RUN_GO && !runWidgets.pauseToggle) {
            ConsoleLine("Resumed during the pause");
            continue;
        }
        if (threadBreakAsked) {
            threadBreakAsked = false;
            OnBtnThreadClicked();
        }
        return result;
    }
}

int ProcessPattern2()
{
    StreamOptions endurance;
    endurance.endurance = true;
    endurance.pollsPerProgress = 2;  // every third poll
    return Stream(endurance);
}

namespace {

int Stream(const StreamOptions& options)
{
    if (fpTemp == nullptr || run::Ended()) {
        Abort();
        return 0;
    }
    DepthGuard guard;
    const bool stitching = runWidgets.stitchingToggle;
    if (!options.endurance) {
        command = EditMode::Stitching;
        SetSpeed(static_cast<int>(maxSpeed));
        runWidgets.stitchingSensitive = false;
        run::WidgetsChanged();
    }
    run::SwitchLocksOff();
    run::SetRunMask();
    // Stitching goes on for a start or a resume inside a stitched run. That includes a
    // cursor still on the first point, which happens when the first run is too short for
    // the fill ahead to send anything past it: otherwise that run would only be travelled.
    if (stitching && (fpTemp->prev == nullptr || fpTemp->prev->jump != 1))
        StitchOn();
    if (options.endurance)
        SetSpeed(static_cast<int>(maxSpeed));
    Resume();

    float originX = 0.0f, originY = 0.0f;
    if (const PatternBox* box = GetPatternBox(currentBox)) {
        originX = box->originX;
        originY = box->originY;
    }
    int polls = 0;
    run::StallWatch watch;
    for (;;) {
        UiRunPendingEvents();
        if (stitching && fpTemp->prev != nullptr && fpTemp->prev->prev != nullptr &&
            fpTemp->prev->prev->jump == 1)
            StitchOn();
        if (allStop == RUN_STOP) {
            // Stopped from a handler: stopping once more with the request cleared also
            // raises the needle, so the quilt is free when the machine comes to rest.
            allStop = RUN_GO;
            StopPattern();
            // The endurance run reads the request after the pass: no further pass follows.
            if (options.endurance)
                allStop = RUN_STOP;
            return 0;
        }
        if (run::Ended())
            return 0;
        // A pause in the endurance run lets the pass complete; the run ends after it.
        if (allStop == RUN_PAUSE && !options.endurance)
            break;

        unsigned char status = 0;
        int code = 0;
        const int result = CheckBuffer(&status, &code);
        if (result != 0) {
            if (result == 1)
                ConsoleLine("serial port is not active");
            else if (result == 2)
                ConsoleLine("there wasn't a response");
            else if (result == 4) {
                StopPattern();
                ReportControllerError(code);
                return 0;
            } else
                ConsoleLine("we don't know what happened");
            watch.Status(-1);
            if (watch.RanOut()) {
                ConsoleLine("No answer from the controller for 10 s");
                run::NoteMachineEnd("the controller has not answered for 10 s");
                Abort();
                return 0;
            }
            continue;
        }
        watch.Status(status);
        if (watch.RanOut()) {
            ConsoleLine("The carriage has not moved for 10 s");
            run::NoteMachineEnd("the carriage has not moved for 10 s");
            Abort();
            return 0;
        }

        if (++polls > options.pollsPerProgress && status <= BUFFER_EMPTY) {
            polls = 0;
            UpdateProgress(status, originX, originY);
        }
        // No room, or a status byte that means nothing.
        if (status < 1 || (status > BUFFER_EMPTY && status != BUFFER_FINISHED))
            continue;

        if (fpTemp->next == nullptr) {
            if (Drained(status)) {
                if (options.endurance) {
                    FinishPass(stitching);
                    return 0;
                }
                FinishPath(stitching);
                return runCompleted ? 1 : 0;
            }
            continue;
        }
        if (fpTemp->jump == 1) {
            if (Drained(status)) {
                if (!(options.endurance ? HandleEnduranceJump(stitching) : HandleJump(stitching)))
                    return 0;
                watch.Progress();
            }
            continue;
        }
        fpTemp = fpTemp->next;
        if (SendMove(fpTemp->x, fpTemp->y, fpTemp->feed) == 0)
            watch.Progress();
        else
            fpTemp = fpTemp->prev;  // the same point goes again at the next poll
    }

    ConsoleLine("AllStop = 2");
    UiRunPendingEvents();
    Halt();
    if (stitching) {
        StitchOff();
        NeedleUp();
    }
    return 2;
}

}  // namespace
