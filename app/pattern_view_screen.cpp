// The pattern view screen (mode 0) and the stitching view with its PAUSE and THREAD BREAK
// row (mode 1).

#include <gtk/gtk.h>

#include "app/main_window.h"
#include "app/run_widgets_gtk.h"
#include "base/screen_config.h"
#include "view/drawing_area_gtk.h"
#include "view/touch_edit_gtk.h"

namespace {

// Paints a button's background in every state but the insensitive one.
void PaintButton(GtkWidget* button, const char* colour)
{
    GdkColor c;
    gdk_color_parse(colour, &c);
    gtk_widget_modify_bg(button, GTK_STATE_NORMAL, &c);
    gtk_widget_modify_bg(button, GTK_STATE_PRELIGHT, &c);
    gtk_widget_modify_bg(button, GTK_STATE_ACTIVE, &c);
}

GtkWidget* StitchingButtonRow()
{
    const int rowWidth = 319;
    GtkWidget* row = gtk_hbox_new(FALSE, 2);
    gtk_widget_set_size_request(row, rowWidth, menubar_height);

    mainUi.pauseButton = gtk_toggle_button_new_with_label("PAUSE");
    SetButtonFont(mainUi.pauseButton, "PAUSE", icon_style == 1 ? "Sans Bold 16" : "Sans Bold 12");
    PaintButton(mainUi.pauseButton, "#FF0000");
    int pauseWidth = view_area_width - 5 * menubar_height + 15;
    gtk_widget_set_size_request(mainUi.pauseButton, pauseWidth > 0 ? pauseWidth : -1,
                                menubar_height);
    g_signal_connect(mainUi.pauseButton, "toggled", G_CALLBACK(OnPauseToggled), nullptr);
    gtk_box_pack_start(GTK_BOX(row), mainUi.pauseButton, FALSE, FALSE, 0);

    mainUi.threadButton = gtk_button_new_with_label("THREAD BREAK");
    SetButtonFont(mainUi.threadButton, "THREAD BREAK",
                  icon_style == 1 ? "Sans Bold 16" : "Sans Bold 12");
    // On the small screen the width the formula gives is not positive; the button then
    // takes the rest of the row.
    int threadWidth = view_area_width / 2 - 5 * menubar_height + 15;
    gtk_widget_set_size_request(mainUi.threadButton, threadWidth > 0 ? threadWidth : -1,
                                menubar_height);
    g_signal_connect(mainUi.threadButton, "clicked", G_CALLBACK(OnThreadClicked), nullptr);
    gtk_box_pack_start(GTK_BOX(row), mainUi.threadButton, threadWidth <= 0, threadWidth <= 0, 0);
    return row;
}

}  // namespace

GtkWidget* createPatternViewScreen(int mode, int kind)
{
    GtkWidget* fixed = gtk_fixed_new();
    GtkWidget* box = gtk_vbox_new(FALSE, 0);
    gtk_widget_set_size_request(box, view_area_width, view_area_height);
    gtk_fixed_put(GTK_FIXED(fixed), box, 0, 0);
    mainUi.sideBox = box;

    GtkWidget* area = SetDrawingArea(kind);
    ConnectTouchHandlers(area);
    gtk_box_pack_start(GTK_BOX(box), area, FALSE, FALSE, 0);

    zoomed = 0;
    if (mode == 1)
        RunPendingGtkEvents();
    SetZoomAll();
    if (mode == 1) {
        if (isWidget(mainUi.pauseButton))
            gtk_widget_destroy(mainUi.pauseButton);
        if (isWidget(mainUi.threadButton))
            gtk_widget_destroy(mainUi.threadButton);
        gtk_box_pack_start(GTK_BOX(box), StitchingButtonRow(), FALSE, FALSE, 0);
    }
    return fixed;
}
