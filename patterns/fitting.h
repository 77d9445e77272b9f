#pragma once
// Fitting a hull into a pattern box: shrinking it until it fits, bouncing it through the box
// while growing it, pushing it back inside, and how far a vertex lies from an edge.
//
// Everything works on point arrays in box coordinates (relative to the box origin; the box
// clockwise with Y up) and changes the hull in place. Each operation keeps the screen alive
// by running pending events and stops as soon as interface_.fittingActive is cleared. A
// Cancel of the waiting window may release the hull being fitted (the global `hull`) and the
// whole layout while events run, so after every event run nothing is touched before the
// flag has been checked.

#include "patterns/geometry.h"

struct StatusWindow;

// Tests replace the clock the fitting time limits are measured with (seconds, monotonic);
// null means the steady clock.
extern double (*fittingClockForTest)();

// Shrinks the hull by 1 % per step, centred on the box's target centre, until no vertex lies
// outside the box. Returns 1 when the hull fits; 0 when the box is refused (fewer than three
// corners, or not convex and clockwise, as a margin of half the box leaves it), when fitting
// is cancelled, or when the hull has shrunk below 0.001 inch without fitting.
int PatternInBox2(const PointArray* box, PointArray* hull, StatusWindow* status);

// Moves the hull through the box in a straight line (`step` inches per step, start
// `direction` in radians), reversing at the walls by `mode` (1 X only, 2 Y only, 3 both), and
// after the first bounce tries at every step to grow it by (growX, growY) about the centre of
// its bounding rectangle, along axes turned by `tilt` degrees; a growth is kept when the
// grown hull lies strictly inside. Ends when `growthLimit` growths have succeeded or the
// bounces exceed `bounceLimit`, and returns the distance travelled since the previous bounce
// (the hull then goes back half of it). 0 when the status window's STOP was pressed; -1 on
// cancel (hull untouched after it) or after 10 seconds ("HullBounce while loop Timeout").
double HullBounce(const PointArray* box, PointArray* hull, int mode, double step,
                  int bounceLimit, StatusWindow* status, double growX, double growY,
                  double direction, int growthLimit, double tilt);

// Pushes the hull back inside one offending vertex at a time, onto the crossed edge; with
// `shrink`, shrinks it by 1 % whenever another vertex offends. With `reportDirection`, the
// direction of the last push goes to *directionOut. Returns 1 when the hull lies inside,
// 0 when fitting was cancelled (hull untouched after it) or the hull could not be brought
// inside within 10 seconds or kPatternInBoxMoveCap moves.
int PatternInBox(const PointArray* box, PointArray* hull, double* directionOut, int shrink,
                 int reportDirection, StatusWindow* status);
constexpr int kPatternInBoxMoveCap = 100000;

// Every corner turns clockwise by at least the geometry tolerance (so the polygon is convex
// and clockwise) and is finite; at least three corners.
int PolygonConvexClockwise(const PointArray& polygon);

// Whether `shrunk`, the box polygon after AdjustForMargin, is still a box: convex and
// clockwise, and every side running the way it ran before (shrunk corner j is the moved
// corner j-1). A margin of half the box or more turns a rectangle about its centre, which is
// convex and clockwise but no box left; fitting into it must be refused.
int MarginLeavesBox(const PointArray& box, const PointArray& shrunk);

// Distance from v to the edge segment.
double GetOverlapDistance(Point v, const Edge& edge);
