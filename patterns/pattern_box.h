#pragma once
// Pattern boxes and the quilting extents: polygons on the quilt in table coordinates
// (inches), entered corner by corner by driving the machine to each corner.
//
// Ownership: `patternBoxList` owns its boxes, each box owns its corner list, `extents` and
// `pbTemp` are owned through their globals. Boxes are created with CreatePatternBox /
// NewPatternBoxAtIndex / CopyPatternBox and released with FreePatternBox (or delete).

#include <cstdint>

constexpr int MAX_PATTERN_BOXES = 50;

// One corner. `index` counts from 0 in entry order.
struct BoxPoint {
    int index = 0;
    float x = 0.0f;
    float y = 0.0f;
    BoxPoint* next = nullptr;
};

// One polygon: the quilting extents or a pattern box.
struct PatternBox {
    float originX = 0.0f;  // smallest X and Y of the corners (after SetPatternBoxOrigin)
    float originY = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    float angle = 0.0f;    // degrees; placed patterns are turned by it, truncated
    // Centre: for four or more corners measured from the origin (half the size); for a
    // triangle its centroid in table coordinates. Layout files store it as it is.
    float centerX = 0.0f;
    float centerY = 0.0f;
    int cornerCount = 0;
    BoxPoint* corners = nullptr;  // entry order, owned

    PatternBox() = default;
    ~PatternBox();  // releases the corners
    PatternBox(const PatternBox&) = delete;
    PatternBox& operator=(const PatternBox&) = delete;
};

// The pattern boxes, always in the lowest slots without gaps.
struct PatternBoxList {
    int count = 0;
    PatternBox* boxes[MAX_PATTERN_BOXES] = {};

    PatternBoxList() = default;
    ~PatternBoxList();  // releases every box
    PatternBoxList(const PatternBoxList&) = delete;
    PatternBoxList& operator=(const PatternBoxList&) = delete;
};

extern PatternBoxList* patternBoxList;  // null before InitPatternBox
extern PatternBox* extents;             // the quilting area; null until it has been set up
extern PatternBox* pbTemp;              // corners being entered; may be null
// Index of the pattern box being worked on, -1 when none exists yet. It belongs with the
// main window's state; it lives here until that record exists, and everything that needs
// the current box reads this global.
extern int currentBox;

// Releases a box and its corners (null is fine).
void FreePatternBox(PatternBox* box);
// The box in a slot, or null for an empty or out-of-range slot.
PatternBox* GetPatternBox(int slot);

// Replaces the box list with an empty one (the old list and its boxes are released),
// empties pbTemp (creating it when missing) and sets currentBox to -1.
PatternBoxList* InitPatternBox();
// New empty box in the lowest empty slot; the slot, or -1 when all 50 are used.
int CreatePatternBox();
// Puts a new empty box into `slot`. A box already there is removed together with its
// placements and replaced in place (no compaction, currentBox unchanged). A slot above the
// used ones would leave a gap and is refused, as is a slot outside 0..49.
void NewPatternBoxAtIndex(int slot);
// Adds a corner. With `checkCrossing`, a side from the last corner that would cross or run
// back along the outline entered so far is refused (returns 0, nothing changes). With
// `setOrigin` the origin becomes the new point. A null box returns 1.
int AddPatternBoxPoint(PatternBox* box, float x, float y, int setOrigin, int checkCrossing);
// Recomputes origin, size, centre and angle from the corners.
void SetPatternBoxOrigin(PatternBox* box);
// Releases the corners and zeroes origin, size, angle and count; the centre is kept.
void ClearPatternBox(PatternBox* box);
// A new box equal to `box`: origin, size, angle, centre and a fresh copy of the corners.
PatternBox* CopyPatternBox(const PatternBox* box);
// Removes the box in `slot` and its placements, moves the later boxes down (renumbering
// their placements) and steps currentBox back by one, not below 0.
void RemovePatternBox(int slot);
// 1 when every corner turns strictly clockwise (a convex, clockwise box); 0 otherwise,
// also for a null box or one with fewer than three corners.
int CheckPatternBox(const PatternBox* box);
// 0 triangle, 1 orthogonal, 2 convex, 3 reflex, -1 invalid.
int GetPolygonType(const PatternBox* box);
int IsOrthogonal(const PatternBox* box);
int IsConvex(const PatternBox* box);
int IsReflex(const PatternBox* box);

// A built-in quilting area (35 x 14 inches) and one diamond-shaped box 0, for trials
// without a machine; currentBox becomes 0.
void BogusExtents();
