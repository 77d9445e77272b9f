#pragma once
// The pattern view: coordinates, zoom, pan and rendering of the current pattern box.
//
// Coordinates. The view shows the quilt in inches without a flip: quilt point (X, Y) lies
// at screen pixel (X / s + panX, Y / s + panY), s = interface_.viewScale (inches per pixel),
// pan in interface_.panX/panY. A placement at (x, y) in box B has its image's top-left
// corner at (int(x / s) + B.originX / s + panX, ...), and pattern point (px, py) lies at
// ((px - minX) / s, (py - minY) / s) inside the image.
//
// Rendering has two levels. Each loaded pattern keeps its image at the current scale
// (Pattern::thumbnail, drawn by DrawPattern through RefreshPatternPix); the view composes
// those images, the box outline and the overlays on every expose. Whenever the scale
// changes, call DrawGrid and RefreshPatternPix.
//
// For the widget code: an expose handler renders into a ViewBuffer and blits it, e.g.
//
//     static ViewBuffer picture;                       // reused between exposes
//     RenderPatternView(picture, alloc.width, alloc.height);
//     cairo_t* cr = gdk_cairo_create(widget->window);
//     cairo_set_source_surface(cr, picture.Surface(), 0, 0);
//     cairo_paint(cr);
//     cairo_destroy(cr);
//
// (or gdk_draw_pixbuf with picture.ToPixbuf()). The Render* functions may call ZoomAll,
// so they are to be called from the expose handler, as the views always did.

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdint>
#include <string>

#include "base/screen_state.h"  // command, menuReady
#include "view/pixbuf_draw.h"

// --- State of the view --------------------------------------------------------------------

// 1 asks the next expose of the pattern view (or the small preview) to fit the view.
extern int zoomAll;
// 1 once the user has zoomed by hand; ZoomAll then does nothing until it is cleared.
extern int zoomed;
// Milliseconds (monotonic clock) of the stitching view's last repaint.
extern int64_t lastUpdateTime;

// --- Drawing areas --------------------------------------------------------------------------

// The five drawing areas the screens use, by the `kind` of SetDrawingArea.
enum DrawingAreaKind {
    DA_MOTOR_MOVE = 0,          // stitching view: RenderMotorMove
    DA_CAPTURE = 1,             // trace and camera view (da_Capture)
    DA_PATTERN_VIEW = 2,        // RenderPatternView
    DA_SMALL_PATTERN_VIEW = 3,  // preview of the pattern select screen: RenderSmallPatternView
    DA_EXTENTS_VIEW = 4,        // capture of the quilting area and boxes (da_ExtentsView)
};

struct DrawingAreaSetup {
    int width = 0;   // size request, pixels
    int height = 0;
    DrawingAreaKind kind = DA_PATTERN_VIEW;
};

// The data half of SetDrawingArea: the size of the area of that kind (from the screen
// geometry) and the change of interface_.infoText that goes with it (" " for the stitching
// view, "X: 0.00 Y: 0.00" for the capture view, none for the pattern view, unchanged
// otherwise). Returns false, changing nothing, for a kind outside 0..4.
bool PrepareDrawingArea(int kind, DrawingAreaSetup* out);

// --- Zoom --------------------------------------------------------------------------------

void SetZoomAll();
// Fits the current box or the layout, whichever needs the coarser scale, into a window of
// W x H pixels and centres it (sets viewScale and the pan, then DrawGrid and
// RefreshPatternPix). Nothing while `zoomed` is 1 or the size is unknown (not positive).
void ZoomAll(int windowWidth, int windowHeight);
// Sets viewScale so the quilting area fits a W x H window (0.001 without one), then
// DrawGrid and RefreshPatternPix. Nothing while the size is unknown.
void ZoomExtents(int windowWidth, int windowHeight);
// The larger of width / pixelsWide and height / pixelsHigh; a term with no pixels counts 0.
float SetInchPerPixel(float width, float height, int pixelsWide, int pixelsHigh);
// The smallest scale zooming ever sets, inches per pixel.
constexpr float kMinViewScale = 0.001f;

// Rebuilds interface_.gridPixbuf (view_area_width x view_area_height): cyan lines at half
// opacity every quarter, half or whole inch, whichever first gives at least 10 pixels.
void DrawGrid();
// The spacing of the grid in pixels at s inches per pixel (0: no grid).
int GridSpacing(float s);

