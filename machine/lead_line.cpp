// Lead lines, waiting for the controller, and filling its buffer ahead.
//
// A lead line is a two-point list from where the machine stands to a point of the path,
// cut into moves of 0.1 to 0.2 inch and given feeds that accelerate from and to minSpeed.
// It is streamed with the controller halted, so the carriage starts only once the buffer
// is nearly full (status 1) or the whole line is in: a short line never starves.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/console.h"
#include "base/interface.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "machine/controller.h"
#include "machine/run_state.h"
#include "machine/run_support.h"
#include "machine/stitch_control.h"
#include "machine/stitch_path.h"
#include "machine/stitching_run.h"


namespace {

// The most consecutive unanswered buffer queries a lead line tolerates.
constexpr int kLeadLineQueryFailures = 10;

long NowSeconds() { return Monotonic_ms() / 1000; }

}  // namespace

FullPattern_t* SendLeadLine(int mode, FullPattern_t* target)
{
    ConsoleLine("SLL: Set Menu Items");
    run::SetRunMask();
    usleep(2500);
    ConsoleLine("SLL: Set FullPattern_t pointers");

    ConsoleLine("SLL: Get First Point");
    int x = 0, y = 0;
    if (GetXY(&x, &y) != 0)
        x = y = 0;
    ConsoleLine("SLL: Check Response");
    FullPattern_t* first =
        AppendFullPatternPoint(nullptr, static_cast<float>(x), static_cast<float>(y), minSpeed);

    FullPattern_t* to = nullptr;
    if (mode == 1 && target == nullptr) {
        to = interface_.stitchList;
        ConsoleLine("SLL: Set From Beginning");
    } else if (target != nullptr) {
        to = target;
        ConsoleLine("SLL: Set From Alt");
    } else if (mode == 0) {
        to = fpTemp;
        ConsoleLine("SLL: Set From first");
    }
    if (to == nullptr) {
        ConsoleLine("SLL: Error Determining Starting Point");
        FreeFullPattern(first);
        return nullptr;
    }
    FullPattern_t* second = AppendFullPatternPoint(first, to->x, to->y, minSpeed);

    ConsoleLine("SLL: Explode Line");
    ExplodeLine(second, first, kMaxMove_thou);
    ConsolePrintf("SLL: Create Tmp Pointers and set fRate to %d\n", leadLineSpeed);
    ConsoleLine("SLL: Set Feeds");
    SetFeeds(first, 0);

    ConsoleLine("SLL: Send Points");
    const int sent = SendPoints(first);
    FreeFullPattern(first);
    return sent ? to : nullptr;
}

int SendPoints(FullPattern_t* list)
{
    if (list == nullptr) {
        ConsoleLine("points == NULL");
        return 0;
    }
    Halt();
    usleep(2500);
    SetSpeed(leadLineSpeed);

    int failures = 0;
    bool started = false;
    run::StallWatch watch;
    for (FullPattern_t* p = list; p != nullptr;) {
        unsigned char status = 0;
        int code = 0;
        const int result = CheckBuffer(&status, &code);
        UiRunPendingEvents();
        if (allStop == RUN_STOP) {
            StopPattern();
            ConsoleLine("LL STOPPED");
            return 0;
        }
        if (result == 4) {
            Resume();
            AllStop();
            if (runWidgets.stitchingToggle)
                StitchOff();
            DisableX();
            DisableY();
            ReportControllerError(code);
            return 0;
        }
        if (result != 0 || (status > BUFFER_EMPTY && status < BUFFER_ERROR && status != BUFFER_FINISHED)) {
            // No answer, or a status byte that means nothing: the line is garbled.
            if (++failures > kLeadLineQueryFailures) {
                run::NoteMachineEnd("the controller did not answer while a lead line was sent");
                run::Error("UNABLE TO SEND ALL POINTS");
                Resume();
                return 0;
            }
            watch.Status(-1);
        } else {
            failures = 0;
            watch.Status(status);
            if (status == 1 && !started) {
                Resume();  // the buffer is nearly full: let the carriage go
                started = true;
            }
            if (status <= 1 || status == BUFFER_ERROR || status == BUFFER_BUSY) {
                if (status == BUFFER_BUSY)
                    ConsoleLine("Motor is stitching");
            } else if (SendMove(p->x, p->y, p->feed) == 0) {
                p = p->next;
                watch.Progress();
            } else {
                ConsoleLine("Send Point Failed");
            }
        }
        // A silent line is judged by the failure count above, which ends with its own
        // message; the watch only judges a controller that answers.
        if (result == 0 && watch.RanOut()) {
            // The buffer never drains or no move is taken: the carriage is stuck.
            ConsoleLine("SLL: no progress for 10 s");
            run::NoteMachineEnd("the carriage did not take the lead line for 10 s");
            if (!started)
                Resume();
            return 0;
        }
        usleep(10);
    }
    if (!started)
        Resume();
    ConsoleLine("SLL: Send Points Done");
    return 1;
}

