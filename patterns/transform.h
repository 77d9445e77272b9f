#pragma once
// Changing the shape of a pattern: turning, mirroring, reversing the stitching direction and
// stretching, and turning one placement (or its whole array) in place.
//
// A pattern's geometry is shared by every placement that names its slot. Each transform
// works from the pattern's true bounding box (recomputed from the points first) and does
// nothing to a pattern without points.

#include <optional>

#include "patterns/geometry.h"

struct Pattern;
struct LayoutNode;
struct StatusWindow;

// Turns the points by `degrees` about the centre of their bounding box: counter-clockwise
// with Y read upward (the view draws Y downward, so it looks clockwise there). The points
// are then shifted so that their smallest X and Y are 0, while minX/minY/maxX/maxY keep the
// values the turned points had before that shift: the caller brings them up to date
// (UpdatePatternSize or RefreshPatternPix) right afterwards. `rotation` is not changed.
// Returns how far the bounding-box corner moved, (old width - new width) / 2 and
// (old height - new height) / 2, which keeps a placement centred where it was when added to
// its offset. Nothing for a null pattern, one without points or an angle that is not finite.
std::optional<Point> RotatePattern(Pattern* pattern, float degrees);

// Mirrors the points inside their bounding box: with mirrorX every X becomes
// minX + maxX - X, with mirrorY every Y likewise. The thumbnail is drawn again.
void mirrorPattern(Pattern* pattern, int mirrorX, int mirrorY);

// Whether stretchPattern would accept this: axis 'x' or 'y', a finite factor above 0, and
// no coordinate carried beyond kPatternCoordinateMax (where the layout reader stops).
int StretchAllowed(const Pattern* pattern, int axis, double factor);
// Multiplies every X (axis 'x') or Y (axis 'y') by `factor`; width and baseWidth (height and
// baseHeight) follow. Returns how far the centre of the stretched extent moved relative to
// the bounding-box corner, (new size - old size) / 2; 0 and nothing changed when
// StretchAllowed refuses. With a status window, its counter counts the points and the window
// is refreshed every 500.
float stretchPattern(Pattern* pattern, int axis, double factor, StatusWindow* status);

// Reverses the stitching direction: the points in reverse order, every command moved so that
// it stands between the same two points as before, the entity starts and ends swapped.
void ReversePattern(Pattern* pattern);

// Turns a placement by `degrees` where it lies: a single placement about the middle of its
// pattern (its offset corrected by RotatePattern's shift), an array about the middle of the
// rectangle covering all its placements, whose offsets turn with it. The pattern's size is
// brought up to date; pictures are the caller's. 1 when turned; 0 for a null node, an empty
// slot or a pattern without points.
int TurnPlacement(LayoutNode* node, float degrees);

// Whole degrees wrapped into [0, 360), for the `rotation` a pattern records (0 for an angle
// that is not finite).
int WrapRotation(double degrees);
