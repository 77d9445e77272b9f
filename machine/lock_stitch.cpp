// Lock stitches: a few stitches back and forth on the spot where a stitched run begins or
// ends, so that the thread cannot unravel.
//
// The stitches go between the cursor C (fpTemp) and a neighbour N at another position, at
// speed 40 and feed 30, two per pass (A, needle, B, needle). Which neighbour, and which of
// the two comes first, depends on where C lies:
//   1. C is the first point of the path: N is the first later point elsewhere; first to N.
//   2. C is within 0.1 inch of the first point: N is the first point when C differs from
//      it in both X and Y, else the nearest earlier point elsewhere; first to C.
//   3. mode 1 (never used): N is the first later point elsewhere; first to N.
//   4. otherwise N is the nearest earlier point elsewhere; first to N.
// Machines that stitch by needle cycle make one stitch per NeedleUp; machine type 11
// stitches continuously while the two moves are made.

#include <cstdio>

#include "base/console.h"
#include "base/interface.h"
#include "base/settings.h"
#include "machine/controller.h"
#include "machine/run_state.h"
#include "machine/run_support.h"
#include "machine/stitch_control.h"
#include "machine/stitch_path.h"
#include "machine/stitching_run.h"


namespace {

constexpr int kLockStitchSpeed = 40;
constexpr float kLockStitchFeed = 30.0f;
constexpr float kNearFirst_thou = 100.0f;

bool Elsewhere(const FullPattern_t* a, const FullPattern_t* b)
{
    return a->x != b->x || a->y != b->y;
}

// The neighbours never lie across a jump: a point with `jump` 1 ends its stitched run, and
// a lock stitch to the next run would sew the jump.
FullPattern_t* LaterElsewhere(FullPattern_t* c)
{
    if (c->jump == 1)
        return nullptr;
    for (FullPattern_t* p = c->next; p != nullptr; p = p->next) {
        if (Elsewhere(p, c))
            return p;
        if (p->jump == 1)
            break;
    }
    return nullptr;
}

FullPattern_t* EarlierElsewhere(FullPattern_t* c)
{
    for (FullPattern_t* p = c->prev; p != nullptr && p->jump != 1; p = p->prev)
        if (Elsewhere(p, c))
            return p;
    return nullptr;
}

// True when `early` and `late` (later along the path) belong to one stitched run.
bool SameRun(const FullPattern_t* early, const FullPattern_t* late)
{
    for (const FullPattern_t* p = early; p != nullptr && p != late; p = p->next)
        if (p->jump == 1)
            return false;
    return true;
}

// The two ends of the lock stitches, A first; false when there is no neighbour to stitch to.
bool ChooseEnds(FullPattern_t* c, int mode, FullPattern_t** a, FullPattern_t** b)
{
    FullPattern_t* first = interface_.stitchList;
    FullPattern_t* n = nullptr;
    if (c == first) {
        n = LaterElsewhere(c);
        *a = n;
        *b = c;
    } else if (first != nullptr && run::Distance_thou(c, first) < kNearFirst_thou) {
        n = (c->x != first->x && c->y != first->y && SameRun(first, c)) ? first
                                                                         : EarlierElsewhere(c);
        *a = c;
        *b = n;
    } else if (c->prev == nullptr || mode == 1) {
        if (c->next == nullptr || mode == 0)
            return false;
        n = LaterElsewhere(c);
        *a = n;
        *b = c;
    } else {
        n = EarlierElsewhere(c);
        *a = n;
        *b = c;
    }
    return n != nullptr;
}

// One lock-stitch move and the wait for it; false when the run has been stopped.
bool StitchTo(const FullPattern_t* p)
{
    if (!run::SendPointMove(p, kLockStitchFeed) || !WaitForBuffer()) {
        if (!run::Ended())
            StopPattern();
        return false;
    }
    return true;
}

bool StopRequested()
{
    if (allStop != RUN_STOP)
        return false;
    StopPattern();
    ConsoleLine("LS STOPPED");
    return true;
}

}  // namespace

void LockStitch(int mode)
{
    ConsoleLine("LS");
    StitchOff();
    FullPattern_t* c = fpTemp;
    FullPattern_t* a = nullptr;
    FullPattern_t* b = nullptr;
    if (c == nullptr || !ChooseEnds(c, mode, &a, &b)) {
        // No stitches, but the moves that follow still run at the stitching speed.
        SetSpeed(static_cast<int>(maxSpeed));
        return;
    }

    Resume();
    SetSpeed(kLockStitchSpeed);
    const bool heldButton = needleUpMethod == MACHINE_TYPE_AR18;
    if (stitchRep == 0) {
        if (!WaitForBuffer()) {
            if (!run::Ended())
                StopPattern();
            return;
        }
        if (allStop == RUN_GO)
            NeedleUp();
    } else {
        for (int made = 0; made < stitchRep; made += 2) {
            if (StopRequested() || !StitchTo(a))
                return;
            if (heldButton)
                StitchOn();
            else
                NeedleUp();
            if (StopRequested() || !StitchTo(b))
                return;
            if (!heldButton)
                NeedleUp();
        }
        if (heldButton)
            StitchOff();
    }
    Halt();
    ConsoleLine("LS DONE");
    SetSpeed(static_cast<int>(maxSpeed));
}
