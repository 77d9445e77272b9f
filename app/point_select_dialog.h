#pragma once
// The two full-screen dialogs that point at the quilt with the machine (titled "SELECT
// POINT"): the operator pushes the free head, a cross-hair follows it every 250 ms, and a
// tap on the bottom row closes the dialog. The rules they follow are machine/point_select.h.
#include <gtk/gtk.h>

struct FullPattern_t;

// 1 while a dialog's cross-hair timer may run; a closing dialog sets it to 0.
extern int runTimer;

// SET START: the point of the prepared path nearest to where the operator pushed the head
// and tapped OK; null after Cancel or when the position could not be read.
FullPattern_t* SelectPoint();
// Shows where the head is over the current box (fitted to the view) until a tap on the
// bottom row; the caller reads the position itself afterwards.
void SelectPoint2();

// A borderless dialog titled `title` covering the screen, its action area hidden, holding
// one view-sized drawing area painted by `expose` whose bottom-row taps go to `tap` (with
// the dialog as data). The area is returned through `area`; nothing is shown yet.
GtkWidget* NewPointScreenDialog(const char* title, GCallback expose, GCallback tap,
                                GtkWidget** area);

gboolean CrossTimer(gpointer drawingArea);
gboolean PointScreenTap(GtkWidget* widget, GdkEventButton* event, gpointer dialog);
gboolean PointScreenTap2(GtkWidget* widget, GdkEventButton* event, gpointer dialog);
gboolean da_SelectPoint(GtkWidget* widget, GdkEventExpose* event, gpointer data);
gboolean da_SelectPoint2(GtkWidget* widget, GdkEventExpose* event, gpointer data);

// The timer of the dialog now open (0 when none): tests check that it ends with its dialog.
guint PointDialogTimerSource();
// Makes SelectPoint the run's SET START choice.
void InstallPointSelection();
