// The trace screen: the trace view and, to its right, the Start/Stop toggle and Save. The
// recording and the save are machine/trace.cpp's; the picture is da_Capture's.

#include <gtk/gtk.h>

#include "app/main_window.h"
#include "base/screen_config.h"
#include "machine/trace.h"
#include "view/drawing_area_gtk.h"

namespace {

// Makes the widgets show the recording's state without running their handlers.
void FollowTraceWidgets()
{
    GtkWidget* toggle = mainUi.traceStartToggle;
    if (isWidget(toggle)) {
        GtkToggleButton* t = GTK_TOGGLE_BUTTON(toggle);
        if (gtk_toggle_button_get_active(t) != traceWidgets.startActive) {
            g_signal_handlers_block_matched(toggle, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr,
                                            mainUi.traceSaveButton);
            gtk_toggle_button_set_active(t, traceWidgets.startActive);
            g_signal_handlers_unblock_matched(toggle, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr,
                                              mainUi.traceSaveButton);
        }
        SetButtonFont(toggle, traceWidgets.startActive ? "Stop" : "Start", "Sans 10");
    }
    if (isWidget(mainUi.traceSaveButton))
        gtk_widget_set_sensitive(mainUi.traceSaveButton, traceWidgets.saveSensitive);
}

void OnTraceToggled(GtkToggleButton* toggle, gpointer)
{
    OnBtnStartTraceToggled(gtk_toggle_button_get_active(toggle));
}

void OnTraceSaveClicked(GtkButton*, gpointer) { OnBtnSaveClicked(); }

}  // namespace

GtkWidget* createTraceScreen()
{
    BeginTraceScreen();
    traceWidgetsChanged = FollowTraceWidgets;

    GtkWidget* screen = gtk_hbox_new(FALSE, 5);
    GtkWidget* area = SetDrawingArea(DA_CAPTURE);
    gtk_box_pack_start(GTK_BOX(screen), area, FALSE, FALSE, 0);

    GtkWidget* column = gtk_vbox_new(FALSE, 5);
    GtkWidget* start = gtk_toggle_button_new();
    SetButtonFont(start, "Start", "Sans 10");
    gtk_widget_set_size_request(start, trace_button_width, trace_button_height);
    GtkWidget* save = gtk_button_new();
    SetButtonFont(save, "Save", "Sans 10");
    gtk_widget_set_size_request(save, trace_button_width, trace_button_height);
    gtk_box_pack_start(GTK_BOX(column), start, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), save, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(screen), column, FALSE, FALSE, 0);

    mainUi.traceStartToggle = start;
    mainUi.traceSaveButton = save;
    g_signal_connect(start, "toggled", G_CALLBACK(OnTraceToggled), save);
    g_signal_connect(save, "clicked", G_CALLBACK(OnTraceSaveClicked), nullptr);
    return screen;
}
