#pragma once
// The widgets of the stitching run and their handlers (app/run_widgets_gtk.cpp).
#include <gtk/gtk.h>

// Toolbar handlers.
void OnStartClicked(GtkWidget* button, gpointer data);
void OnStopClicked(GtkWidget* button, gpointer data);
void OnStitchingToggled(GtkToggleButton* button, gpointer data);
void menuRunLockX(GtkToggleButton* button, gpointer data);
void menuRunLockY(GtkToggleButton* button, gpointer data);
// Stitching view handlers.
void OnPauseToggled(GtkToggleButton* button, gpointer data);
void OnThreadClicked(GtkButton* button, gpointer data);

// Lets the widgets follow the run's widget state and the run move the pointer.
void InstallRunWidgets();
