#pragma once
// Scaling a placement (or its whole array) as large as its pattern box allows, by linear
// programming: the largest scale factor (or pair of factors) and translation under which
// every vertex of the placement's convex hull lies inside every side of the box.
//
// The box is given as its corners relative to the box origin (BoxPolygon), clockwise with
// Y up; the hull in the same frame. A moved vertex is s * h + t: the pattern is scaled about
// the box origin, so a placement's offset x becomes s * x + tx (and likewise y).

#include "patterns/geometry.h"

// Uniform program: maximise s. Returns 1 when the solver found an optimum with s positive
// and finite; the outputs are then set. Otherwise (solver error, infeasible or unbounded
// program, fewer than three box corners or two hull points) returns 0 and leaves the outputs
// unchanged.
int lpSolve(const PointArray& box, const PointArray& hull, double* scale, double* tx, double* ty);
// Separate program: maximise sx + sy. As lpSolve, both factors positive and finite.
int lpSolveXYScale(const PointArray& box, const PointArray& hull, double* sx, double* sy,
                   double* tx, double* ty);

// For every placement of the selected placement's array: along axis 'x' x = x * factor + tx,
// along 'y' y = y * factor + ty; the array's spacing along that axis is multiplied once.
void scaleArray(int axis, double factor, double tx, double ty);

// One solve on the selected placement (interface_.selectedNode), or on its whole array when
// `isArray`, against the placement's box; the result applied to the pattern and the
// placements. `uniform` 0 solves for separate factors, applied only when both exceed 0.2.
// A box that is not convex and clockwise shows the warning
// "CANNOT AUTOSCALE TO DEFINED PATTERN BOX. \nABORTING AUTOSCALE." and changes nothing.
// Returns 1 when a solve was applied; the applied factors are multiplied into *factorX and
// *factorY when given. With `box`, that polygon (box coordinates, e.g. shrunk by the margin)
// is fitted instead of the placement's box; it must be convex and clockwise as well.
int autoScale(int isArray, int uniform, double* factorX = nullptr, double* factorY = nullptr,
              const PointArray* box = nullptr);

struct AutoScaleResult {
    double scaleX = 1.0;  // overall factors applied to the pattern
    double scaleY = 1.0;
    int solved = 0;       // 1 when any solve was applied
};

// Four uniform solves on the selected placement (its array when it is in one); without
// proportions three separate solves follow. Repeating converges on the box.
AutoScaleResult runAutoScale(int keepProportions, const PointArray* box = nullptr);
