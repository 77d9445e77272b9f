#pragma once
// What start-up builds for the rest of the GTK shell.
#include <gtk/gtk.h>

// The top-level window (screen_width x screen_height at 0,0) and the vertical box in it that
// holds the menu row and the current screen.
extern GtkWidget* mainWindow;
extern GtkWidget* mainVBox;

// The arrow images of the jog and increment buttons and their pixbufs (null when the image
// file is missing).
extern GtkWidget* imgUp;
extern GtkWidget* imgDown;
extern GdkPixbuf* arrowIconUp;
extern GdkPixbuf* arrowIconDown;
