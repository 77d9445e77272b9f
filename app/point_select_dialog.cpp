// The point-selection dialogs: widgets only. Taps become responses by PointDialogResponse,
// the cross-hair's position comes from CrossHairTick and the picture from RenderSelectPoint.

#include "app/point_select_dialog.h"

#include <cstdio>

#include "app/gui_probe_gtk.h"
#include "base/console.h"
#include "base/interface.h"
#include "app/main_window.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "machine/point_select.h"
#include "machine/stitching_run.h"
#include "view/machine_views.h"
#include "view/pattern_view.h"

int runTimer = 0;

namespace {

guint crossSource = 0;

void Blit(GtkWidget* widget, bool withButtons)
{
    static ViewBuffer picture;
    if (widget->window == nullptr)
        return;
    RenderSelectPoint(picture, widget->allocation.width, widget->allocation.height, withButtons);
    if (picture.Surface() == nullptr)
        return;
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_surface(cr, picture.Surface(), 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    // The GUI tests learn where the area is and at which scale the cross-hair is drawn.
    if (ProbeEnabled() && g_object_get_data(G_OBJECT(widget), "probed") == nullptr) {
        g_object_set_data(G_OBJECT(widget), "probed", widget);
        ProbeWidget("pointDialog", widget);
    }
}

gboolean Tap(GtkWidget* widget, GdkEventButton* event, gpointer dialog, int kind)
{
    const int x = int(event->x), y = int(event->y);
    ConsolePrintf("Tap (%d, %d )\n", x, y);
    const int response = PointDialogResponse(kind, x, y, widget->allocation.width,
                                             widget->allocation.height, confirm_button_size);
    if (response != 0) {
        runTimer = 0;
        gtk_dialog_response(GTK_DIALOG(dialog), response);
    }
    return TRUE;
}

// Runs one dialog modally and returns its response. The timer ends with the dialog however
// it closes (a tap, the window closed, the dialog destroyed under it).
int RunPointDialog(bool withButtons)
{
    GtkWidget* area = nullptr;
    GtkWidget* dialog = NewPointScreenDialog(
        "SELECT POINT", withButtons ? G_CALLBACK(da_SelectPoint) : G_CALLBACK(da_SelectPoint2),
        withButtons ? G_CALLBACK(PointScreenTap) : G_CALLBACK(PointScreenTap2), &area);
    gtk_widget_show(area);

    // Our own reference keeps the object valid to the end, even when something destroyed
    // the dialog while it ran.
    g_object_ref(dialog);
    runTimer = 1;
    if (crossSource != 0)
        g_source_remove(crossSource);
    crossSource = g_timeout_add(250, CrossTimer, area);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    runTimer = 0;
    if (crossSource != 0)
        g_source_remove(crossSource);
    crossSource = 0;
    gtk_widget_destroy(dialog);
    g_object_unref(dialog);
    return response;
}

}  // namespace

GtkWidget* NewPointScreenDialog(const char* title, GCallback expose, GCallback tap,
                                GtkWidget** area)
{
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), title);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_decorated(GTK_WINDOW(dialog), FALSE);
    gtk_widget_set_size_request(dialog, screen_width, screen_height);
    gtk_window_move(GTK_WINDOW(dialog), 0, 0);
    gtk_widget_hide(GTK_DIALOG(dialog)->action_area);
    g_signal_connect(dialog, "expose-event", G_CALLBACK(CursorExpose), nullptr);

    *area = gtk_drawing_area_new();
    gtk_widget_set_size_request(*area, view_area_width, view_area_height);
    gtk_widget_add_events(*area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    g_signal_connect(*area, "expose-event", expose, nullptr);
    g_signal_connect(*area, "button-release-event", tap, dialog);
    gtk_box_pack_start(GTK_BOX(GTK_DIALOG(dialog)->vbox), *area, FALSE, FALSE, 0);
    return dialog;
}

gboolean CrossTimer(gpointer drawingArea)
{
    if (runTimer != 1) {
        crossSource = 0;
        return FALSE;
    }
    CrossHairTick();
    if (isWidget(drawingArea))
        gtk_widget_queue_draw(GTK_WIDGET(drawingArea));
    return runTimer;
}

gboolean PointScreenTap(GtkWidget* widget, GdkEventButton* event, gpointer dialog)
{
    return Tap(widget, event, dialog, POINT_DIALOG_START);
}

gboolean PointScreenTap2(GtkWidget* widget, GdkEventButton* event, gpointer dialog)
{
    return Tap(widget, event, dialog, POINT_DIALOG_POSITION);
}

gboolean da_SelectPoint(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    Blit(widget, true);
    return TRUE;
}

gboolean da_SelectPoint2(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    Blit(widget, false);
    return TRUE;
}

FullPattern_t* SelectPoint()
{
    return SelectStartPoint([] { return RunPointDialog(true); });
}

void SelectPoint2()
{
    const PointDialogSession session = BeginPointDialog();
    zoomed = 0;
    ZoomAll(view_area_width, view_area_height);
    RunPointDialog(false);
    EndPointDialog(session);
}

guint PointDialogTimerSource() { return crossSource; }

void InstallPointSelection() { uiHooks.runSelectPoint = SelectPoint; }
