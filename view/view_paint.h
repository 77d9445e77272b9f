#pragma once
// Small cairo helpers shared by the view renderers: colours, crisp lines, pixbufs, text.
// Lines are drawn without antialiasing so that a 1-pixel line covers exactly one row or
// column of pixels, as on the device's screen.

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string>
#include <vector>

namespace view_paint {

// "#RRGGBB".
void SetColor(cairo_t* cr, const char* hex);
// Line width in pixels; dashed lines go 4 on, 4 off.
void SetPen(cairo_t* cr, const char* hex, int width, bool dashed);
// One segment between pixel centres (x0, y0) and (x1, y1).
void Segment(cairo_t* cr, double x0, double y0, double x1, double y1);
// A rectangle outline through the pixel centres of its corners.
void RectOutline(cairo_t* cr, double x0, double y0, double x1, double y1);
void FillRect(cairo_t* cr, const char* hex, double x, double y, double w, double h);
// Paints the pixbuf with its top-left corner at (x, y), clipped to w x h pixels when both
// are positive. Nothing for a null pixbuf.
void Pixbuf(cairo_t* cr, const GdkPixbuf* pixbuf, double x, double y, int w = 0, int h = 0);
// Paints the pixbuf scaled to w x h at (0, 0).
void PixbufScaled(cairo_t* cr, const GdkPixbuf* pixbuf, int w, int h);
// A cairo surface with the pixbuf's picture (premultiplied); the caller destroys it.
cairo_surface_t* SurfaceFromPixbuf(const GdkPixbuf* pixbuf);
// The converted surface of a pixbuf, made once and kept with the pixbuf (it goes when the
// pixbuf goes): a repaint pastes every placement's picture and must not convert each one
// again. The caller does not own it. Null for no pixbuf.
cairo_surface_t* CachedSurface(const GdkPixbuf* pixbuf);
// Drops the kept surface of a pixbuf about to be drawn into in place.
void ForgetCachedSurface(GdkPixbuf* pixbuf);

enum class Align { Left, Centre };
// Text in "Sans 10" in the current colour; (x, y) is its top-left corner, or, centred, the
// middle of its top edge. Returns the text's height in pixels.
int Text(cairo_t* cr, const std::string& text, double x, double y, Align align = Align::Left);
// The height in pixels the text would take.
int TextHeight(cairo_t* cr, const std::string& text);

}  // namespace view_paint
