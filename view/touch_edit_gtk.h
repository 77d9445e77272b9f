#pragma once
// The widget side of touch editing: the pattern view's and the stitching view's drawing
// areas get the press, motion and release handlers and the one long-press timer.
#include <gtk/gtk.h>

// Connects the touch handlers to a drawing area (its events must include button press,
// release and motion).
void ConnectTouchHandlers(GtkWidget* area);

// Writes the "view" probe line for the GUI tests (mode, scale, pan, status, placements of
// the current box and the screen rectangles of the touch targets); `why` names the cause.
void ProbeView(const char* why, bool popupOpened = false);
