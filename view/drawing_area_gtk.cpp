// Drawing areas: each kind has its size and its expose handler.

#include "view/drawing_area_gtk.h"

#include "app/interface.h"
#include "app/main_window.h"
#include "app/screen_config.h"

namespace {

// Paints the whole area in one colour.
void FillArea(GtkWidget* widget, const char* colour)
{
    GdkColor c;
    gdk_color_parse(colour, &c);
    GdkGC* gc = gdk_gc_new(widget->window);
    gdk_gc_set_rgb_fg_color(gc, &c);
    gdk_draw_rectangle(widget->window, gc, TRUE, 0, 0, widget->allocation.width,
                       widget->allocation.height);
    g_object_unref(gc);
}

gboolean da_PatternViewExpose(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    FillArea(widget, "#CCFFFF");
    return TRUE;
}

gboolean da_SmallPatternViewExpose(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    FillArea(widget, "#FFFFFF");
    if (interface_.previewPixbuf != nullptr)
        gdk_draw_pixbuf(widget->window, nullptr, interface_.previewPixbuf.get(), 0, 0, 0, 0, -1, -1,
                        GDK_RGB_DITHER_NONE, 0, 0);
    return TRUE;
}

}  // namespace

GtkWidget* SetDrawingArea(int kind)
{
    if (isWidget(mainUi.drawingArea))
        gtk_widget_destroy(mainUi.drawingArea);
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                    GDK_BUTTON_MOTION_MASK);
    int width = view_area_width, height = view_area_height;
    GCallback expose = G_CALLBACK(da_PatternViewExpose);
    switch (kind) {
    case DA_STITCHING:
        height = view_area_height - 60;
        break;
    case DA_CAPTURE:
        width = view_area_width - trace_button_width - 10;
        break;
    case DA_PREVIEW:
        width = pattern_preview_width;
        height = pattern_preview_height;
        expose = G_CALLBACK(da_SmallPatternViewExpose);
        break;
    default:
        break;
    }
    gtk_widget_set_size_request(area, width, height);
    g_signal_connect(area, "expose-event", expose, nullptr);
    mainUi.drawingArea = area;
    return area;
}