BufferWait WaitForBufferEnd(int* errorCode)
{
    if (errorCode)
        *errorCode = 0;
    int lastX = 0, lastY = 0;
    long deadline = NowSeconds() + 10;
    int lastStatus = -1;
    for (;;) {
        UiRunPendingEvents();
        if (allStop == RUN_STOP)
            return BufferWait::Stopped;
        unsigned char status = 0;
        int code = 0;
        const int result = CheckBuffer(&status, &code);
        if (result == 4) {
            if (errorCode)
                *errorCode = code;
            return BufferWait::Error;
        }
        usleep(10000);
        if (result == 0) {
            if (status == BUFFER_FINISHED)
                return BufferWait::Done;
            if (status == lastStatus || status > 98) {
                // Nothing drains: only a carriage that moves shows progress.
                int x = 0, y = 0;
                if (GetXY(&x, &y) != 0)
                    x = y = 0;
                if (std::abs(x - lastX) > 5 || std::abs(y - lastY) > 5)
                    deadline = NowSeconds() + 10;
                lastX = currentX = x;
                lastY = currentY = y;
            } else {
                deadline = NowSeconds() + 10;
            }
            lastStatus = status;
        }
        if (NowSeconds() > deadline)
            return BufferWait::Stalled;
    }
}

unsigned WaitForBuffer()
{
    currentX = currentY = 0;
    int code = 0;
    switch (WaitForBufferEnd(&code)) {
    case BufferWait::Done:
        return 1;
    case BufferWait::Stopped:
        ConsoleLine("WFB STOPPED");
        return 0;
    case BufferWait::Error:
        ReportControllerError(code);
        return 0;
    case BufferWait::Stalled:
        ConsoleLine("WFB: no progress for 10 s");
        run::NoteMachineEnd("the controller made no progress for 10 s");
        StopPattern();
        return 0;
    }
    return 0;
}

int SendFortyNine()
{
    ConsoleLine("Send 49 Started");
    if (!WaitForBuffer())
        return 0;
    if (fpTemp == nullptr)
        fpTemp = interface_.stitchList;
    if (fpTemp == nullptr)
        return 0;
    if (stitchRep > 97) {
        ConsoleLine("Send 49 Finished");
        return 1;
    }
    // Sends from the cursor on, up to the end of the stitched run: the point before a jump
    // and the jump's point are left to the streaming loop, which waits for the buffer to
    // drain before it handles the jump. A cursor standing on a jump's point (a restart
    // there, or a run of one point) sends nothing: the next point lies across the jump.
    const int limit = 98 - stitchRep;
    int sent = 0;
    FullPattern_t* p = fpTemp;
    while (sent < limit && p->jump != 1 && p->next != nullptr && p->next->jump != 1) {
        if (!run::SendPointMove(p, p->feed))
            return 0;
        fpTemp = p;
        ++sent;
        p = p->next;
    }
    if (sent == limit)
        ConsoleLine("Send 49 Finished");
    else if (p == interface_.stitchList) {
        // A path whose first point is all of its first run: that point is sent on its own.
        if (!run::SendPointMove(p, p->feed))
            return 0;
        fpTemp = p;
    }
    return 1;
}
