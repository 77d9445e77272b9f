#pragma once
// The scale dialog's live preview: how the selected placements will look at the chosen
// percentages against the other placements of the current pattern box.
#include "view/pattern_view.h"

struct LayoutNode;

// Draws the preview into `out` (w x h pixels, at least 1 x 1) at interface_.viewScale inches
// per pixel, with the current box centred: the box's other placements from their pictures
// tinted (0, 128, 192) at alpha 128, the selected placements (`nodes`, copies of layout
// nodes) as black lines stretched by scaleX and scaleY percent about the middle of their
// unstretched extent, and the box outline red and dashed. The pattern pictures must be at
// the current scale (RefreshPatternPix).
void RenderScalePreview(ViewBuffer& out, int w, int h, const LayoutNode* nodes, float scaleX,
                        float scaleY);
