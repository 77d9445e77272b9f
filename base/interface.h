#pragma once
// The program's `interface` record: what the main window, the views and the machine code
// share about the screen and the machine. The variable is called `interface_` because
// `interface` is a macro on some platforms' headers.
//
// Only values live here. The widgets of the main window are kept by the GUI side
// (app/main_window.h), so that logic and tests can use this record without a display.
// The index of the pattern box being worked on is the global `currentBox`
// (patterns/pattern_box.h).

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/pixbuf_ptr.h"

struct FullPattern_t;
struct LayoutNode;
struct Camera;

// Owns a camera record (camera/camera.h); releases its device and buffers.
struct CameraFree {
    void operator()(Camera* camera) const;
};

// A point on the pattern view, in view pixels.
struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// The measuring line of the pattern view, in view pixels. The stitching view marks its
// start point with a cross-hair.
struct MeasureLine {
    int startX = 0, startY = 0;
    int endX = 0, endY = 0;
};

constexpr int kEditButtonCount = 5;

// Longest pattern path kept in lastPatternPath; longer paths are refused, not cut.
constexpr size_t kLastPatternPathMax = 75;

struct Interface {
    // Sense of the motor encoders as the controller reported it at start: 200 = reversed,
    // anything else = forward.
    int motorDirection = 0;

    // Name of the layout file now loaded; empty after New Layout or a setpoint.
    std::string current_layout;
    // Path of the pattern last chosen on the pattern select screen (at most
    // kLastPatternPathMax characters).
    std::string lastPatternPath;

    // What the extents setup screen defines: 0 the quilting area, 1 a pattern box.
    int boxEditTarget = 0;
    // 1 while an automatic fitting or autofill runs; Stop and Cancel clear it to end it.
    int fittingActive = 0;

    // --- The capture screen of the quilting area and pattern boxes (view/capture.h) ---
    // The instruction shown in a box on the capture screen; none once the machine has moved
    // away from the corner it was shown for.
    std::optional<std::string> capturePrompt;
    // 1 while the once-a-second machine-position poll of the capture screen is wanted.
    int capturePolling = 0;

    // The stitch path of the current pattern box (first point), null when none is prepared.
    // Owns its points: rebuilt by PackFullPattern, released by FreeStitchList.
    FullPattern_t* stitchList = nullptr;

    // --- The pattern view (view/pattern_view.h) ---
    // Inches of quilt per screen pixel.
    float viewScale = 0.001f;
    // Pan offset of the pattern view, screen pixels.
    int panX = 0;
    int panY = 0;
    // Last camera picture and the scale at which it shows the quilt; the view draws it as
    // its background while viewScale is within 0.25 of that scale.
    PixbufPtr cameraSnapshot;
    float snapshotInchPerPixel = 1.0f;
    // The camera, made at start-up when one answers; none without a camera.
    std::unique_ptr<Camera, CameraFree> camera;
    // 1 while the camera screen's video runs.
    int videoRunning = 0;
    // Grid overlay, view_area_width x view_area_height, made by DrawGrid.
    PixbufPtr gridPixbuf;
    // Picture shown by the small preview of the pattern select screen.
    PixbufPtr previewPixbuf;
    // The selected placement (the pop-up menu works on it), or null. Not owned.
    LayoutNode* selectedNode = nullptr;
    // Entity (1-based) of a pattern to draw highlighted, -1 for none.
    int highlightEntity = -1;
    // Texts the view draws: infoText at the bottom left, measureText centred at the top.
    std::optional<std::string> infoText;
    std::optional<std::string> measureText;
    // The measuring line, or none.
    std::optional<MeasureLine> measureLine;
    // Free-hand line being drawn, view pixels.
    std::vector<ScreenPoint> scribble;
    // Images of the on-screen edit buttons 1..5 (index 0..4); null where a button is hidden.
    PixbufPtr editButtons[kEditButtonCount];
};

extern Interface interface_;

// Drops the preview picture (previewPixbuf becomes null).
void DropPreviewPixbuf();
