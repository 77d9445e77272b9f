#pragma once
// Re-registering the current pattern box after the quilt has been rolled: moving the box and
// turning everything placed in it.

struct PatternBox;

// Moves a box by (dx, dy) inches: origin, centre and every outline corner. Nothing for null.
void ShiftPatternBox(PatternBox* box, float dx, float dy);

// Turns every single placement and every array of the current box by `radians` where it
// lies (a single placement about its middle, an array about the middle of all its
// placements), the pattern's recorded rotation following by whole degrees.
void RotateFullPattern(float radians);

// Two marks on the quilt read before the roll (a, b) and found again after it (c, d),
// thousandths of an inch.
struct NestMarks {
    long ax = 0, ay = 0, bx = 0, by = 0, cx = 0, cy = 0, dx = 0, dy = 0;
};
struct NestMove {
    double xOffset = 0;  // inches
    double roll = 0;     // inches
    double initial = 0, now = 0;  // directions from the first mark to the second, radians
    double turn = 0;     // initial - now, brought into (-pi, pi]
};
NestMove NestMoveOf(const NestMarks& m);

// Marks closer than this (thousandths) give no usable direction.
constexpr long kNestMinMarkDistance = 1000;
