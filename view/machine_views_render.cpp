// The trace view and the point-selection dialogs' areas.

#include <algorithm>

#include "base/interface.h"
#include "base/screen_config.h"
#include "machine/trace.h"
#include "patterns/geometry.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "view/machine_views.h"
#include "view/view_paint.h"

using namespace view_paint;

namespace {

void Render(ViewBuffer& out, int width, int height, void (*draw)(cairo_t*, int, int, bool),
            bool flag)
{
    if (width <= 0 || height <= 0) {
        width = view_area_width;
        height = view_area_height;
    }
    cairo_t* cr = out.Begin(width, height);
    if (cr == nullptr) return;
    draw(cr, width, height, flag);
    cairo_destroy(cr);
}

void DrawCaptureFlagless(cairo_t* cr, int width, int height, bool) { DrawCapture(cr, width, height); }

}  // namespace

float CaptureViewScale(int width, int height)
{
    float s = extents ? SetInchPerPixel(extents->width, extents->height, width, height) : 0.0f;
    if (!(s > 0.0f))
        s = interface_.viewScale;
    return std::max(s, kMinViewScale);
}

void DrawCapture(cairo_t* cr, int W, int H)
{
    const float s = CaptureViewScale(W, H);
    FillRect(cr, "#CCFFFF", 0, 0, W, H);
    DrawCameraPicture(cr, W, H);

    const Pattern* p = tmpPattern;
    if (p != nullptr && p->pointCount > 0) {
        SetColor(cr, "#000000");
        for (int i = 0; i < p->pointCount; ++i) {
            const int x = TruncateToInt(p->pointX[i] / s), y = TruncateToInt(p->pointY[i] / s);
            cairo_rectangle(cr, x, y, 1, 1);
        }
        cairo_fill(cr);
        const int n = p->pointCount - 1;
        const int x = TruncateToInt(p->pointX[n] / s), y = TruncateToInt(p->pointY[n] / s);
        SetPen(cr, "#008899", 1, true);
        Segment(cr, x + 0.5, 0, x + 0.5, H);
        Segment(cr, 0, y + 0.5, W, y + 0.5);
    }
    SetColor(cr, "#000000");
    if (interface_.infoText)
        Text(cr, *interface_.infoText, 5, H - TextHeight(cr, *interface_.infoText));
}

void RenderCapture(ViewBuffer& out, int width, int height)
{
    Render(out, width, height, DrawCaptureFlagless, false);
}

void DrawSelectPoint(cairo_t* cr, int W, int H, bool withButtons)
{
    const float s = interface_.viewScale;
    FillRect(cr, "#CCFFFF", 0, 0, W, H);

    const PatternBox* box = GetPatternBox(currentBox);
    if (box != nullptr && box->corners != nullptr) {
        SetPen(cr, "#FF0000", 1, false);
        auto pixel = [&](const BoxPoint* c, double* x, double* y) {
            *x = TruncateToInt(c->x / s + float(interface_.panX));
            *y = TruncateToInt(c->y / s + float(interface_.panY));
        };
        const BoxPoint* last = box->corners;
        while (last->next != nullptr) last = last->next;
        double x0, y0, x1, y1;
        pixel(last, &x0, &y0);
        for (const BoxPoint* c = box->corners; c != nullptr; c = c->next) {
            pixel(c, &x1, &y1);
            Segment(cr, x0, y0, x1, y1);
            x0 = x1;
            y0 = y1;
        }
    }

    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next) {
        if (node->boxIndex != currentBox) continue;
        const Pattern* pattern = GetPattern(node->patternIndex);
        if (pattern == nullptr) continue;
        int x0 = 0, y0 = 0;
        PlacementImageOrigin(node, box, s, &x0, &y0);
        Pixbuf(cr, pattern->thumbnail, x0, y0, TruncateToInt(pattern->width / s) + 1,
               TruncateToInt(pattern->height / s) + 1);
    }

    if (interface_.measureLine) {
        SetPen(cr, "#008899", 1, false);
        const double x = interface_.measureLine->startX + 0.5, y = interface_.measureLine->startY + 0.5;
        Segment(cr, x, 0, x, H);
        Segment(cr, 0, y, W, y);
    }

    if (withButtons) {
        const int B = confirm_button_size;
        const bool large = icon_style == 1;
        Pixbuf(cr, ViewImage(large ? "OK_64x64.png" : "OK.png"), W - 3 * B - 40, H - B);
        Pixbuf(cr, ViewImage(large ? "Cancel_64x64.png" : "Cancel.png"), W - 2 * B - 24, H - B);
    }
}

void RenderSelectPoint(ViewBuffer& out, int width, int height, bool withButtons)
{
    Render(out, width, height, DrawSelectPoint, withButtons);
}
