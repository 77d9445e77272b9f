// The screen that captures the quilting area (target 0) and pattern boxes (target 1) by
// machine position. The widgets only pass taps and timer ticks on; what they mean is decided
// in view/capture.cpp and the picture is drawn by view/extents_view_render.cpp.

#include <gtk/gtk.h>

#include <cstdlib>

#include "base/interface.h"
#include "app/main_window.h"
#include "base/screen_config.h"
#include "view/capture.h"
#include "view/drawing_area_gtk.h"
#include "view/extents_view.h"

namespace {

guint pollSource = 0;

void RemovePollTimer()
{
    if (pollSource != 0)
        g_source_remove(pollSource);
    pollSource = 0;
}

// The once-a-second poll keeps the live corner under the needle; it ends itself once the
// poll is no longer wanted.
gboolean getMCCoordinates(gpointer)
{
    CapturePollOnce();
    if (interface_.capturePolling == 1)
        return TRUE;
    pollSource = 0;
    return FALSE;
}

// The screen going away (another screen, or the window closing) takes its poll with it.
void OnExtentsViewDestroyed(GtkWidget*, gpointer) { StopPositionPoll(); }

}  // namespace

gboolean OnScreenTap(GtkWidget* widget, GdkEventButton* event, gpointer data)
{
    const int mode = std::atoi(static_cast<const char*>(data)) == 1 ? CAPTURE_BOX : CAPTURE_AREA;
    const int button = CaptureButtonAt(mode, int(event->x), int(event->y),
                                       widget->allocation.width, widget->allocation.height,
                                       confirm_button_size);
    // The tap may end the capture and replace this screen: the widget is not touched after.
    if (button != CAPTURE_NO_BUTTON)
        CaptureTap(mode, button);
    return TRUE;
}

gboolean da_ExtentsView(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    static ViewBuffer picture;
    RenderExtentsView(picture, widget->allocation.width, widget->allocation.height);
    if (picture.Surface() == nullptr)
        return TRUE;
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_surface(cr, picture.Surface(), 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return TRUE;
}

GtkWidget* createExtentsSetup(int target)
{
    const bool box = target == 1;
    // The quilter pushes the head by hand: the controller resumes and lets go of both motors.
    ReleaseMachineForCapture();
    GtkWidget* fixed = gtk_fixed_new();
    GtkWidget* area = SetDrawingArea(DA_EXTENTS_VIEW);
    gtk_fixed_put(GTK_FIXED(fixed), area, 0, 0);

    RemovePollTimer();
    stopPollTimerHook = RemovePollTimer;
    BeginCapture(box ? CAPTURE_BOX : CAPTURE_AREA);
    g_signal_connect(area, "button-release-event", G_CALLBACK(OnScreenTap),
                     const_cast<char*>(box ? "1" : "0"));
    g_signal_connect(area, "destroy", G_CALLBACK(OnExtentsViewDestroyed), nullptr);
    if (box)
        pollSource = g_timeout_add(1000, getMCCoordinates, nullptr);
    return fixed;
}
