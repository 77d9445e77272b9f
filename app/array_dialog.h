#pragma once
// The "Repeat" dialog (counts and gaps of an array) and its pop-up menu entry.
#include <gtk/gtk.h>

struct LayoutNode;

// Shows the dialog for `node`, a placement of the layout (its array's parent for a copy);
// OK repeats it. The response.
int ArrayDialog(LayoutNode* node);
// Pop-up "Repeat" on the selected placement.
void popupArray(GtkWidget* item, gpointer data);
