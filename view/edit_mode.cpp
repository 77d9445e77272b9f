// The edit mode and the armed pop-up menu: read by the view's drawing, set by the menus and
// the touch handlers. Their home is wherever the main window keeps its screen state; they
// are defined here so that the drawing core links on its own.
#include "view/pattern_view.h"

int command = -1;
int menuReady = 0;
