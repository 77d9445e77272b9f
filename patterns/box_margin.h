#pragma once
// A pattern box as a polygon for fitting and centring: its corners relative to the box
// origin, shrunk by the margin, and the point a fitted or centred shape aims at.
//
// Intersections are taken in double precision on the lines' direction vectors, so steep and
// vertical sides need no stand-in slope, and parallel lines are recognised instead of being
// divided by zero.

#include "patterns/geometry.h"

struct PatternBox;

// The box's corners relative to its origin, in corner order. Empty for a null box.
PointArray BoxPolygon(const PatternBox* box);

// Moves every side of the polygon inward (to its clockwise side) by |xMargin| and replaces
// the corners by the crossings of the moved sides: the new corner j is where the moved side
// ending at corner j-1 meets the moved side ending at corner j, so the list starts with the
// moved last corner. Where two neighbouring sides are parallel, their shared corner is moved
// with them. An xMargin outside -10..10 (or not a number) is first reset to 0, the setting
// itself included. A null polygon is logged ("Box is NULL") and left alone; so is one of
// fewer than three corners.
void AdjustForMargin(PointArray* polygon);

// Where the line through a0 and a1 meets the line through b0 and b1. False for parallel
// (or degenerate) lines; *out is then untouched.
bool IntersectLines(Point a0, Point a1, Point b0, Point b1, Point* out);

// The point a shape is centred on in the box polygon: for three corners the centroid (the
// crossing of the medians from corner 2 and from corner 0); for four corners with
// `fourCornerDiagonals` the crossing of the diagonals; otherwise the centre of the corners'
// bounding rectangle. False when there is no such point (fewer than three corners, a
// triangle whose corners are in line, crossing diagonals missing) or it is not finite.
bool BoxTargetCentre(const PointArray& polygon, int fourCornerDiagonals, Point* out);
