#pragma once
// The Test page of the setup screen: the motor, button and stitch controller checks, their
// report in a text view.

#include <gtk/gtk.h>

GtkWidget* createDiagnosticsScreen();
