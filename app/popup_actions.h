#pragma once
// What the pattern pop-up menu's shape items and the Edit menu's AutoCenter do, apart from
// their widgets. Each pop-up action works on the selected placement (interface_.selectedNode)
// and does nothing when there is none, or when it no longer names a placement of the layout
// with a loaded pattern.

struct Pattern;

// Rotate ▸ 90 Degrees CW / CCW: undo snapshot, then the placement turned a quarter (the
// pattern by 90 or 270 degrees with Y read upward), pictures and view redrawn.
void popupRotateCW();
void popupRotateCCW();
// Mirror ▸ Horizontal (top and bottom swap) / Vertical (left and right swap). No snapshot.
void popupMirrorH();
void popupMirrorV();
// Reverse Path: the stitching direction reversed. No snapshot.
void popupFlipPath();
// Merge: asks, takes the snapshot and merges the selected placement's array into one
// pattern; says whether it completed or was cancelled.
void popupMergePattern();
// Remove: asks, takes the snapshot and removes the placement (with the rest of its array).
void popupRemove();
// Edit ▸ AutoCenter: snapshot, then the placements of the current box centred in it:
// choice 0 both ways, 1 in X only, 2 in Y only.
void menuEditAutoCenter(int choice);

// A waiting window's Cancel: stops the fitting and the merge that may be running.
void StopWorkInProgress();
// A pattern placed into a turned box is turned with it (installed as rotatePatternHook).
void RotatePatternForBox(Pattern* pattern, float degrees);

// Scale (undo snapshot first), Rotate ▸ Select and Properties on the selected placement.
void popupScale();
void popupRotate();
void popupProperties();
// "Retrieve Start Point"'s reading of the machine position: GetXY, with a closed port
// counted as a controller that does not answer.
int ReadMachinePosition(int* x, int* y);
