// The camera screen: the picture area and a column of three buttons, Video, Snapshot and
// Calibrate. The work behind the buttons is the camera's (camera/camera_control.h).

#include <gtk/gtk.h>

#include "app/main_window.h"
#include "base/screen_config.h"
#include "camera/camera_control.h"
#include "view/drawing_area_gtk.h"

namespace {

guint videoTimerId = 0;
gulong videoToggledId = 0;

void SwitchVideoButtonOff()
{
    GtkWidget* button = mainUi.videoButton;
    if (!isWidget(button) || !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)))
        return;
    g_signal_handler_block(button, videoToggledId);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button), FALSE);
    g_signal_handler_unblock(button, videoToggledId);
}

gboolean VideoTimer(gpointer)
{
    if (VideoTick())
        return TRUE;
    videoTimerId = 0;
    // The screen may be gone already; then there is no button to switch.
    SwitchVideoButtonOff();
    return FALSE;
}

void OnBtnVideoToggled(GtkToggleButton* button, gpointer)
{
    if (!gtk_toggle_button_get_active(button)) {
        StopVideo();
        return;
    }
    if (!StartVideo()) {
        SwitchVideoButtonOff();
        return;
    }
    if (videoTimerId == 0)
        videoTimerId = g_timeout_add(kVideoPeriod_ms, VideoTimer, nullptr);
}

void OnBtnSnapshotClicked(GtkButton*, gpointer) { TakeSnapshot(); }

void OnBtnCalibrateClicked(GtkButton*, gpointer) { CalibrateCamera("./piclog"); }

// Leaving the screen ends the video; the timer's last tick closes the device and finds the
// widgets gone.
void OnCameraScreenDestroyed(GtkWidget*, gpointer)
{
    StopVideo();
    mainUi.videoButton = nullptr;
}

GtkWidget* Button(GtkWidget* button, const char* label, GtkWidget* column)
{
    SetButtonFont(button, label, "Sans 10");
    gtk_widget_set_size_request(button, trace_button_width, trace_button_height);
    gtk_box_pack_start(GTK_BOX(column), button, FALSE, FALSE, 0);
    return button;
}

}  // namespace

GtkWidget* createCameraScreen()
{
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, view_area_width, view_area_height);
    g_signal_connect(fixed, "destroy", G_CALLBACK(OnCameraScreenDestroyed), nullptr);

    GtkWidget* row = gtk_hbox_new(FALSE, 2);
    gtk_fixed_put(GTK_FIXED(fixed), row, 0, 0);
    GtkWidget* area = SetDrawingArea(DA_CAPTURE);
    gtk_box_pack_start(GTK_BOX(row), area, FALSE, FALSE, 0);
    mainUi.sideBox = row;

    GtkWidget* column = gtk_vbox_new(FALSE, 2);
    gtk_box_pack_start(GTK_BOX(row), column, FALSE, FALSE, 0);
    mainUi.videoButton = Button(gtk_toggle_button_new(), "Video", column);
    videoToggledId = g_signal_connect(mainUi.videoButton, "toggled", G_CALLBACK(OnBtnVideoToggled), nullptr);
    mainUi.snapshotButton = Button(gtk_button_new(), "Snapshot", column);
    g_signal_connect(mainUi.snapshotButton, "clicked", G_CALLBACK(OnBtnSnapshotClicked), nullptr);
    mainUi.calibrateButton = Button(gtk_button_new(), "Calibrate", column);
    g_signal_connect(mainUi.calibrateButton, "clicked", G_CALLBACK(OnBtnCalibrateClicked), nullptr);
    return fixed;
}
