#pragma once
// Small helpers the parts of the stitching run share (not for use outside machine/).

#include <string>

struct FullPattern_t;

namespace run {

// Modal windows with one answer button (OK); questions return the response.
void Error(const std::string& text);
void Warning(const std::string& text);
void Information(const std::string& text);
int Question(int buttons, const std::string& text);

// The stitching mask on menus and toolbar, stored as the current one.
void SetRunMask();
// Tells the widget side that runWidgets changed.
void WidgetsChanged();

// Switches an active Lock X / Lock Y toggle off the way its handler does: the axis is
// released.
void SwitchLocksOff();

// The stitch controller check of Start, THREAD BREAK and the Stitching toggle: when the
// query answers anything but 1, warns, switches the Stitching toggle off, stops stitching
// and returns false. A failed query counts as ready.
bool StitcherReady();

// While the machine's home has moved since the quilting area was set, every stitch of a run
// would land offset on the quilt: tells the operator and returns true.
bool RefuseWhileHomeMoved();

// The run was ended by StopPattern since it started (or resumed): every caller up the stack
// must unwind without sending anything more.
bool Ended();
void MarkEnded(bool ended);

// Sends one move to a path point, re-sending it when the controller refuses it or does not
// answer, a bounded number of times. True once accepted (or with the port closed).
bool SendPointMove(const FullPattern_t* p, float feed);

// Records why the machine ended the run (for runEndReason): `what` happened, or the line
// was hung up, which explains any silence.
void NoteMachineEnd(const char* what);

// Straight distance between two points of the path, thousandths of an inch.
float Distance_thou(const FullPattern_t* a, const FullPattern_t* b);

// Watches a wait for progress. Progress is a changed buffer status or a point sent; when
// the watch runs out without either, the machine position is read once, and a carriage that
// moved more than 5 thou gives the wait another period.
class StallWatch {
public:
    static constexpr long kPeriod_ms = 10000;
    static constexpr long kSecondLook_ms = 1000;
    StallWatch();
    void Progress();
    // Feeds an answered buffer status (-1 for an unanswered poll, which changes nothing).
    void Status(int status);
    // True when no progress has been seen for a whole period.
    bool RanOut();

private:
    long deadline_ms_;
    int lastStatus_ = -1;
    bool havePosition_ = false;
    int x_ = 0;
    int y_ = 0;
};

}  // namespace run
