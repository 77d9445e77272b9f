#pragma once
// The pattern view's measuring line, in view pixels. The measuring tool draws it from the
// touch point to the finger; during a stitching run its start point is where the stitching
// view draws the cross-hair that follows the needle.

struct MeasureLine {
    int startX = 0;
    int startY = 0;
    int endX = 0;
    int endY = 0;
};

// The line, or null when none is shown. Owned here.
extern MeasureLine* measureLine;

// The line, created as four zeros when there is none.
MeasureLine* EnsureMeasureLine();
// Removes the line (nothing when there is none).
void DeleteMeasure();
