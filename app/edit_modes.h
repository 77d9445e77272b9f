#pragma once
// The commands that put the pattern view into an edit mode (the touch tool `command`):
// each clears the status line, the highlighted entity and the measurement, sets its mode,
// edit buttons and status text, and redraws the view. Move All, the pop-up's Move and
// Delete first save the undo snapshot, since their touches change the layout.

void menuViewZoomIn();   // "Zoom": mode 0 with the minus and plus buttons
void menuViewPan();      // "Pan": mode 1
void menuEditMeasure();  // "Measure": mode 2
void menuEditDelete();   // "Delete": mode 4
void menuEditDraw();     // "Draw": mode 7
void menuEditMove();     // "Move All": mode 8 with the direction pad
void popupMove();        // pop-up "Move": mode 9 with the direction pad
