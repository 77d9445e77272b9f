#include "view/pattern_view.h"

#include <cmath>
#include <map>

#include "base/interface.h"
#include "base/screen_config.h"
#include "patterns/geometry.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

int zoomAll = 0;
int zoomed = 0;
int64_t lastUpdateTime = 0;

namespace {

// Any program that draws the view has the pattern images drawn at its scale.
const bool hooksInstalled = (InstallPatternViewHooks(), true);

float AtLeastMinimum(float s) { return (s >= kMinViewScale && std::isfinite(s)) ? s : kMinViewScale; }

}  // namespace

void InstallPatternViewHooks() { patternThumbnailHook = PatternImageAtViewScale; }

bool PrepareDrawingArea(int kind, DrawingAreaSetup* out)
{
    DrawingAreaSetup setup;
    switch (kind) {
        case DA_MOTOR_MOVE:
            setup = {view_area_width, view_area_height - 60, DA_MOTOR_MOVE};
            interface_.infoText = " ";
            break;
        case DA_CAPTURE:
            setup = {view_area_width - trace_button_width - 10, view_area_height, DA_CAPTURE};
            interface_.infoText = "X: 0.00 Y: 0.00";
            break;
        case DA_PATTERN_VIEW:
            setup = {view_area_width, view_area_height, DA_PATTERN_VIEW};
            interface_.infoText.reset();
            break;
        case DA_SMALL_PATTERN_VIEW:
            setup = {pattern_preview_width, pattern_preview_height, DA_SMALL_PATTERN_VIEW};
            break;
        case DA_EXTENTS_VIEW:
            setup = {view_area_width, view_area_height, DA_EXTENTS_VIEW};
            break;
        default: return false;
    }
    if (out != nullptr) *out = setup;
    return true;
}

void SetZoomAll() { zoomAll = 1; }

void ZoomAll(int W, int H)
{
    if (zoomed == 1 || W <= 0 || H <= 0) return;
    interface_.panX = 0;
    interface_.panY = 0;

    const PatternBox* box = GetPatternBox(currentBox);
    // The 1 adds an inch of margin around the box and around the layout.
    const float bx = box ? (box->width + 1.0f) / float(W) : 0.0f;
    const float by = box ? (box->height + 1.0f) / float(H) : 0.0f;
    Point layout;
    GetLayoutDimensions(&layout);
    const float lx = (layout.x + 1.0f) / float(W);
    const float ly = (layout.y + 1.0f) / float(H);
    const float vertical = ly > by ? ly : by;
    const float horizontal = lx > bx ? lx : bx;
    const float s = AtLeastMinimum(vertical > horizontal ? vertical : horizontal);
    interface_.viewScale = s;

    DrawGrid();
    RefreshPatternPix();

    if (lx <= bx && box != nullptr) {
        // The box is the larger: centre it.
        interface_.panX = (W - TruncateToInt(box->width / s)) / 2 - TruncateToInt(box->originX / s);
        interface_.panY = (H - TruncateToInt(box->height / s)) / 2 - TruncateToInt(box->originY / s);
    } else {
        Point origin;
        GetLayoutOrigin(&origin);
        interface_.panX = W / 2 - TruncateToInt(layout.x * 0.5f / s) - TruncateToInt(origin.x / s);
        interface_.panY = H / 2 - TruncateToInt(layout.y * 0.5f / s) - TruncateToInt(origin.y / s);
        if (box != nullptr) {
            interface_.panX -= TruncateToInt(box->originX / s);
            interface_.panY -= TruncateToInt(box->originY / s);
        }
    }
}

void ZoomExtents(int W, int H)
{
    if (W <= 0 || H <= 0) return;
    const float s = extents ? SetInchPerPixel(extents->width, extents->height, W, H) : 0.0f;
    interface_.viewScale = AtLeastMinimum(s);
    DrawGrid();
    RefreshPatternPix();
}

float SetInchPerPixel(float width, float height, int pixelsWide, int pixelsHigh)
{
    const float across = pixelsWide > 0 ? width / float(pixelsWide) : 0.0f;
    const float down = pixelsHigh > 0 ? height / float(pixelsHigh) : 0.0f;
    return across > down ? across : down;
}

int GridSpacing(float s)
{
    if (!(s > 0.0f) || !std::isfinite(s)) return 0;
    // A quarter inch, else half an inch, else an inch: the first that is not too dense.
    int g = TruncateToInt(0.25f / s);
    if (g <= 9) g = TruncateToInt(0.5f / s);
    if (g < 10) g = TruncateToInt(1.0f / s);
    return g;
}

void DrawGrid()
{
    const int W = view_area_width, H = view_area_height;
    GdkPixbuf* grid = interface_.gridPixbuf.get();
    if (grid == nullptr || gdk_pixbuf_get_width(grid) != W || gdk_pixbuf_get_height(grid) != H) {
        interface_.gridPixbuf.reset(W > 0 && H > 0 ? NewPixbuf(W - 1, H - 1) : nullptr);
        grid = interface_.gridPixbuf.get();
    }
    if (grid == nullptr) return;
    ClearPixbuf(grid);
    const int g = GridSpacing(interface_.viewScale);
    if (g <= 0) return;
    for (int k = 0; k < (H - 4) / g + 1; ++k)
        DrawLine(grid, 0, k * g, W - 4, k * g, 0, 255, 255, 128);
    for (int k = 0; k < (W - 4) / g + 1; ++k)
        DrawLine(grid, k * g, 0, k * g, H - 4, 0, 255, 255, 128);
}

void ViewZoomAll()
{
    zoomed = 0;
    SetZoomAll();
    RefreshPatternPix();
}

// --- Images of "./images/" -------------------------------------------------------------------

namespace {

std::map<std::string, PixbufPtr>& ImageCache()
{
    static std::map<std::string, PixbufPtr> cache;
    return cache;
}

}  // namespace

GdkPixbuf* ViewImage(const std::string& fileName)
{
    auto& cache = ImageCache();
    auto it = cache.find(fileName);
    if (it != cache.end()) return it->second.get();
    // A file name with a folder in it is no image of ours.
    GdkPixbuf* image = nullptr;
    if (!fileName.empty() && fileName.find('/') == std::string::npos) {
        GdkPixbuf* loaded = gdk_pixbuf_new_from_file(("./images/" + fileName).c_str(), nullptr);
        if (loaded != nullptr) {
            // Always RGBA, so that fading and the pixel routines can work on it.
            image = gdk_pixbuf_add_alpha(loaded, FALSE, 0, 0, 0);
            g_object_unref(loaded);
        }
    }
    cache[fileName].reset(image);  // a missing image is remembered too
    return image;
}

GdkPixbuf* FadedViewImage(const std::string& fileName, int alpha)
{
    // Kept in the same cache under a key no file name can have (file names hold no '/').
    const std::string key = "faded/" + std::to_string(alpha) + "/" + fileName;
    auto& cache = ImageCache();
    auto it = cache.find(key);
    if (it != cache.end()) return it->second.get();
    GdkPixbuf* source = ViewImage(fileName);
    GdkPixbuf* faded = source ? gdk_pixbuf_copy(source) : nullptr;
    if (faded != nullptr) SetVisibleAlpha(faded, alpha);
    cache[key].reset(faded);
    return faded;
}

void ClearViewImages() { ImageCache().clear(); }
