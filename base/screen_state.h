#pragma once
// State of the screens that the logic reads and sets: the touch tool, the pop-up menu's
// arming and stepping, the last pattern added.

#include <string>

// The touch tool `command` and the pop-up menu's arming `menuReady` are the view's
// (view/pattern_view.h).
#include "view/pattern_view.h"

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
