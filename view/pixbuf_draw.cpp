#include "view/pixbuf_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#include "base/interface.h"
#include "patterns/geometry.h"
#include "patterns/pattern.h"
#include "view/view_paint.h"

namespace {

// Direct access to the pixels of a buffer, fetched once per drawing rather than per pixel.
struct Target {
    guchar* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    explicit Target(GdkPixbuf* buffer)
    {
        if (buffer == nullptr || gdk_pixbuf_get_colorspace(buffer) != GDK_COLORSPACE_RGB ||
            gdk_pixbuf_get_bits_per_sample(buffer) != 8 || !gdk_pixbuf_get_has_alpha(buffer) ||
            gdk_pixbuf_get_n_channels(buffer) != 4)
            return;
        // Drawn into in place: a surface converted from the old pixels is stale now.
        view_paint::ForgetCachedSurface(buffer);
        pixels = gdk_pixbuf_get_pixels(buffer);
        width = gdk_pixbuf_get_width(buffer);
        height = gdk_pixbuf_get_height(buffer);
        stride = gdk_pixbuf_get_rowstride(buffer);
    }
    bool Usable() const { return pixels != nullptr; }
    void Put(int x, int y, guchar r, guchar g, guchar b, guchar a) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        guchar* p = pixels + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 4;
        p[0] = r;
        p[1] = g;
        p[2] = b;
        p[3] = a;
    }
};

guchar Byte(int v) { return static_cast<guchar>(std::clamp(v, 0, 255)); }

void Line(const Target& t, int x0, int y0, int x1, int y1, guchar r, guchar g, guchar b,
          guchar a)
{
    // Single precision as the rest of the drawing; a vertical line gets a tiny run so that
    // the slope stays finite (it is not used for such a line anyway).
    const float run = (x0 != x1) ? float(x1 - x0) : 0.001f;
    const float slope = float(y1 - y0) / run;
    const float intercept = float(y0) - slope * float(x0);
    // Clip the stepping range to the buffer, so that a line far off the image costs
    // nothing and no coordinate overflows.
    if (std::abs(y0 - y1) < std::abs(x0 - x1)) {
        const int from = std::max(std::min(x0, x1), 0);
        const int to = std::min(std::max(x0, x1), t.width);
        for (int x = from; x < to; ++x)
            t.Put(x, TruncateToInt(slope * float(x) + intercept), r, g, b, a);
    } else {
        const int from = std::max(std::min(y0, y1), 0);
        const int to = std::min(std::max(y0, y1), t.height);
        for (int y = from; y < to; ++y) {
            const int x = (x0 == x1) ? x0 : TruncateToInt((float(y) - intercept) / slope);
            t.Put(x, y, r, g, b, a);
        }
    }
}

bool UsableScale(float s) { return std::isfinite(s) && s > 0.0f; }

// Pattern image sizes are computed in double and checked before they become ints.
bool ImageSize(double w, double h, int* outW, int* outH)
{
    if (!(w >= 1.0 && h >= 1.0) || w > kMaxImagePixels || h > kMaxImagePixels ||
        w * h > double(kMaxImagePixels))
        return false;
    *outW = int(w);
    *outH = int(h);
    return true;
}

}  // namespace

GdkPixbuf* NewPixbuf(int w, int h)
{
    int width = 0, height = 0;
    if (!ImageSize(double(w) + 1.0, double(h) + 1.0, &width, &height)) return nullptr;
    GdkPixbuf* buffer = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
    ClearPixbuf(buffer);
    return buffer;
}

void ClearPixbuf(GdkPixbuf* buffer)
{
    Target t(buffer);
    if (!t.Usable()) return;
    for (int y = 0; y < t.height; ++y) {
        guchar* row = t.pixels + static_cast<size_t>(y) * t.stride;
        for (int x = 0; x < t.width; ++x) {
            row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = 255;
            row[4 * x + 3] = 0;
        }
    }
}

GdkPixbuf* CreatePixbufFromPattern(const Pattern* pattern, float s)
{
    if (pattern == nullptr || !UsableScale(s)) return nullptr;
    const double w = std::trunc(double(pattern->width / s)) + 1.0;
    const double h = std::trunc(double(pattern->height / s)) + 1.0;
    int width = 0, height = 0;
    if (!ImageSize(w, h, &width, &height)) return nullptr;
    return gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height);
}

