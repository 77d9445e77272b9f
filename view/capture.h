#pragma once
// Capturing the quilting area and pattern boxes by machine position.
//
// The quilter pushes the free-running machine head to each corner on the real quilt and
// taps a button on the capture screen. Two modes:
//
//   CAPTURE_AREA (0) — the quilting area. Three taps of Add: the back-left corner becomes the
//   machine's home (0, 0), then the back-right and front-right corners are read; the fourth
//   corner (front-left) is completed from the first and third. The area is sent to the
//   controller, its size is shown, and it also becomes the current pattern box.
//
//   CAPTURE_BOX (1) — a pattern box, entered counter-clockwise (as seen on the screen) with
//   Plus; Check finishes. Two points are a baseline: they become the opposite corners of an
//   axis-parallel rectangle. The last corner of pbTemp is the "live" one: a poll once a
//   second moves it to where the machine is, so the outline follows the head.
//
// Positions come from the controller in thousandths of an inch and are kept in inches.
// Everything here reaches the user through the UI seam; the screen's widget code only turns
// taps into button numbers, runs the poll timer and blits the picture (view/extents_view.h).

enum CaptureMode { CAPTURE_AREA = 0, CAPTURE_BOX = 1 };

// Buttons of the bottom row, by their number.
enum CaptureButton {
    CAPTURE_NO_BUTTON = 0,
    CAPTURE_ADD = 1,     // area: Add; box: Plus
    CAPTURE_MIDDLE = 2,  // area: Cancel; box: Check
    CAPTURE_RIGHT = 3,   // box: Cancel
};

// The machine must be out of the way of the quilter's hands: the controller resumes, both
// motors are released and the machine is handed over to be pushed by hand.
void ReleaseMachineForCapture();

// Starts a capture on entering the screen: the first prompt, and in box mode a fresh pbTemp
// whose one (live) corner is the machine's position, with the position poll wanted.
void BeginCapture(int mode);

// The button under a tap at (x, y) on a view of W x H pixels whose bottom-row buttons are
// B pixels square, or CAPTURE_NO_BUTTON. Mode CAPTURE_AREA has two buttons, CAPTURE_BOX three.
int CaptureButtonAt(int mode, int x, int y, int viewWidth, int viewHeight, int buttonSize);

// The work of a tap on a button. Returns 1 when the capture ended (the pattern view is
// showing again), 0 when it goes on.
int CaptureTap(int mode, int button);

// The steps behind the buttons, each returning as CaptureTap.
int CaptureAreaAdd();
int CaptureAreaCancel();
int CaptureBoxPlus();
int CaptureBoxCheck();
int CaptureBoxCancel();

// One run of the position poll (getMCCoordinates without its timer): moves the live corner
// of pbTemp to the machine and drops the prompt once the head has left the corner by more
// than kPromptKeep_thou in X or Y. Returns 1 when the view needs a redraw.
int CapturePollOnce();
constexpr int kPromptKeep_thou = 15;

// Stops the position poll: capturePolling 0, and the screen's timer removed through the
// seam's stopPollTimer (set by the area setup screen when it is built).
void StopPositionPoll();

// The machine's position in inches (negative coordinates count as 0). False when the
// controller did not answer.
bool ReadCapturePosition(float* x, float* y);

// The rectangle spanned by a baseline from (x0, y0) to (x1, y1) as opposite corners, corners
// counter-clockwise on the screen starting at the first point. False (box untouched) when
// the baseline runs along an axis, which spans no rectangle.
bool BaselineRectangle(float x0, float y0, float x1, float y1, struct PatternBox* box);

// "Add Pattern Box" makes a placeholder box current before the capture begins: `slot`, with
// `previous` the box current before it (slot -1: the capture adjusts an existing box). A
// capture that ends without a new outline removes the placeholder and makes `previous`
// current again.
void NotePlaceholderBox(int slot, int previous);

// Every text of the capture screen.
namespace capture_text {
extern const char* const kAreaBackLeft;
extern const char* const kAreaBackRight;
extern const char* const kAreaFrontRight;
extern const char* const kBorderOverlap;
extern const char* const kCommandFailed;
extern const char* const kBoxFirstPoint;
extern const char* const kBoxNextPoint;
extern const char* const kBoxLinesCross;
extern const char* const kNoPointsAdded;
extern const char* const kCannotCreateBox;
extern const char* const kHomeMoved;
}  // namespace capture_text

// The mode of the capture now on screen (set by BeginCapture), for the picture.
extern int captureMode;

