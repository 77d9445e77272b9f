#pragma once
// The layout: placements of loaded patterns in pattern boxes, in stitching order, and the
// table of array parameters.
//
// A placement (`LayoutNode`) names a pattern by its slot in `patternList` and a box by its
// slot in `patternBoxList`; its x, y is the position of the placed pattern's bounding-box
// corner relative to the box origin. A pattern stays loaded while a node names it: removing
// the last node of a pattern erases the pattern.
//
// Ownership: `patternLayout` owns the nodes linked from it. Copies made with CopyLayoutNode
// belong to whoever made them (release a chain of them with FreeLayoutList).

#include <array>

#include "patterns/geometry.h"

struct LayoutNode {
    int patternIndex = 0;      // slot in patternList
    int arrayIndex = -1;       // slot in Arrays, -1 when in no array
    int isArrayParent = 0;     // 1 for the placement the array's repeats were made from
    float x = 0.0f;            // bounding-box corner relative to the box origin, inches
    float y = 0.0f;
    LayoutNode* origin = nullptr;  // the node as first created; identifies a placement
                                   // across copies, never dereferenced here
    int boxIndex = 0;          // slot in patternBoxList
    LayoutNode* next = nullptr;
};

extern LayoutNode* patternLayout;  // head of the layout, null when empty

constexpr int MAX_ARRAYS = 50;

struct ArrayNode {
    float spacingDown = 0.0f;    // gap between rows, inches
    float spacingAcross = 0.0f;  // gap between columns, inches
    int rows = 0;
    int columns = 0;
};

extern std::array<ArrayNode*, MAX_ARRAYS> Arrays;  // null = free

// --- Placements ------------------------------------------------------------------------------

// Appends a placement to the current box (`currentBox`); null when memory runs out.
LayoutNode* NewPatternLayoutNode(int patternSlot, int arraySlot, int isParent, float x, float y);
// An unlinked copy of every field (next cleared), or null for a null node.
LayoutNode* CopyLayoutNode(const LayoutNode* node);
// Releases a chain of nodes that is not the layout (private copies).
void FreeLayoutList(LayoutNode* head);
// Unlinks and releases a node of the layout; erases its pattern when no other node names
// it. A node that is not in the layout is left alone.
void RemoveLayoutNode(LayoutNode* node);
// The first node with the same arrayIndex that is the array's parent, or null.
LayoutNode* GetParentNode(const LayoutNode* node);
void MoveLayoutPattern(LayoutNode* node, float dx, float dy);
// Moves every placement of the current box.
void MoveLayoutAll(float dx, float dy);
// Turns all placements of the node's array by `degrees` about (cx, cy) and centres the
// turned array on (cx, cy). Nothing for a node in no array.
void RotateLayout(const LayoutNode* node, float cx, float cy, float degrees);

// Over the placements of the current box, each covering x .. x + pattern width and
// y .. y + pattern height. With no placement in the current box: origin and centre (0, 0),
// dimensions (-1, -1). Dimensions come back as (width, height) in x and y.
void GetLayoutOrigin(Point* out);
void GetLayoutCenter(Point* out);
void GetLayoutDimensions(Point* out);

// The n-th nearest placement (0 = nearest) of the current box to the screen point
// (px, py) of the pattern view, ties in layout order; null when the box has n or fewer
// placements. The view's scale (inches per pixel) and pan are passed in by the view.
LayoutNode* GetClosestPattern(int px, int py, int n, float viewScale, int panX, int panY);

// --- Arrays ----------------------------------------------------------------------------------

// Releases every array record and empties all slots.
void InitArrays();
// The lowest free slot filled with a new record, or -1 when all are used.
int NewArrayNode(int rows, float spacingDown, int columns, float spacingAcross);
// Overwrites an existing record; ignored for a slot out of range or empty.
void SetArrayNode(int slot, int rows, float spacingDown, int columns, float spacingAcross);
// The record in `slot`, or null for an empty or out-of-range slot.
ArrayNode* GetArrayNode(int slot);
// Releases the record and empties the slot; ignored out of range.
void RemoveArrayNode(int slot);

// --- Whole layout ----------------------------------------------------------------------------

// Frees all layout state and starts an empty layout: every placement, every loaded pattern
// (a fresh empty pattern list), the quilting extents, every pattern box (a fresh empty box
// list, empty pbTemp, currentBox -1), every array record and the fitting hull.
void ResetLayout();
