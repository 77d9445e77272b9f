#pragma once
// State of the screens that the logic reads and sets: the touch tool, the pop-up menu's
// arming and stepping, the last pattern added.

#include <string>

// The current edit mode of the pattern view: -1 none, 0 zoom, 1 pan, 2 measure, 4 delete
// a line, 7 draw, 8 move all, 9 move one pattern, 10 stitching run.
extern int command;
// 1 while a long press has armed the pattern pop-up menu; the view shows a start mark.
extern int menuReady;

// How far "Next" has stepped through the patterns under the pop-up menu's point.
extern int patternSkip;

// Path of the last pattern added from the pattern select screen (at most
// kSelectedFileMax characters).
extern std::string selectedFile;
constexpr size_t kSelectedFileMax = 124;

// Ends any touch tool: command -1, status line cleared, no highlighted entity, and (through
// releaseAllUiHook) the measurement removed and the edit buttons hidden.
void ReleaseAllUI();
// Set by the touch editing of the pattern view: removes the measurement and hides the edit
// buttons. Null until then.
extern void (*releaseAllUiHook)();
