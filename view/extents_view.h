#pragma once
// The picture of the capture screen (da_ExtentsView), drawn into an RGBA buffer that the
// screen's expose handler blits.

#include <cairo.h>

#include "view/pattern_view.h"  // ViewBuffer

// A W x H view (view_area_width x view_area_height when not positive): fitted to the
// quilting area when a fit was asked for, on "#CCFFFF". For a box: the area's outline, the
// outline being entered with a mark on its live corner, the live position and the Add, OK
// and Cancel buttons. For the area: the motor-direction mark, the hint towards the next
// corner and the Add and Cancel buttons. Then the prompt, centred in its box.
void RenderExtentsView(ViewBuffer& out, int width, int height);
void DrawExtentsView(cairo_t* cr, int width, int height);
