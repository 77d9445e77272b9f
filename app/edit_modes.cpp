#include "app/edit_modes.h"

#include "base/interface.h"
#include "base/status_bar.h"
#include "base/ui_hooks.h"
#include "app/undo.h"
#include "view/pattern_view.h"
#include "view/touch_edit.h"

namespace {

// Bits of SetEditButtons: the minus (1) and plus (3) buttons.
constexpr int kZoomButtons = 0x5;

void EnterMode(int mode, int buttons, const char* status)
{
    SetStatusBar();
    interface_.highlightEntity = -1;
    DeleteMeasure();
    command = mode;
    SetEditButtons(buttons);
    SetStatusBar(status);
    UiRedrawView();
}

}  // namespace

void menuViewZoomIn() { EnterMode(0, kZoomButtons, nullptr); }

void menuViewPan() { EnterMode(1, 0, "Drag To Pan"); }

void menuEditMeasure() { EnterMode(2, 0, nullptr); }

void menuEditDelete()
{
    CreateUndoFile();
    EnterMode(4, 0, "Select Line To Delete");
}

void menuEditDraw() { EnterMode(7, 0, nullptr); }

void menuEditMove()
{
    CreateUndoFile();
    EnterMode(8, 0, "Drag To Move Patterns or Use Increment Buttons");
}

void popupMove()
{
    CreateUndoFile();
    EnterMode(9, 0, "Drag Pattern or Use Increment Buttons");
}
