// The composition of the pattern view, the small preview, the stitching view and the
// dialog frame. Pattern images are drawn beforehand (one per loaded pattern, at the view's
// scale); here they are only pasted, so a repaint costs a copy per placement.

#include <cmath>
#include <cstdio>

#include "base/interface.h"
#include "base/screen_config.h"
#include "base/status_bar.h"
#include "patterns/geometry.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "view/pattern_view.h"
#include "view/view_paint.h"

using namespace view_paint;

namespace {

// Sizes of the two icon sets.
struct IconSet {
    bool large;
    int arrow;      // S: paging and pad arrows
    int padMargin;  // D: distance of the pad's centre from the bottom-right corner
    int padGap;     // t
    int padHalf;    // u: half the size of the pad's check mark
};

IconSet Icons()
{
    if (icon_style == 1) return {true, 50, 95, 10, 25};
    return {false, 32, 58, 5, 16};
}

const char* Pick(const IconSet& icons, const char* large, const char* small)
{
    return icons.large ? large : small;
}

void Image(cairo_t* cr, const char* fileName, double x, double y)
{
    Pixbuf(cr, ViewImage(fileName), x, y);
}

// Top-left pixel of a placement's image.
struct Placement {
    int x0 = 0, y0 = 0;
};

Placement PlacementPixel(const LayoutNode* node, const PatternBox* box, float s)
{
    const float ox = box ? box->originX : 0.0f, oy = box ? box->originY : 0.0f;
    Placement p;
    p.x0 = TruncateToInt(float(TruncateToInt(node->x / s)) + ox / s + float(interface_.panX));
    p.y0 = TruncateToInt(float(TruncateToInt(node->y / s)) + oy / s + float(interface_.panY));
    return p;
}

// Position in inches of point i of a placed pattern, in the frame the start and end marks
// are compared in (the pan counted in inches too), and the pixel it is drawn on.
Point MarkPosition(const Pattern* pattern, int i, const LayoutNode* node, const PatternBox* box,
                   float s)
{
    const float ox = box ? box->originX : 0.0f, oy = box ? box->originY : 0.0f;
    Point p;
    p.x = pattern->pointX[i] - pattern->minX + node->x + ox + s * float(interface_.panX);
    p.y = pattern->pointY[i] - pattern->minY + node->y + oy + s * float(interface_.panY);
    return p;
}

bool FarApart(Point a, Point b)
{
    const float dx = a.x - b.x, dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy) > 0.125f;
}

int PointsOf(const Pattern* pattern)
{
    if (pattern == nullptr) return 0;
    const size_t n = std::min(pattern->pointX.size(), pattern->pointY.size());
    return std::min<int>(pattern->pointCount, static_cast<int>(n));
}

void SelectionRectangle(cairo_t* cr, const LayoutNode* node, const PatternBox* box, float s)
{
    const Pattern* pattern = GetPattern(node->patternIndex);
    if (pattern == nullptr) return;
    const Placement p = PlacementPixel(node, box, s);
    const double w = pattern->width / s, h = pattern->height / s;
    SetPen(cr, "#00FF00", 3, true);
    cairo_rectangle(cr, p.x0, p.y0, w, h);
    cairo_stroke(cr);
}

void BoxOutline(cairo_t* cr, const PatternBox* box, float s)
{
    SetPen(cr, "#FF0000", 1, true);
    auto pixel = [&](const BoxPoint* c, double* x, double* y) {
        *x = TruncateToInt(c->x / s + float(interface_.panX));
        *y = TruncateToInt(c->y / s + float(interface_.panY));
    };
    for (const BoxPoint* c = box->corners; c != nullptr; c = c->next) {
        const BoxPoint* to = c->next ? c->next : box->corners;
        if (to == c) break;
        double x0, y0, x1, y1;
        pixel(c, &x0, &y0);
        pixel(to, &x1, &y1);
        Segment(cr, x0, y0, x1, y1);
    }
}

void BoxTitleAndPaging(cairo_t* cr, const IconSet& icons, int W)
{
    const int count = patternBoxList ? patternBoxList->count : 0;
    SetColor(cr, "#000000");
    Text(cr, "PB: " + std::to_string(currentBox + 1) + " OF " + std::to_string(count), W / 2, 1,
         Align::Centre);
    const int S = icons.arrow;
    if (GetPatternBox(currentBox + 1) != nullptr) {
        Image(cr, Pick(icons, "Right.png", "Right_5.png"), W - S, 0);
        SetColor(cr, "#000000");
        Text(cr, std::to_string(currentBox + 2), int(W - S / 1.5), int(S / 4));
    }
    if (currentBox > 0) {
        Image(cr, Pick(icons, "Left.png", "Left_5.png"), 0, 0);
        SetColor(cr, "#000000");
        Text(cr, std::to_string(currentBox), int(S / 2.75), int(S / 4));
    }
}

