#include "view/button_image.h"

#include <cairo.h>

#include "view/pattern_view.h"
#include "view/pixbuf_draw.h"
#include "view/view_paint.h"

using namespace view_paint;

namespace {

// The grey of the round buttons: level 20000 of 65535.
constexpr double kGrey = 20000.0 / 65535.0;

GdkPixbuf* LoadRgba(const std::string& path)
{
    GdkPixbuf* loaded = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    if (loaded == nullptr)
        return nullptr;
    GdkPixbuf* rgba = gdk_pixbuf_add_alpha(loaded, FALSE, 0, 0, 0);
    g_object_unref(loaded);
    return rgba;
}

void Ellipse(cairo_t* cr, double x, double y, double w, double h)
{
    if (w <= 0 || h <= 0)
        return;
    cairo_save(cr);
    cairo_translate(cr, x + w / 2, y + h / 2);
    cairo_scale(cr, w / 2, h / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * G_PI);
    cairo_restore(cr);
}

// The red of the canvas is the colour key: every pure red pixel goes transparent, every
// other pixel takes `alpha`.
GdkPixbuf* KeyOutRed(const ViewBuffer& canvas, int alpha)
{
    GdkPixbuf* out = canvas.ToPixbuf();
    if (out == nullptr)
        return nullptr;
    const int w = gdk_pixbuf_get_width(out), h = gdk_pixbuf_get_height(out);
    const int stride = gdk_pixbuf_get_rowstride(out);
    guchar* pixels = gdk_pixbuf_get_pixels(out);
    const guchar a = guchar(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            guchar* p = pixels + size_t(y) * stride + size_t(x) * 4;
            p[3] = (p[0] == 255 && p[1] == 0 && p[2] == 0) ? 0 : a;
        }
    return out;
}

void CentredText(cairo_t* cr, const std::string& text, int width, int height)
{
    if (text.empty())
        return;
    cairo_set_source_rgb(cr, 0, 0, 0);
    Text(cr, text, width / 2.0, (height - TextHeight(cr, text)) / 2.0, Align::Centre);
}

}  // namespace

GdkPixbuf* DrawButton(int width, int height, const std::string& text,
                      const std::string& imageFile, int alpha)
{
    if (!imageFile.empty() && text.empty()) {
        GdkPixbuf* image = LoadRgba(imageFile);
        if (image != nullptr)
            SetVisibleAlpha(image, alpha);
        return image;
    }
    if (width <= 0 || height <= 0)
        return nullptr;
    ViewBuffer canvas;
    cairo_t* cr = canvas.Begin(width, height);
    if (cr == nullptr)
        return nullptr;
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_paint(cr);
    if (!imageFile.empty()) {
        GdkPixbuf* image = LoadRgba(imageFile);
        if (image != nullptr) {
            Pixbuf(cr, image, (width - gdk_pixbuf_get_width(image)) / 2,
                   (height - gdk_pixbuf_get_height(image)) / 2);
            g_object_unref(image);
        }
    } else {
        cairo_set_source_rgb(cr, kGrey, kGrey, kGrey);
        cairo_set_line_width(cr, 1);
        Ellipse(cr, 1.5, 1.5, width - 3, height - 3);
        cairo_stroke(cr);
        Ellipse(cr, 3, 3, width - 6, height - 6);
        cairo_fill(cr);
    }
    CentredText(cr, text, width, height);
    cairo_destroy(cr);
    return KeyOutRed(canvas, alpha);
}
