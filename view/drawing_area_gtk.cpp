// Drawing areas: each kind has its size and its expose handler.

#include "view/drawing_area_gtk.h"

#include "base/interface.h"
#include "app/main_window.h"
#include "view/machine_views.h"

namespace {

using Renderer = void (*)(ViewBuffer& out, int width, int height);

// One picture per kind of area, reused from expose to expose.
void Blit(GtkWidget* widget, ViewBuffer& picture, Renderer render)
{
    render(picture, widget->allocation.width, widget->allocation.height);
    if (picture.Surface() == nullptr)
        return;
    cairo_t* cr = gdk_cairo_create(widget->window);
    cairo_set_source_surface(cr, picture.Surface(), 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
}

gboolean da_PatternView(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    static ViewBuffer picture;
    Blit(widget, picture, RenderPatternView);
    return TRUE;
}

gboolean da_SmallPatternView(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    static ViewBuffer picture;
    Blit(widget, picture, RenderSmallPatternView);
    return TRUE;
}

gboolean da_MotorMove(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    static ViewBuffer picture;
    Blit(widget, picture, RenderMotorMove);
    return TRUE;
}

// The trace view (and the camera's): the recorded points over the camera picture.
gboolean da_Capture(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    static ViewBuffer picture;
    Blit(widget, picture, RenderCapture);
    return TRUE;
}

}  // namespace

GtkWidget* SetDrawingArea(int kind)
{
    DrawingAreaSetup setup;
    if (!PrepareDrawingArea(kind, &setup))
        return nullptr;
    if (isWidget(mainUi.drawingArea))
        gtk_widget_destroy(mainUi.drawingArea);
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                    GDK_BUTTON_MOTION_MASK);
    gtk_widget_set_size_request(area, setup.width, setup.height);
    GCallback expose = G_CALLBACK(da_Capture);
    switch (setup.kind) {
    case DA_MOTOR_MOVE: expose = G_CALLBACK(da_MotorMove); break;
    case DA_PATTERN_VIEW: expose = G_CALLBACK(da_PatternView); break;
    case DA_SMALL_PATTERN_VIEW: expose = G_CALLBACK(da_SmallPatternView); break;
    case DA_EXTENTS_VIEW: expose = G_CALLBACK(da_ExtentsView); break;
    default: break;
    }
    g_signal_connect(area, "expose-event", expose, nullptr);
    mainUi.drawingArea = area;
    return area;
}