void SetVisibleAlpha(GdkPixbuf* buffer, int alpha)
{
    Target t(buffer);
    if (!t.Usable()) return;
    for (int y = 0; y < t.height; ++y) {
        guchar* row = t.pixels + static_cast<size_t>(y) * t.stride;
        for (int x = 0; x < t.width; ++x)
            if (row[4 * x + 3] != 0) row[4 * x + 3] = Byte(alpha);
    }
}

void DrawPixel(GdkPixbuf* buffer, int x, int y, int r, int g, int b, int a)
{
    Target t(buffer);
    if (t.Usable()) t.Put(x, y, Byte(r), Byte(g), Byte(b), Byte(a));
}

void DrawLine(GdkPixbuf* buffer, int x0, int y0, int x1, int y1, int r, int g, int b, int a)
{
    Target t(buffer);
    if (t.Usable()) Line(t, x0, y0, x1, y1, Byte(r), Byte(g), Byte(b), Byte(a));
}

int DrawPatternPoints(GdkPixbuf* buffer, const Pattern* pattern, float offsetX, float offsetY,
                      float minX, float minY, float s, int highlightEntity)
{
    if (buffer == nullptr || pattern == nullptr) return 0;
    ClearPixbuf(buffer);
    Target t(buffer);
    const int n = std::min<int>(pattern->pointCount,
                                int(std::min(pattern->pointX.size(), pattern->pointY.size())));
    if (!t.Usable() || n <= 0 || !UsableScale(s)) return 0;

    // Commands in the order of the point they stand before (a command before point 0 or
    // earlier counts as standing before the first point).
    const int m = std::min<int>(pattern->commandCount, int(std::min(pattern->commandType.size(),
                                                                    pattern->commandPoint.size())));
    std::vector<int> order(static_cast<size_t>(m));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return pattern->commandPoint[a] < pattern->commandPoint[b];
    });
    size_t nextCommand = 0;

    bool haveLast = false;
    int lastPixelX = 0, lastPixelY = 0;
    float lastX = 0.0f, lastY = 0.0f;  // inches, of the last drawn point
    int entity = 0;
    bool highlight = false;
    int used = 0;
    for (int i = 0; i < n; ++i) {
        while (nextCommand < order.size() &&
               pattern->commandPoint[order[nextCommand]] <= i + 1) {
            switch (pattern->commandType[order[nextCommand]]) {
                case CommandKind::EntityStart:
                    ++entity;
                    highlight = (entity == highlightEntity);
                    break;
                case CommandKind::EntityEnd: highlight = false; break;
                case CommandKind::Start: haveLast = false; break;
                default: break;
            }
            ++nextCommand;
        }
        const float px = pattern->pointX[i], py = pattern->pointY[i];
        const int x = TruncateToInt((offsetX + px - minX) / s);
        const int y = TruncateToInt((offsetY + py - minY) / s);
        if (x < 0 || y < 0 || x >= t.width || y >= t.height) {
            haveLast = false;
            continue;
        }
        if (haveLast) {
            const float dx = px - lastX, dy = py - lastY;
            if (std::sqrt(dx * dx + dy * dy) <= 0.05f) continue;  // passed over
            if (highlight)
                Line(t, lastPixelX, lastPixelY, x, y, 255, 0, 0, 255);
            else
                Line(t, lastPixelX, lastPixelY, x, y, 0, 0, 0, 255);
        }
        haveLast = true;
        lastPixelX = x;
        lastPixelY = y;
        lastX = px;
        lastY = py;
        ++used;
    }
    return used;
}

int DrawPattern(GdkPixbuf* buffer, const Pattern* pattern, float offsetX, float offsetY, float s)
{
    if (pattern == nullptr) return 0;
    return DrawPatternPoints(buffer, pattern, offsetX, offsetY, pattern->minX, pattern->minY, s,
                             interface_.highlightEntity);
}

GdkPixbuf* PatternImageAtViewScale(const Pattern* pattern)
{
    const float s = interface_.viewScale;
    GdkPixbuf* buffer = CreatePixbufFromPattern(pattern, s);
    if (buffer != nullptr) DrawPattern(buffer, pattern, 0.0f, 0.0f, s);
    return buffer;
}
