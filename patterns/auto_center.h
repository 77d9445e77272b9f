#pragma once
// Centring placements in their pattern box.

struct LayoutNode;

// Moves every placement of the current pattern box so that the rectangle covering them is
// centred on the box's target (BoxTargetCentre; for a triangle the centroid of the box
// shrunk by the margin), in X when centreX is non-zero and in Y when centreY is. Nothing
// without placements in that box, for a box that cannot be classified or has no target.
void AutoCenter(int centreX, int centreY);

// The same for the placements of the node's array only (the node alone when it belongs to
// none), their rectangle measured with the node's pattern size, in the node's box.
void AutoCenterPattern(const LayoutNode* node, int centreX, int centreY);
