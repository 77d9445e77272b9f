#pragma once
// The work of the scale, rotate and properties dialogs, apart from their widgets.
//
// Each dialog changes one placement, or one whole array, chosen from the pattern pop-up
// menu. An array is always handled as a whole: its parent stands for it and every copy
// moves with it. The widgets (app/scale_dialog.cpp, app/properties_dialog.cpp) keep their
// state in the records below and call these functions; the flows reach the widgets through
// the hooks, so they run headless in tests.

#include <array>
#include <functional>
#include <string>

struct LayoutNode;
struct PatternBox;

// --- Scale ---------------------------------------------------------------------------------

constexpr int kScaleMin_percent = 10;
constexpr int kScaleMax_percent = 400;
// Response of a scale dialog with nothing to preview; also the "SMARTSCALE" button's.
constexpr int kScaleNothingToShow = -90;
constexpr int kScaleSmartScale = -99;

struct ScaleState {
    LayoutNode* node = nullptr;     // the placement being scaled (in the layout)
    float width_percent = 100.0f;
    float height_percent = 100.0f;
    bool lock = true;               // the proportional lock
    LayoutNode* copies = nullptr;   // preview copies of the node or of its whole array (owned)
    bool smartScale = false;        // the current box can be used for fitting
};

// A slider value as the dialog stores it: rounded to a whole percent and kept within
// 10..400; `previous` for a value that is not a number.
float Scale_percent(double value, float previous);
// A slider moved to `value`: stores it; with the lock the other percent follows.
void ScaleSetWidth(ScaleState& state, double value);
void ScaleSetHeight(ScaleState& state, double value);
// The - and + buttons (delta -1 or +1): the slider changes by one from its own value; with
// the lock the other one changes by one from its own value too.
void ScaleStepWidth(ScaleState& state, int delta);
void ScaleStepHeight(ScaleState& state, int delta);

// Preview copies of the node (or of every node of its array) with their extent: minimum
// corner in (x0, y0), maximum in (x1, y1). 0 when there is nothing to show.
int ScaleCopiesExtent(const LayoutNode* copies, float* x0, float* y0, float* x1, float* y1);
// The preview's scale (inches per pixel) for an area of w x h pixels: the current box plus
// an inch each way, or the copies' extent without a usable box. Always positive.
float ScalePreviewScale(const ScaleState& state, int w, int h);
// The preview area for a dialog content of width x height: (width - 45) x (height - 90),
// never below 1 x 1.
void ScalePreviewSize(int dialogWidth, int dialogHeight, int* w, int* h);

// OK: stretches the pattern by the percentages; a single placement keeps its reference, an
// array's offsets are multiplied and the array re-centred; the array's spacing follows.
void ApplyScale(const ScaleState& state);

// The scale dialog on `node`: -90 without showing anything when there is nothing to
// preview; otherwise the response of the seam's scaleDialog (Cancel while it is unset),
// after OK or "SMARTSCALE" has done its work. While the widgets are up, viewScale is the
// preview's scale (scale_dialog_width x height) and the pattern pictures are drawn at it;
// both are as before the dialog on return.
int ScaleDialog(LayoutNode* node);

// --- Rotate --------------------------------------------------------------------------------

// Saves the undo file, asks for the angle on the number pad and turns the placement (or
// its array) by it; 0, a negative value or Cancel changes nothing. Returns 0.
int RotateDialog(LayoutNode* node);
// Turns the placement (or its array) by `degrees` and records the whole degrees in the
// pattern's rotation. 1 when turned.
int RotateNodeBy(LayoutNode* node, double degrees);

// --- Properties ----------------------------------------------------------------------------

enum PropertiesEntry {
    PROP_LOCAL_X = 0,
    PROP_LOCAL_Y = 1,
    PROP_ACTUAL_X = 2,
    PROP_ACTUAL_Y = 3,
    PROP_WIDTH = 4,
    PROP_HEIGHT = 5,
};

struct PropertiesState {
    LayoutNode* node = nullptr;       // the placement, or its array's parent
    std::array<std::string, 6> text;  // what the six entries show
    double startX = 0, startY = 0;    // local start as shown first
    double width = 0, height = 0;     // size as shown first
    bool moveAll = false;             // "Move All"
};

// Fills the state for `node` (its array's parent when it has one). 0 when there is no
// placement with a loaded pattern.
int PropertiesBegin(PropertiesState& state, LayoutNode* node);
// Touching an entry: the number pad with its text; the result written as "%0.3f" (and the
// matching actual entry for a local start).
void PropertiesEntryTouched(PropertiesState& state, int entry);
// Reads the machine position in thousandths through `readPosition` (0 on success, as GetXY)
// and writes it as the start point; says "COULD NOT RETRIEVE POINT" and keeps the entries
// when it fails. 1 when written.
int PropertiesRetrieve(PropertiesState& state, const std::function<int(int*, int*)>& readPosition);
// OK: the size and start point changes. 2 when "Move All" moved the pattern box (the view
// then zooms to show everything), 1 otherwise.
int PropertiesApply(PropertiesState& state);

// The properties dialog on `node`, shown through the seam's propertiesDialog (Cancel while it
// is unset); `boxMoved` tells whether "Move All" moved the box.
int PatternPropertiesDialog(LayoutNode* node, bool* boxMoved = nullptr);
