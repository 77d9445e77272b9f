#pragma once
// The stitch path: the placements of the current pattern box turned into one doubly linked
// list of points in machine coordinates (thousandths of an inch), each with a feed rate in
// percent of the set speed. The stitching run streams it to the controller point by point.
//
// The path of the current box hangs from `interface_.stitchList`, which owns its points.
// Lead lines of the run are short lists of the same points, owned by whoever builds them
// and released with FreeFullPattern.
//
// How the path is made, and the units at each step, are explained at the top of
// stitch_path.cpp.

#include "patterns/geometry.h"

struct StatusWindow;

struct FullPattern_t {
    float feed = 100.0f;  // percent of the set speed, 0..100
    float x = 0.0f;       // machine X, thousandths of an inch
    float y = 0.0f;       // machine Y, thousandths of an inch
    FullPattern_t* next = nullptr;
    FullPattern_t* prev = nullptr;
    // 1: the move to `next` is travelled without stitching (tie-off here, tie-in at next).
    int jump = 0;
    // 1: inserted by line subdivision; 0: from the pattern, or set by the program itself.
    int interpolated = 0;
};

// Longest stitched move after subdivision: a segment longer than twice this is cut into
// pieces of 1 to 1.5 times it.
constexpr float kMaxMove_thou = 100.0f;

// Releases every point from `first` onwards (null is fine).
void FreeFullPattern(FullPattern_t* first);
// Releases the current box's path; `stitchList` and the stitch cursor `fpTemp` become null
// (the cursor can only point into the path).
void FreeStitchList();
// Number of points from `first` onwards.
int CountFullPattern(const FullPattern_t* first);
// Appends a new point after `last` (null: the point starts a new list) and returns it.
FullPattern_t* AppendFullPatternPoint(FullPattern_t* last, float x_thou, float y_thou,
                                      float feed);

// Rebuilds `interface_.stitchList` for the current pattern box: placements in layout order,
// jumps, corner and curve feeds, subdivision, acceleration limit and smoothing. Works
// under the status window the caller opened (`statWindow`, may be null). Returns 0.
int PackFullPattern();

// Sets every point's feed from the corner and the curvature at it; the first and the
// last point get feed 0. Advances the status window's counter once per point.
void FindPatternAngles(FullPattern_t* list, StatusWindow* statusWindow);

// The feed allowed at p1 (inches) given its neighbours p0 and p2, never below minFeed.
// `index` is not used. `angle_deg` receives the deflection, 0 (straight on) to 90 degrees.
float GetMaxFeed(Point p0_inch, Point p1_inch, Point p2_inch, int index, float minFeed,
                 float* angle_deg);

// Subdivides the segment from `earlier` to `later` (earlier is later's prev) into n equal
// pieces when it is longer than 2 * maxLength_thou; returns n, or 0 when nothing was
// inserted.
int ExplodeLine(FullPattern_t* later, FullPattern_t* earlier, float maxLength_thou);

// Limits the feed changes to what the carriage can accelerate and, with smooth 1, smooths
// the feeds and spreads them over [minSpeed, peak].
void SetFeeds(FullPattern_t* list, int smooth);
