#pragma once
// Making a whole array as large as the current pattern box allows: the outline of the array
// (the convex hull of all its placements) is shrunk into the box, then bounced through it
// while it grows, and the growth it reached becomes the pattern's stretch and the spread of
// the placements.

struct LayoutNode;

constexpr const char* kCannotAutoscale =
    "CANNOT AUTOSCALE TO DEFINED PATTERN BOX.\nABORTING AUTOSCALE.";

enum AutoScaleArrayResult {
    AUTOSCALE_ARRAY_DONE = 0,         // also when fitting was cancelled (nothing applied)
    AUTOSCALE_ARRAY_BAD_BOX = 1,      // the box (or what the margins leave of it) is unusable
    AUTOSCALE_ARRAY_BAD_SHAPE = 2,    // the box's shape is not one fitting supports
};

// Fits the array of `node` (the node alone when it is in no array) into the current box
// shrunk by the margins; `stretch` 0 keeps the pattern's proportions, 1 scales X and Y
// apart. `width` x `height` is the room inside the margins; no room at all is an unusable
// box. Runs while interface_.fittingActive is set and stops early once it is cleared,
// leaving the layout as it was. The hull being fitted is kept in the global `hull` for the
// view and released (null) on every return. Failures show kCannotAutoscale.
int AutoScaleArray(LayoutNode* node, int stretch, float width, float height);
