#pragma once
// The pattern pop-up menu's "Repeat" and "Autofill", apart from their widgets. Both work on
// the selected placement (interface_.selectedNode) and take the undo snapshot first.

struct RepeatValues;
struct LayoutNode;

// The placement Repeat works on for the selection (its array's parent for a copy), or null
// when the selection is no placement of the layout.
LayoutNode* RepeatSelected();

// The repeat dialog's OK: snapshot, then the grid (ApplyRepeat), pictures and view redrawn.
// Returns ApplyRepeat's result; REPEAT_REFUSED without a placement.
int RepeatApply(LayoutNode* node, const RepeatValues& values);

// Autofill: the grid of as many copies as fit (AutofillLayout), then the whole array scaled
// into the box behind the waiting window "\n\nUPDATING PATTERNS" and centred. Cancel there
// ends the scaling early and brings back the layout from before the autofill. Menus and
// toolbar are back to normal however it ends. Returns AutoScaleArray's result, or -1 when
// nothing was laid out.
int popupAutofill();
