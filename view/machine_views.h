#pragma once
// Pictures of the views that follow the machine by hand: the trace view (da_Capture) and
// the point-selection dialogs (da_SelectPoint, da_SelectPoint2). Drawn into RGBA buffers
// that the widgets' expose handlers blit.

#include <cairo.h>

#include "view/pattern_view.h"  // ViewBuffer

// The trace view on a W x H area, fitted to the quilting area (the view's scale without
// one): the camera picture when there is one, every recorded point of tmpPattern as one
// black pixel, a dashed "#008899" cross-hair through the last point, and the info text
// at the bottom left.
void RenderCapture(ViewBuffer& out, int width, int height);
void DrawCapture(cairo_t* cr, int width, int height);
// The inches per pixel the trace view draws at on a W x H area.
float CaptureViewScale(int width, int height);

// A point-selection dialog's area: "#CCFFFF", the current box's outline in red and its
// placements as the pattern view places them, the "#008899" cross-hair through the
// measuring line's start, and (withButtons) OK and Cancel along the bottom row.
void RenderSelectPoint(ViewBuffer& out, int width, int height, bool withButtons);
void DrawSelectPoint(cairo_t* cr, int width, int height, bool withButtons);
