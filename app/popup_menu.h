#pragma once
// The pattern pop-up menu: opened by a long press on the pattern view at a view point, or by
// the toolbar's Edit button at (0, 0).

#include <gtk/gtk.h>

// Selects the placement closest to view point (x, y) and opens the pattern menu for it;
// with no placement there, a one-item menu "Add Pattern".
void ShowPopupMenu(int x, int y);
// Opens the pattern menu for the selected placement; (x, y) is kept for its items.
void CreatePopupMenu(int x, int y);
// A menu taller than `room` pixels (the large type) is laid out in two columns, so that it
// lies whole on the screen instead of scrolling; one that fits again goes back to one column.
void FitMenuToScreen(GtkWidget* menu, int room);
// Positions a pop-up menu at (pop_menu_x, pop_menu_y).
void placeMenu(GtkMenu* menu, gint* x, gint* y, gboolean* pushIn, gpointer data);
