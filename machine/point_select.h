#pragma once
// Pointing at the quilt with the machine itself: the operator pushes the free-running head
// to a spot, a cross-hair follows it on the screen, and a tap confirms.
//
// The dialogs are widgets (app/point_select_dialog.cpp); what they decide lives here, so
// that the same rules serve the dialogs, the headless run and corvan-tool:
//   - where the head is (GetCurrentLocation),
//   - which point of the prepared stitch path a run may start from (NearestStartPoint),
//   - which button a tap on the bottom row is (PointDialogResponse),
//   - where the cross-hair goes (CrossHairPixel),
//   - what opening and closing a dialog does to the machine and the view
//     (BeginPointDialog / EndPointDialog), and SET START's whole choice (SelectStartPoint).
//
// Units: machine positions and path points in thousandths of an inch; the view in pixels,
// interface_.viewScale inches per pixel.

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

struct FullPattern_t;

// The machine's position, thousandths of an inch, as the controller reports it (negative
// values kept). None when the port is closed or the controller did not answer: a closed
// port is no position, not (0, 0).
std::optional<std::pair<int32_t, int32_t>> GetCurrentLocation();

// The point of the path starting at `first` a run may start from nearest to (x, y): the
// first point, or a later one strictly nearer whose `jump` is not 1 (a run end is never a
// start, except the first point of all). Distances in single precision; of equally near
// points the earliest wins. Null for an empty path.
FullPattern_t* NearestStartPoint(FullPattern_t* first, int32_t x, int32_t y);

// Which dialog a rule is for.
enum PointDialogKind {
    POINT_DIALOG_START = 1,     // SelectPoint: OK and Cancel
    POINT_DIALOG_POSITION = 2,  // SelectPoint2: any tap on the bottom row is OK
};

// The response of a tap at (x, y) on a W x H area whose bottom row holds buttons B pixels
// square: RESPONSE_OK, RESPONSE_CANCEL, or 0 when the tap is ignored. Taps count only
// below H - B. In the start dialog button n = (x - (W - 3B - 48) + B + 16) / (B + 16),
// 1 OK, 2 Cancel, any other ignored.
int PointDialogResponse(int kind, int x, int y, int viewWidth, int viewHeight, int buttonSize);

// The view pixel of the machine position (x, y) thousandths at `scale` inches per pixel
// with the view's pan, as the box outline is drawn.
std::pair<int, int> CrossHairPixel(int32_t x, int32_t y, float scale, int panX, int panY);

// What a dialog keeps to give back when it closes.
struct PointDialogSession {
    float viewScale = 0.0f;
    int panX = 0, panY = 0;
    bool hadMeasureLine = false;
    int measure[4] = {0, 0, 0, 0};
};

// Opening a dialog: keeps the scale and the measuring line, makes sure a measuring line
// exists for the cross-hair, and frees both axes so the head can be pushed (Resume,
// DisableX, DisableY, the hand-over byte).
PointDialogSession BeginPointDialog();
// Closing it, however it closed: the scale, the pan and the measuring line as they were, the pattern
// images rebuilt and the view redrawn.
void EndPointDialog(const PointDialogSession& session);
// One tick of the cross-hair: the measuring line's start moves to the head (to (0, 0) when
// the position cannot be read). The caller redraws.
void CrossHairTick();

// SET START: with a prepared path, opens the dialog (runDialog runs it modally and returns
// its response), and after OK reads where the head is and returns the nearest start point.
// None after Cancel, with no path, or when the position cannot be read after OK (then the
// operator is told "COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN."; the point nearest to (0, 0)
// would start the run somewhere the operator never pointed at).
FullPattern_t* SelectStartPoint(const std::function<int()>& runDialog);

constexpr const char* kPointReadFailed = "COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN.";
