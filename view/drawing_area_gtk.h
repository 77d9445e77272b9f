#pragma once
// The drawing area of the current screen and its expose handlers. The pictures themselves
// are drawn by the view's core into RGBA buffers; these handlers only put them on screen.
#include <gtk/gtk.h>

// Kinds of drawing area.
enum DrawingAreaKind {
    DA_STITCHING = 0,  // stitching view: view width x (view height - 60)
    DA_CAPTURE = 1,    // trace and camera: (view width - trace button width - 10) x view height
    DA_PATTERN = 2,    // pattern view: the view area
    DA_PREVIEW = 3,    // small preview of the pattern select screen
    DA_EXTENTS = 4,    // capture of the quilting area and pattern boxes: the view area
};

// Destroys the current drawing area (if it still is a widget) and makes a new one of `kind`
// the current one (mainUi.drawingArea). Returns it, not yet packed.
GtkWidget* SetDrawingArea(int kind);
