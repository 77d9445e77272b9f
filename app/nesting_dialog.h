#pragma once
// The widgets of Nest: the fine-tune dialog "NESTING" and the menu entry.
#include <gtk/gtk.h>

// Every 250 ms while the dialog follows the machine: a fresh machineCurrent, the area
// redrawn. Ends itself once runCapture is cleared.
gboolean SetMachineCurrent(gpointer drawingArea);
// The dialog's "response": recorded, tracking stopped, the dialog destroyed.
void ResponseEmit(GtkDialog* dialog, gint response, gpointer data);
gboolean da_Nest(GtkWidget* widget, GdkEventExpose* event, gpointer data);
// Runs "NESTING" modally; the response recorded by ResponseEmit (-4 when it was closed
// another way).
int GtkNestFineTune();
// The tracking timer now running (0 when none).
guint NestTimerSource();
// Puts the position dialog and "NESTING" into the UI seam.
void InstallNesting();
