// The scale dialog's live preview.

#include "view/scale_preview.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/interface.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "view/pixbuf_draw.h"
#include "view/view_paint.h"

namespace {

bool IsSelected(const LayoutNode* n, const LayoutNode* nodes)
{
    for (const LayoutNode* c = nodes; c != nullptr; c = c->next) {
        if (c->origin != nullptr ? c->origin == n->origin
                                 : (c->patternIndex == n->patternIndex && c->x == n->x && c->y == n->y))
            return true;
    }
    return false;
}

// A copy of a pattern picture with every visible pixel in the preview's tint.
PixbufPtr Tinted(const GdkPixbuf* picture)
{
    PixbufPtr copy(gdk_pixbuf_copy(picture));
    if (!copy || gdk_pixbuf_get_n_channels(copy.get()) != 4)
        return nullptr;
    const int w = gdk_pixbuf_get_width(copy.get()), h = gdk_pixbuf_get_height(copy.get());
    const int stride = gdk_pixbuf_get_rowstride(copy.get());
    guchar* pixels = gdk_pixbuf_get_pixels(copy.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            guchar* p = pixels + y * stride + x * 4;
            if (p[3] != 0) {
                p[0] = 0;
                p[1] = 128;
                p[2] = 192;
                p[3] = 128;
            }
        }
    return copy;
}

struct Extent {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool any = false;
    void Add(double x, double y)
    {
        x0 = any ? std::min(x0, x) : x;
        y0 = any ? std::min(y0, y) : y;
        x1 = any ? std::max(x1, x) : x;
        y1 = any ? std::max(y1, y) : y;
        any = true;
    }
};

}  // namespace

using namespace view_paint;

void RenderScalePreview(ViewBuffer& out, int w, int h, const LayoutNode* nodes, float scaleX,
                        float scaleY)
{
    w = std::max(1, w);
    h = std::max(1, h);
    cairo_t* cr = out.Begin(w, h);
    if (cr == nullptr)
        return;
    // Transparent where nothing is drawn: the dialog's own background shows through.
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    const float s = interface_.viewScale;
    if (!(s > 0) || !std::isfinite(s)) {
        cairo_destroy(cr);
        return;
    }
    const PatternBox* box = GetPatternBox(currentBox);
    double ox = 0, oy = 0;
    if (box != nullptr) {
        ox = (w - int(box->width / s)) / 2;
        oy = (h - int(box->height / s)) / 2;
    }

    for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next) {
        if (n->boxIndex != currentBox || IsSelected(n, nodes))
            continue;
        const Pattern* p = GetPattern(n->patternIndex);
        if (p == nullptr || p->thumbnail == nullptr)
            continue;
        PixbufPtr tinted = Tinted(p->thumbnail);
        if (tinted)
            Pixbuf(cr, tinted.get(), int(n->x / s) + ox, int(n->y / s) + oy);
    }

    // The selected placements: projected as they are and as they will be, the stretched
    // picture then centred where the present one lies.
    std::vector<std::vector<std::pair<double, double>>> strokes;
    Extent plain, scaled;
    for (const LayoutNode* n = nodes; n != nullptr; n = n->next) {
        const Pattern* p = GetPattern(n->patternIndex);
        if (p == nullptr)
            continue;
        const int count = std::min<int>(p->pointCount, int(std::min(p->pointX.size(), p->pointY.size())));
        std::vector<std::pair<double, double>> stroke;
        for (int i = 0; i < count; ++i) {
            const double px = double(n->x) + p->pointX[size_t(i)] - p->minX;
            const double py = double(n->y) + p->pointY[size_t(i)] - p->minY;
            plain.Add(int(px / s) + ox, int(py / s) + oy);
            const double sx = px * scaleX / 100.0 / s + ox, sy = py * scaleY / 100.0 / s + oy;
            scaled.Add(sx, sy);
            stroke.emplace_back(sx, sy);
        }
        strokes.push_back(std::move(stroke));
    }
    if (plain.any) {
        const double dx = (plain.x0 + plain.x1) / 2 - (scaled.x0 + scaled.x1) / 2;
        const double dy = (plain.y0 + plain.y1) / 2 - (scaled.y0 + scaled.y1) / 2;
        SetPen(cr, "#000000", 1, false);
        for (const auto& stroke : strokes)
            for (size_t i = 1; i < stroke.size(); ++i)
                Segment(cr, stroke[i - 1].first + dx, stroke[i - 1].second + dy, stroke[i].first + dx,
                        stroke[i].second + dy);
    }

    if (box != nullptr && box->corners != nullptr) {
        SetPen(cr, "#FF0000", 1, true);
        for (const BoxPoint* c = box->corners; c != nullptr; c = c->next) {
            const BoxPoint* to = c->next ? c->next : box->corners;
            if (to == c)
                break;
            Segment(cr, int((c->x - box->originX) / s) + ox, int((c->y - box->originY) / s) + oy,
                    int((to->x - box->originX) / s) + ox, int((to->y - box->originY) / s) + oy);
        }
    }
    cairo_destroy(cr);
}
