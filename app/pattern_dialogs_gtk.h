#pragma once
// The widgets of the scale and properties dialogs (app/scale_dialog.cpp,
// app/properties_dialog.cpp). Their work is in app/pattern_dialogs.h; the flows reach these
// widgets through the hooks installed here.
#include <gtk/gtk.h>

// The scale dialog's proportional lock while the dialog is up; null otherwise.
extern GtkWidget* btnLock;

// A modal dialog over the main window with no border and no buttons yet, its content area
// scale_dialog_width x scale_dialog_height (kept within the screen) and centred on the
// screen, drawn with the normal cursor and the window frame. `record` (the dialog's widget
// record) is stored under `recordKey` and freed with the dialog.
GtkWidget* NewPatternDialog(const char* title, const char* recordKey, gpointer record,
                            GDestroyNotify freeRecord);

// Installs the dialogs' widget halves (the seam's scaleDialog and propertiesDialog).
void InstallScaleDialog();
void InstallPropertiesDialog();

// Scale dialog handlers; `data` is the dialog's widget record.
gboolean OnWSliderChanged(GtkRange* range, GtkScrollType scroll, gdouble value, gpointer data);
gboolean OnHSliderChanged(GtkRange* range, GtkScrollType scroll, gdouble value, gpointer data);
gboolean OnSliderReleased(GtkWidget* slider, GdkEventButton* event, gpointer data);
void OnBtnDecClicked(GtkWidget* button, gpointer data);
void OnBtnIncClicked(GtkWidget* button, gpointer data);
void OnBtnDec1Clicked(GtkWidget* button, gpointer data);
void OnBtnInc1Clicked(GtkWidget* button, gpointer data);
void OnBtnLockToggled(GtkToggleButton* button, gpointer data);
// Expose handler of the preview: blits RenderScalePreview at the dialog's percentages.
gboolean da_ScalePreview(GtkWidget* widget, GdkEventExpose* event, gpointer data);

// Properties dialog handlers; `data` is the dialog's widget record.
gboolean OnEntryClicked(GtkWidget* entry, GdkEventButton* event, gpointer data);
void OnBtnSetStartClicked(GtkWidget* button, gpointer data);
void OnCBMoveAllClicked(GtkToggleButton* check, gpointer data);
