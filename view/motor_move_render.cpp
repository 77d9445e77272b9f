// The stitching view: the placements of the box being stitched, the speed bar and arrows,
// the current speed and a cross-hair on the machine's position.

#include <glib.h>

#include <cstdio>

#include "base/interface.h"
#include "base/screen_config.h"
#include "base/settings.h"
#include "patterns/geometry.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "view/pattern_view.h"
#include "view/view_paint.h"

using namespace view_paint;

void DrawMotorMove(cairo_t* cr, int W, int H)
{
    lastUpdateTime = g_get_monotonic_time() / 1000;
    if (zoomAll == 1) {
        zoomAll = 0;
        ZoomAll(W, H);
    }
    const float s = interface_.viewScale;
    const bool large = (icon_style == 1);

    FillRect(cr, "#FFFFFF", 0, 0, W, H);
    Pixbuf(cr, interface_.cameraSnapshot.get(), 0, 0);

    // Placements at their offset in the box, without the box origin or the pan: the box
    // being stitched fills the view from its top-left corner.
    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next) {
        if (node->boxIndex != currentBox) continue;
        const Pattern* pattern = GetPattern(node->patternIndex);
        if (pattern == nullptr) continue;
        Pixbuf(cr, pattern->thumbnail, TruncateToInt(node->x / s), TruncateToInt(node->y / s),
               TruncateToInt(pattern->width / s) + 1, TruncateToInt(pattern->height / s) + 1);
    }

    if (command == EditMode::Stitching) {
        if (large)
            FillRect(cr, "#BBFFFF", W - 5 - 50 - 3, 75, 46, H - 54 - 96);
        else
            FillRect(cr, "#BBFFFF", W - 32 - 3, 48, 28, H - 96);
    }

    if (interface_.measureLine) {
        SetPen(cr, "#008899", 1, true);
        const int x = interface_.measureLine->startX, y = interface_.measureLine->startY;
        Segment(cr, x, 0, x, H);
        Segment(cr, 0, y, W, y);
    }

    SetColor(cr, "#000000");
    // The info line sits on the bottom edge of the area (its top there would be off-screen).
    if (interface_.infoText)
        Text(cr, *interface_.infoText, 5, H - TextHeight(cr, *interface_.infoText));

    char speedText[32];
    std::snprintf(speedText, sizeof speedText, "%0.0f", double(maxSpeed));
    SetColor(cr, "#000000");
    if (large)
        Text(cr, speedText, W - 14 - 21, (H - 9 - 16) / 2, Align::Centre);
    else
        Text(cr, speedText, W - 21, (H - 16) / 2, Align::Centre);

    if (large) {
        Pixbuf(cr, ViewImage("Up.png"), W - 60, 50);
        Pixbuf(cr, ViewImage("Down.png"), W - 60, H - 100);
    } else {
        Pixbuf(cr, ViewImage("Up_5.png"), W - 37, 32);
        Pixbuf(cr, ViewImage("Down_5.png"), W - 37, H - 64);
    }
}

void RenderMotorMove(ViewBuffer& out, int width, int height)
{
    if (width <= 0 || height <= 0) {
        width = view_area_width;
        height = view_area_height - 60;
    }
    cairo_t* cr = out.Begin(width, height);
    if (cr == nullptr) return;
    DrawMotorMove(cr, width, height);
    cairo_destroy(cr);
}