// The work of the "Zoom All" menu item after the edit mode has been left: zoomed = 0,
// SetZoomAll, RefreshPatternPix. The caller redraws the view.
void ViewZoomAll();

// Installs the view's drawing of pattern images into the pattern model (RefreshPatternPix
// and newPattern(..., 1) draw through it). Done automatically when this code is linked;
// calling it again is harmless.
void InstallPatternViewHooks();

// --- Rendering ------------------------------------------------------------------------------

// An RGBA picture drawn by the core, ready for an expose handler to blit. Holds a cairo
// image surface (ARGB32, premultiplied alpha); reused while its size stays the same.
class ViewBuffer {
public:
    ViewBuffer() = default;
    ~ViewBuffer();
    ViewBuffer(const ViewBuffer&) = delete;
    ViewBuffer& operator=(const ViewBuffer&) = delete;

    // Makes the picture w x h pixels (at least 1 x 1) and returns a cairo context drawing
    // into it; the caller destroys the context. Null when the surface cannot be made.
    cairo_t* Begin(int w, int h);
    int Width() const;
    int Height() const;
    // The surface, for cairo_set_source_surface; null before the first Begin.
    cairo_surface_t* Surface() const { return surface_; }
    // A new RGBA pixbuf (straight alpha) with the picture; null before the first Begin.
    GdkPixbuf* ToPixbuf() const;

    struct Rgba {
        int r = 0, g = 0, b = 0, a = 0;
        bool operator==(const Rgba& o) const
        {
            return r == o.r && g == o.g && b == o.b && a == o.a;
        }
        bool operator!=(const Rgba& o) const { return !(*this == o); }
    };
    // One pixel, straight alpha; (0, 0, 0, 0) outside the picture.
    Rgba Pixel(int x, int y) const;

private:
    cairo_surface_t* surface_ = nullptr;
};

// Everything da_PatternView shows, in its order: zoom-to-fit when asked, the background
// (camera snapshot or "#CCFFFF"), the motor-direction mark, the direction pad's backdrop,
// the grid, the current box with its outline, title and paging arrows, every placement with
// selection, hull, cross and start/end marks, infoText, the status line, measureText, the
// scribble, the edit buttons, the direction pad and the armed-menu mark. W x H is the
// drawing area's size (view_area_width x view_area_height when not positive).
void RenderPatternView(ViewBuffer& out, int width, int height);
void DrawPatternView(cairo_t* cr, int width, int height);

// The top-left pixel of a placement's image in box `box` at s inches per pixel, with the
// view's pan: where the pattern view draws it.
void PlacementImageOrigin(const struct LayoutNode* node, const struct PatternBox* box, float s,
                          int* x0, int* y0);

// da_SmallPatternView: zoom-to-fit when asked, then interface_.previewPixbuf scaled to the
// area, over white.
void RenderSmallPatternView(ViewBuffer& out, int width, int height);

// da_MotorMove, the stitching view: the placements of the current box, the speed bar
// (during a run), the cross-hair at measureLine's start, the info text, maxSpeed and the
// speed arrows. Stores lastUpdateTime.
void RenderMotorMove(ViewBuffer& out, int width, int height);
void DrawMotorMove(cairo_t* cr, int width, int height);

// The camera picture (interface_.cameraSnapshot), if any, scaled over a W x H area from
// (0, 0): the picture area of the camera screen.
void DrawCameraPicture(cairo_t* cr, int width, int height);

// DrawFrame's drawing for dialogs and message windows: a black rectangle, 5 pixels wide,
// along the edge of a w x h allocation.
void DrawFrame(cairo_t* cr, int width, int height);

// --- Images -------------------------------------------------------------------------------

// An image of "./images/" (read once, then kept); null when the file is missing or not an
// image. The reference stays the cache's.
GdkPixbuf* ViewImage(const std::string& fileName);
// The image with every pixel that is not fully transparent given `alpha` (kept as well).
GdkPixbuf* FadedViewImage(const std::string& fileName, int alpha);
// Forgets the images read so far (after the working folder or the image set changed).
void ClearViewImages();
