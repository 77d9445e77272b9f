#pragma once
// What the menu items, the pattern select screen and the pop-up menu do, apart from their
// widgets. The GTK handlers are thin: they call these, and these reach the screen only
// through the UI seam (UiShowScreen, SetSensitivity, UiShowMessage ...).

#include <string>
#include <vector>

struct Pattern;
struct LayoutNode;

// --- Screens that need the quilting area -----------------------------------------------------

// Without a quilting area: a fresh empty pbTemp, boxEditTarget 0 and the extents setup
// screen. Returns true when it fell back (the caller then shows nothing else).
bool FallBackToExtentsSetup();

// --- Home menu -------------------------------------------------------------------------------

void menuMainPatternView();
void menuMainAddPattern();
void menuMainNewLayout();
void menuMainExtents();
// "Free Motion": both axes released and the trace screen, or the quilting area's setup
// first when there is none.
void menuMainTraceMode();
// "Open Layout": a layout of "./Layout/" chosen, loaded, the home position set.
void menuMainLoadLayout();
// choice 1 Add Pattern Box, 0 Adjust Current, 2 Remove Current.
void menuMainPatternbox(int choice);
// The camera screen (navigation and camera mask), leaving any touch tool.
void menuMainCamera();

// --- View menu -------------------------------------------------------------------------------

// "Zoom All": leaves any touch tool and fits the whole layout again.
void menuViewZoomAll();

// --- Edit menu -------------------------------------------------------------------------------

// The setpoint: a snapshot of the whole layout as the layout file "/tmp/setPoint.qlf".
std::string SetpointPath();
// Saves it; 1 when saved (then "Restore Setpoint" becomes usable).
int menuEditCreateSetpoint();
// Loads it back when it exists and fits the view again.
void menuEditRestoreSetpoint();

// "Save Layout": with a current layout, asks before overwriting it and saves it where it was
// loaded from; without one, "Save Layout As". 1 when the file was written.
int menuEditSaveLayout();
// "Save Layout As": the keyboard asks "SAVE AS:"; the typed name, less the characters a
// layout name cannot hold, is saved in "./Layout/" (asking before overwriting a file) and
// becomes the current layout once written. 1 when the file was written.
int menuEditSaveLayoutAs();
// The pop-up's "Save": the pattern of the selected placement saved in "./patterns/" under a
// typed name; its cached thumbnail goes. Nothing without a selection. 1 when written.
int popupSavePattern();

// "Repeat" of the pattern select screen: back to the pattern view without a new pattern.
void OnBtnUseCurrentClicked();

// --- Pattern select screen -------------------------------------------------------------------

// The path of a file row: "./patterns/" + each parent folder + "/" + the file name.
// Empty when the path would be longer than `maxLength` characters.
std::string PatternRowPath(const std::vector<std::string>& parents, const std::string& file,
                           size_t maxLength);

// The work of "Select Pattern" for the file at `path` once the quilting area exists: load
// it into a free slot, turn it to the current box's angle and place it at the box origin.
// Returns the slot, or -1 when nothing was placed (list full: after its message; a file that
// does not load: after "PATTERN FILE IS INVALID").
int PlaceSelectedPattern(const std::string& path);

// "Select Pattern" pressed with a file row (parents, file) or a folder row (file empty)
// selected: the whole decision, ending on the pattern view. Returns the slot placed or -1.
int SelectPatternRow(const std::vector<std::string>& parents, const std::string& file);

// Turns the points of a pattern by `degrees` about the centre of its bounding box, set by the
// pattern transforms. Null until then: patterns are then placed unturned.
extern void (*rotatePatternHook)(Pattern* pattern, float degrees);

// --- Pattern pop-up menu ---------------------------------------------------------------------

// The placement the pop-up menu opens for at view point (x, y): the closest one, with
// patternSkip and menuReady cleared. Becomes interface_.selectedNode; null when the current
// box holds none.
LayoutNode* SelectPopupPattern(int x, int y, int panX, int panY);
// "Next": the next placement under the same point, skipping the rest of the current one's
// array; back to the closest one when none is left. Becomes interface_.selectedNode.
LayoutNode* SelectNextPopupPattern(int x, int y, int panX, int panY);
