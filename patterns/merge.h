#pragma once
// Merging an array of repeats into one pattern.

// 1 while a merge runs; the waiting window's Cancel clears it to stop the merge.
extern int mergePatternsActive;

// Turns the array of the selected placement (interface_.selectedNode) into one pattern: a
// copy of the source pattern at every placement of the array (the parent first, then the
// others in layout order), each copy an entity of its own, rows not joined. The merged
// pattern takes the source's slot (a slot of its own when placements outside the array
// share the source), the parent is its one placement, at the merged pattern's corner, in no
// array; the other placements go and the array record is emptied. Runs inside the
// cancellable waiting window "MERGING PATTERN FILES", which rolls the layout back through
// the undo snapshot when cancelled. Returns 1 when merged; 0 when stopped or refused (no
// valid selection, no array ("ONLY REPEATED PATTERNS MAY BE MERGED"), an array record with
// fewer than one row or column, a source without points, no free slot).
int MergePatterns();
