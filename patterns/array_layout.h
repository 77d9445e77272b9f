#pragma once
// Laying one pattern out in a grid: the repeat (an array of copies with chosen gaps) and the
// layout half of autofill (as many copies as fit in the current pattern box).
//
// An array is one pattern drawn several times: every copy is its own placement naming the
// same pattern slot and one array record; the placement that was repeated is the parent.

struct LayoutNode;

// The slider ranges of the repeat dialog.
constexpr int kRepeatMinCount = 1;
constexpr int kRepeatMaxCount = 20;
constexpr float kRepeatMaxSpacing = 10.0f;

constexpr const char* kCannotArray = "THE PATTERN CANNOT BE ARRAYED IN THE CURRENT PATTERNBOX";
constexpr const char* kCouldNotAddArray = "COULD NOT ADD ARRAY";
constexpr const char* kCouldNotCreateArray = "COULD NOT CREATE ARRAY";

// The placement a repeat works on: the array's parent for a copy (the node itself when its
// array has no parent left), the node for a single placement. A node whose array record is
// gone is made a single placement first (array index -1).
LayoutNode* RepeatTarget(LayoutNode* node);

// What the repeat dialog starts with: 1 x 1 without gaps, or the node's array record.
struct RepeatValues {
    int down = 1;
    float spacingDown = 0.0f;
    int across = 1;
    float spacingAcross = 0.0f;
};
RepeatValues RepeatStartValues(LayoutNode* node);

enum RepeatResult {
    REPEAT_DONE = 1,
    REPEAT_REFUSED = 0,   // no placement, counts outside 1..20 or spacing outside -10..10
    REPEAT_NO_SLOT = -1,  // every array slot taken ("COULD NOT ADD ARRAY" shown)
};

// The repeat on `node` (see RepeatTarget): the old copies of its array removed, the array
// record made or updated, and a copy added for every cell of down x across but the first.
// Counts 1 x 1 leave a single placement and no array. interface_.selectedNode is set to the
// placement worked on, so it never names a freed copy. No undo snapshot here.
int ApplyRepeat(LayoutNode* node, int down, float spacingDown, int across, float spacingAcross);

enum AutofillResult {
    AUTOFILL_LAID_OUT = 1,
    AUTOFILL_NOTHING = 0,     // no placement or no current box
    AUTOFILL_ARRAYED = -1,    // "YOU MAY NOT AUTOFILL AN ARRAYED PATTERN" shown
    AUTOFILL_NO_FIT = -2,     // kCannotArray shown
    AUTOFILL_CANCELLED = -3,  // the proportions question was cancelled
    AUTOFILL_NO_SLOT = -4,    // kCouldNotCreateArray shown; nothing changed
};

// How many copies of the node's pattern fit the current box within the margins, as
// across x down. 0 (nothing filled in) when it does not fit, the pattern has no size, or
// fewer than two fit either way.
int AutofillCounts(const LayoutNode* node, int* across, int* down);

// Autofill's layout: the checks, the question "KEEP PATTERN PROPORTIONS ON AUTOSCALE?"
// (Yes, No, Cancel) and the grid at the margins. *stretch is set to 0 for Yes, 1 for No.
// Nothing changes before the array record has been obtained.
int AutofillLayout(LayoutNode* node, int* stretch);
