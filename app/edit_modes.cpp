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

void EnterMode(EditMode mode, int buttons, const char* status)
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

void menuViewZoomIn() { EnterMode(EditMode::Zoom, kZoomButtons, nullptr); }

void menuViewPan() { EnterMode(EditMode::Pan, 0, "Drag To Pan"); }

void menuEditMeasure() { EnterMode(EditMode::Measure, 0, nullptr); }

void menuEditDelete()
{
    CreateUndoFile();
    EnterMode(EditMode::DeleteLine, 0, "Select Line To Delete");
}

void menuEditDraw() { EnterMode(EditMode::Draw, 0, nullptr); }

void menuEditMove()
{
    CreateUndoFile();
    EnterMode(EditMode::MoveAll, 0, "Drag To Move Patterns or Use Increment Buttons");
}

void popupMove()
{
    CreateUndoFile();
    EnterMode(EditMode::MovePattern, 0, "Drag Pattern or Use Increment Buttons");
}
