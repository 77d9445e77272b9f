#pragma once
// The drawing area of the current screen and its expose handlers. The pictures are drawn by
// the view's core (view/pattern_view.h); these handlers only put them on screen.
#include <gtk/gtk.h>

#include "view/pattern_view.h"  // DrawingAreaKind

// Destroys the current drawing area (if it still is a widget) and makes a new one of `kind`
// (DrawingAreaKind) the current one (mainUi.drawingArea), with the button press, release and
// motion events enabled. Returns it, not yet packed; null for an unknown kind.
GtkWidget* SetDrawingArea(int kind);

// Expose handler of the capture screen's area (view/extents_setup_screen.cpp).
gboolean da_ExtentsView(GtkWidget* widget, GdkEventExpose* event, gpointer data);
