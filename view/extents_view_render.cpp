// The capture screen's picture. Corners are drawn at (X / s, Y / s), s = viewScale, without
// the pattern view's pan: the view is fitted to the quilting area, whose home corner is
// (0, 0).

#include <pango/pangocairo.h>

#include <cstdio>

#include "base/interface.h"
#include "base/screen_config.h"
#include "patterns/pattern_box.h"
#include "view/capture.h"
#include "view/extents_view.h"
#include "view/view_paint.h"

using namespace view_paint;

namespace {

const char* ButtonImage(const char* large, const char* small)
{
    return icon_style == 1 ? large : small;
}

void Image(cairo_t* cr, const char* fileName, double x, double y)
{
    Pixbuf(cr, ViewImage(fileName), x, y);
}

void Outline(cairo_t* cr, const PatternBox* box, float s, const char* colour)
{
    if (box == nullptr || box->corners == nullptr || s <= 0.0f)
        return;
    SetPen(cr, colour, 1, false);
    const BoxPoint* first = box->corners;
    for (const BoxPoint* p = first; p != nullptr; p = p->next) {
        const BoxPoint* q = p->next ? p->next : first;
        Segment(cr, int(p->x / s), int(p->y / s), int(q->x / s), int(q->y / s));
    }
}

const BoxPoint* LiveCorner()
{
    const BoxPoint* p = pbTemp ? pbTemp->corners : nullptr;
    while (p != nullptr && p->next != nullptr)
        p = p->next;
    return p;
}

void DrawBoxMode(cairo_t* cr, int W, int H, int B, float s)
{
    Outline(cr, extents, s, "#FF8800");
    Outline(cr, pbTemp, s, "#FF0000");
    if (const BoxPoint* live = LiveCorner()) {
        const int x = int(live->x / s), y = int(live->y / s);
        SetPen(cr, "#FF0000", 1, false);
        Segment(cr, x - 3, y, x + 3, y);
        Segment(cr, x, y - 3, x, y + 3);
        char text[64];
        std::snprintf(text, sizeof text, "Location:( %0.2f, %0.2f )", double(live->x),
                      double(live->y));
        SetColor(cr, "#000000");
        Text(cr, text, 10, H - 35);
    }
    Image(cr, ButtonImage("Add_64x64.png", "Add.png"), W - 3 * B - 24, H - B);
    Image(cr, ButtonImage("OK_64x64.png", "OK.png"), W - 2 * B - 16, H - B);
    Image(cr, ButtonImage("Cancel_64x64.png", "Cancel.png"), W - B - 8, H - B);
}

void DrawAreaMode(cairo_t* cr, int W, int H, int B)
{
    Pixbuf(cr,
           FadedViewImage(interface_.motorDirection == 200 ? "ReverseArrow_32x32.png"
                                                           : "Forward_32x32.png",
                          35),
           0, H - 32);
    // Where the next corner is: back left first, then back right, then front right.
    const int corners = pbTemp ? pbTemp->cornerCount : 0;
    if (corners == 0)
        Image(cr, "TL_Arrow.png", 10, 10);
    else if (corners == 1)
        Image(cr, "TR_Arrow.png", W - 32, 10);
    else
        Image(cr, "BR_Arrow.png", W - 32, H - 32);
    Image(cr, ButtonImage("Add_64x64.png", "Add.png"), W - 3 * B - 16, H - B);
    Image(cr, ButtonImage("Cancel_64x64.png", "Cancel.png"), W - 2 * B - 8, H - B);
}

// The instruction, centred on the view in a light box with a black border 5 pixels clear
// of the text.
void DrawPrompt(cairo_t* cr, const std::string& text, int W, int H)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Sans 10");
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
    pango_layout_set_text(layout, text.c_str(), -1);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    const int x = (W - w) / 2, y = (H - h) / 2;
    FillRect(cr, "#EEEEEE", x - 5, y - 5, w + 10, h + 10);
    SetPen(cr, "#000000", 1, false);
    RectOutline(cr, x - 5, y - 5, x + w + 5, y + h + 5);
    SetColor(cr, "#000000");
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
}

}  // namespace

void DrawExtentsView(cairo_t* cr, int W, int H)
{
    if (zoomAll == 1) {
        zoomAll = 0;
        ZoomExtents(W, H);
    }
    const int B = confirm_button_size;
    FillRect(cr, "#CCFFFF", 0, 0, W, H);
    if (captureMode == CAPTURE_BOX)
        DrawBoxMode(cr, W, H, B, interface_.viewScale);
    else
        DrawAreaMode(cr, W, H, B);
    if (interface_.capturePrompt)
        DrawPrompt(cr, *interface_.capturePrompt, W, H);
}

void RenderExtentsView(ViewBuffer& out, int width, int height)
{
    if (width <= 0 || height <= 0) {
        width = view_area_width;
        height = view_area_height;
    }
    cairo_t* cr = out.Begin(width, height);
    if (cr == nullptr)
        return;
    DrawExtentsView(cr, width, height);
    cairo_destroy(cr);
}
