#pragma once
// Small layouts built in memory, for the tests of the menus and the pop-up actions.
struct LayoutNode;

// A new layout (ResetLayout) with a quilting area of 40 x 20 inches, home at (0, 0), and one
// box of 10 x 8 at (5, 5), starting at its corner (5, 13), made the current box.
void AreaWithOneBox();

// AreaWithOneBox and a two-point pattern, "p X1 Y1" then "p X3 Y2", placed in the box at
// (2.5, 1.5). Returns the placement.
LayoutNode* AreaBoxAndOnePlacement();

// How many placements the layout holds.
int PlacementCount();
