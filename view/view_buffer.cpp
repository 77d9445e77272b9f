#include <cstdint>

#include "view/pattern_view.h"

ViewBuffer::~ViewBuffer()
{
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
}

cairo_t* ViewBuffer::Begin(int w, int h)
{
    w = w > 0 ? w : 1;
    h = h > 0 ? h : 1;
    if (surface_ == nullptr || Width() != w || Height() != h) {
        if (surface_ != nullptr) cairo_surface_destroy(surface_);
        surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface_);
            surface_ = nullptr;
            return nullptr;
        }
    }
    cairo_t* cr = cairo_create(surface_);
    // Start from nothing, so no earlier picture shows through.
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    return cr;
}

int ViewBuffer::Width() const { return surface_ ? cairo_image_surface_get_width(surface_) : 0; }
int ViewBuffer::Height() const { return surface_ ? cairo_image_surface_get_height(surface_) : 0; }

ViewBuffer::Rgba ViewBuffer::Pixel(int x, int y) const
{
    if (surface_ == nullptr || x < 0 || y < 0 || x >= Width() || y >= Height()) return {};
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    const uint32_t v = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride)[x];
    const int a = int(v >> 24);
    if (a == 0) return {};
    // Back from premultiplied alpha, rounding to the nearest value.
    auto unmul = [a](uint32_t c) { return int((c * 255 + a / 2) / a); };
    return {unmul((v >> 16) & 0xFF), unmul((v >> 8) & 0xFF), unmul(v & 0xFF), a};
}

GdkPixbuf* ViewBuffer::ToPixbuf() const
{
    if (surface_ == nullptr) return nullptr;
    const int w = Width(), h = Height();
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, w, h);
    if (pixbuf == nullptr) return nullptr;
    guchar* dst = gdk_pixbuf_get_pixels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgba p = Pixel(x, y);
            guchar* d = dst + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 4;
            d[0] = guchar(p.r);
            d[1] = guchar(p.g);
            d[2] = guchar(p.b);
            d[3] = guchar(p.a);
        }
    return pixbuf;
}
