#include "view/view_paint.h"

#include <pango/pangocairo.h>

#include <cstdlib>
#include <cstring>

namespace view_paint {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

double Channel(const char* hex, int i)
{
    return (HexDigit(hex[1 + 2 * i]) * 16 + HexDigit(hex[2 + 2 * i])) / 255.0;
}

}  // namespace

void SetColor(cairo_t* cr, const char* hex)
{
    if (hex == nullptr || std::strlen(hex) != 7 || hex[0] != '#') {
        cairo_set_source_rgb(cr, 0, 0, 0);
        return;
    }
    cairo_set_source_rgb(cr, Channel(hex, 0), Channel(hex, 1), Channel(hex, 2));
}

void SetPen(cairo_t* cr, const char* hex, int width, bool dashed)
{
    SetColor(cr, hex);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    if (dashed) {
        const double dash[] = {4.0, 4.0};
        cairo_set_dash(cr, dash, 2, 0.0);
    } else {
        cairo_set_dash(cr, nullptr, 0, 0.0);
    }
}

void Segment(cairo_t* cr, double x0, double y0, double x1, double y1)
{
    cairo_move_to(cr, x0 + 0.5, y0 + 0.5);
    cairo_line_to(cr, x1 + 0.5, y1 + 0.5);
    cairo_stroke(cr);
}

void RectOutline(cairo_t* cr, double x0, double y0, double x1, double y1)
{
    cairo_rectangle(cr, x0 + 0.5, y0 + 0.5, x1 - x0, y1 - y0);
    cairo_stroke(cr);
}

void FillRect(cairo_t* cr, const char* hex, double x, double y, double w, double h)
{
    SetColor(cr, hex);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

cairo_surface_t* SurfaceFromPixbuf(const GdkPixbuf* pixbuf)
{
    const int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* src = gdk_pixbuf_read_pixels(pixbuf);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || src == nullptr ||
        gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || channels < 3)
        return surface;
    cairo_surface_flush(surface);
    unsigned char* dst = cairo_image_surface_get_data(surface);
    const int dstStride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < h; ++y) {
        const guchar* s = src + static_cast<size_t>(y) * stride;
        uint32_t* d = reinterpret_cast<uint32_t*>(dst + static_cast<size_t>(y) * dstStride);
        for (int x = 0; x < w; ++x, s += channels) {
            const unsigned a = channels == 4 ? s[3] : 255;
            const unsigned r = s[0] * a / 255, g = s[1] * a / 255, b = s[2] * a / 255;
            d[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

namespace {

GQuark SurfaceQuark()
{
    static const GQuark quark = g_quark_from_static_string("corvan-converted-surface");
    return quark;
}

void DestroySurface(gpointer surface) { cairo_surface_destroy(static_cast<cairo_surface_t*>(surface)); }

}  // namespace

cairo_surface_t* CachedSurface(const GdkPixbuf* pixbuf)
{
    if (pixbuf == nullptr) return nullptr;
    // The cache belongs to the pixbuf object, not to its pixels: const in spirit.
    GObject* object = G_OBJECT(const_cast<GdkPixbuf*>(pixbuf));
    auto* surface = static_cast<cairo_surface_t*>(g_object_get_qdata(object, SurfaceQuark()));
    if (surface == nullptr) {
        surface = SurfaceFromPixbuf(pixbuf);
        g_object_set_qdata_full(object, SurfaceQuark(), surface, DestroySurface);
    }
    return surface;
}

void ForgetCachedSurface(GdkPixbuf* pixbuf)
{
    if (pixbuf != nullptr) g_object_set_qdata(G_OBJECT(pixbuf), SurfaceQuark(), nullptr);
}

void Pixbuf(cairo_t* cr, const GdkPixbuf* pixbuf, double x, double y, int w, int h)
{
    if (pixbuf == nullptr) return;
    cairo_surface_t* surface = CachedSurface(pixbuf);
    cairo_save(cr);
    if (w > 0 && h > 0) {
        cairo_rectangle(cr, x, y, w, h);
        cairo_clip(cr);
    }
    cairo_set_source_surface(cr, surface, x, y);
    cairo_paint(cr);
    cairo_restore(cr);
}

void PixbufScaled(cairo_t* cr, const GdkPixbuf* pixbuf, int w, int h)
{
    if (pixbuf == nullptr || w <= 0 || h <= 0) return;
    const int pw = gdk_pixbuf_get_width(pixbuf), ph = gdk_pixbuf_get_height(pixbuf);
    cairo_surface_t* surface = CachedSurface(pixbuf);
    cairo_save(cr);
    cairo_scale(cr, double(w) / pw, double(h) / ph);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

namespace {

PangoLayout* Layout(cairo_t* cr, const std::string& text)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Sans 10");
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    // Texts come from files and the user: invalid UTF-8 is shown as far as it is valid.
    const char* end = nullptr;
    g_utf8_validate(text.c_str(), static_cast<gssize>(text.size()), &end);
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(end - text.c_str()));
    return layout;
}

}  // namespace

int TextHeight(cairo_t* cr, const std::string& text)
{
    PangoLayout* layout = Layout(cr, text);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    g_object_unref(layout);
    return h;
}

int Text(cairo_t* cr, const std::string& text, double x, double y, Align align)
{
    PangoLayout* layout = Layout(cr, text);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    if (align == Align::Centre) x -= w / 2;
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
    return h;
}

}  // namespace view_paint