// The next placement after `node` in layout order that lies in the same box.
const LayoutNode* NextInBox(const LayoutNode* node)
{
    for (const LayoutNode* n = node->next; n != nullptr; n = n->next)
        if (n->boxIndex == node->boxIndex) return n;
    return nullptr;
}

void Placements(cairo_t* cr, const PatternBox* box, float s)
{
    Point previousEnd;  // (0, 0) before the first placement
    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next) {
        if (node->boxIndex != currentBox) continue;
        const Pattern* pattern = GetPattern(node->patternIndex);
        if (pattern == nullptr) continue;
        const Placement p = PlacementPixel(node, box, s);
        const int w = TruncateToInt(pattern->width / s), h = TruncateToInt(pattern->height / s);

        if (node == interface_.selectedNode) {
            if (node->arrayIndex >= 0) {
                for (const LayoutNode* n = patternLayout; n != nullptr; n = n->next)
                    if (n->arrayIndex == node->arrayIndex && n->boxIndex == currentBox)
                        SelectionRectangle(cr, n, box, s);
            } else {
                SelectionRectangle(cr, node, box, s);
            }
        }

        Pixbuf(cr, pattern->thumbnail, p.x0, p.y0, w + 1, h + 1);

        SetPen(cr, "#000000", 1, false);
        if (hull && hull->size() > 1) {
            const float ox = box ? box->originX : 0.0f, oy = box ? box->originY : 0.0f;
            const PointArray& points = *hull;
            for (size_t k = 0; k + 1 < points.size(); ++k)
                Segment(cr, TruncateToInt((points[k].x + ox) / s + float(interface_.panX)),
                        TruncateToInt((points[k].y + oy) / s + float(interface_.panY)),
                        TruncateToInt((points[k + 1].x + ox) / s + float(interface_.panX)),
                        TruncateToInt((points[k + 1].y + oy) / s + float(interface_.panY)));
        }
        Segment(cr, p.x0, p.y0 - 4, p.x0, p.y0 + 4);
        Segment(cr, p.x0 - 4, p.y0, p.x0 + 4, p.y0);

        const int n = PointsOf(pattern);
        if (n == 0) continue;
        // A pattern that does not start where the previous one ended gets a green circle at
        // its start; one whose end is not where the next one starts gets a red cross there.
        const Point first = MarkPosition(pattern, 0, node, box, s);
        if (FarApart(first, previousEnd)) {
            SetPen(cr, "#00AA00", 2, false);
            cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
            cairo_arc(cr, TruncateToInt(first.x / s) + 0.5, TruncateToInt(first.y / s) + 0.5, 8.0, 0,
                      2 * M_PI);
            cairo_stroke(cr);
        }
        const Point last = MarkPosition(pattern, n - 1, node, box, s);
        const LayoutNode* following = NextInBox(node);
        const Pattern* nextPattern = following ? GetPattern(following->patternIndex) : nullptr;
        const bool joined = PointsOf(nextPattern) > 0 &&
                            !FarApart(last, MarkPosition(nextPattern, 0, following, box, s));
        if (!joined) {
            SetPen(cr, "#FF0000", 2, false);
            const double x = TruncateToInt(last.x / s) + 0.5, y = TruncateToInt(last.y / s) + 0.5;
            cairo_move_to(cr, x - 8, y - 8);
            cairo_line_to(cr, x + 8, y + 8);
            cairo_move_to(cr, x - 8, y + 8);
            cairo_line_to(cr, x + 8, y - 8);
            cairo_stroke(cr);
        }
        previousEnd = last;
    }
}

void DirectionPad(cairo_t* cr, const IconSet& icons, int W, int H)
{
    const int cx = W - icons.padMargin, cy = H - icons.padMargin;
    const int S = icons.arrow, t = icons.padGap, u = icons.padHalf;
    Image(cr, Pick(icons, "OK_64x64.png", "OK.png"), cx - u, cy - u);
    Image(cr, Pick(icons, "Left.png", "Left_5.png"), int(cx - 1.5 * S - t), cy - u);
    Image(cr, Pick(icons, "Right.png", "Right_5.png"), cx + u + t, cy - u);
    Image(cr, Pick(icons, "Up.png", "Up_5.png"), cx - u, int(cy - 1.5 * S - t));
    Image(cr, Pick(icons, "Down.png", "Down_5.png"), cx - u, cy + u + t);
}

