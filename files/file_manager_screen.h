#pragma once
// The file manager screen's widgets (GTK side only).

#include <gtk/gtk.h>

// Builds the file manager screen, both radios on Internal and both entries empty.
GtkWidget* CreateFileManager();

extern GtkWidget* radioSrc_0;
extern GtkWidget* radioSrc_1;
extern GtkWidget* radioSrc_2;
extern GtkWidget* radioDst_0;
extern GtkWidget* radioDst_1;
extern GtkWidget* txtFilename;
extern GtkWidget* txtDirName;
extern GtkWidget* btnCopy;
