#pragma once
// State of the screens that the logic reads and sets: the touch tool, the pop-up menu's
// arming and stepping, the last pattern added.

#include <string>

// What a touch on the pattern view means. The numbers are the ones the GUI probe prints
// ("command": 10), so they stay as they are.
enum class EditMode : int {
    None = -1,
    Zoom = 0,
    Pan = 1,
    Measure = 2,
    DeleteLine = 4,
    Draw = 7,
    MoveAll = 8,
    MovePattern = 9,
    Stitching = 10,
};

// The current edit mode of the pattern view.
extern EditMode command;
// True while a long press has armed the pattern pop-up menu; the view shows a start mark.
extern bool menuReady;

// How far "Next" has stepped through the patterns under the pop-up menu's point.
extern int patternSkip;

// Path of the last pattern added from the pattern select screen (at most
// kSelectedFileMax characters).
extern std::string selectedFile;
constexpr size_t kSelectedFileMax = 124;

// Ends any touch tool: command None, status line cleared, no highlighted entity, and (through
// the seam's releaseAllUi) the measurement removed and the edit buttons hidden.
void ReleaseAllUI();