void ResolveSize(int* W, int* H)
{
    if (*W <= 0 || *H <= 0) {
        *W = view_area_width;
        *H = view_area_height;
    }
}

}  // namespace

void PlacementImageOrigin(const LayoutNode* node, const PatternBox* box, float s, int* x0, int* y0)
{
    const Placement p = PlacementPixel(node, box, s);
    *x0 = p.x0;
    *y0 = p.y0;
}

void DrawPatternView(cairo_t* cr, int W, int H)
{
    ResolveSize(&W, &H);
    if (zoomAll == 1) {
        zoomAll = 0;
        ZoomAll(W, H);
    }
    const float s = interface_.viewScale;
    const IconSet icons = Icons();
    const bool padShown = (command == EditMode::MoveAll || command == EditMode::MovePattern);

    // Background: the camera picture when it shows the quilt at about this scale.
    FillRect(cr, "#CCFFFF", 0, 0, W, H + 30);
    if (interface_.cameraSnapshot &&
        std::fabs(interface_.viewScale - interface_.snapshotInchPerPixel) < 0.25f)
        Pixbuf(cr, interface_.cameraSnapshot.get(), 0, 0);

    Pixbuf(cr,
           FadedViewImage(interface_.motorDirection == 200 ? "ReverseArrow_32x32.png"
                                                           : "Forward_32x32.png",
                          35),
           0, H - 32);

    if (padShown) {
        const int d = icons.padMargin;
        FillRect(cr, "#BBFFFF", W - 2 * d, H - 2 * d, 2 * d, 2 * d);
    }

    Pixbuf(cr, interface_.gridPixbuf.get(), 0, 0);

    const PatternBox* box = GetPatternBox(currentBox);
    if (box != nullptr && box->corners != nullptr) {
        BoxOutline(cr, box, s);
        BoxTitleAndPaging(cr, icons, W);
    }

    Placements(cr, box, s);

    SetColor(cr, "#000000");
    if (interface_.infoText) Text(cr, *interface_.infoText, 5, H - 30);
    SetColor(cr, "#000000");
    Text(cr, statusBar, 35, H - 35);
    if (interface_.measureText) {
        SetColor(cr, "#000000");
        Text(cr, *interface_.measureText, W / 2, 0, Align::Centre);
    }

    if (!interface_.scribble.empty()) {
        SetPen(cr, "#00FF00", 1, false);
        const auto& pts = interface_.scribble;
        for (size_t k = 0; k + 1 < pts.size(); ++k)
            Segment(cr, pts[k].x, pts[k].y, pts[k + 1].x, pts[k + 1].y);
    }

    const int buttonX[kEditButtonCount] = {W / 2 - 72, W / 2 - 16, W / 2 + 40, W - 32, W - 32};
    const int buttonY[kEditButtonCount] = {H - 40, H - 40, H - 40, H / 2 + 12, H / 2 - 44};
    for (int b = 0; b < kEditButtonCount; ++b)
        Pixbuf(cr, interface_.editButtons[b].get(), buttonX[b], buttonY[b]);

    if (padShown) DirectionPad(cr, icons, W, H);
    if (menuReady) Image(cr, "Start_32x32.png", W - 32, 25);
}

void RenderPatternView(ViewBuffer& out, int width, int height)
{
    ResolveSize(&width, &height);
    cairo_t* cr = out.Begin(width, height);
    if (cr == nullptr) return;
    DrawPatternView(cr, width, height);
    cairo_destroy(cr);
}

void RenderSmallPatternView(ViewBuffer& out, int width, int height)
{
    if (width <= 0 || height <= 0) {
        width = pattern_preview_width;
        height = pattern_preview_height;
    }
    if (zoomAll == 1) {
        zoomAll = 0;
        ZoomAll(width, height);
    }
    cairo_t* cr = out.Begin(width, height);
    if (cr == nullptr) return;
    FillRect(cr, "#FFFFFF", 0, 0, width, height);
    PixbufScaled(cr, interface_.previewPixbuf.get(), width, height);
    cairo_destroy(cr);
}

void DrawFrame(cairo_t* cr, int width, int height)
{
    SetPen(cr, "#000000", 5, false);
    cairo_rectangle(cr, 2.5, 2.5, width - 5, height - 5);
    cairo_stroke(cr);
}
