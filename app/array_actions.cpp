// Repeat and Autofill on the selected placement.

#include "app/array_actions.h"

#include "app/undo.h"
#include "base/interface.h"
#include "base/message_windows.h"
#include "base/screen_state.h"
#include "base/sensitivity.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "patterns/array_fit.h"
#include "patterns/array_layout.h"
#include "patterns/auto_center.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"

namespace {

LayoutNode* Placement(LayoutNode* node)
{
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n == node)
            return GetPattern(n->patternIndex) != nullptr ? n : nullptr;
    return nullptr;
}

}  // namespace

LayoutNode* RepeatSelected()
{
    LayoutNode* node = Placement(interface_.selectedNode);
    return node != nullptr ? RepeatTarget(node) : nullptr;
}

int RepeatApply(LayoutNode* node, const RepeatValues& values)
{
    node = Placement(node);
    if (node == nullptr)
        return REPEAT_REFUSED;
    CreateUndoFile();
    const int result =
        ApplyRepeat(node, values.down, values.spacingDown, values.across, values.spacingAcross);
    RefreshPatternPix();
    UiRedrawView();
    return result;
}

int popupAutofill()
{
    CreateUndoFile();
    ReleaseAllUI();
    LayoutNode* node = Placement(interface_.selectedNode);
    int stretch = 0;
    if (node == nullptr || AutofillLayout(node, &stretch) != AUTOFILL_LAID_OUT) {
        UiRedrawView();
        return -1;
    }

    interface_.fittingActive = 1;
    SetSensitivity(kMaskStitching);
    // Cancel must not restore the layout under the running fit (it would free the nodes the
    // fit holds): the fit notices the cleared flag, returns, and the layout is restored here.
    waitWindow = CreateWaitingWindow("\n\nUPDATING PATTERNS", 1);
    waitWindow->undoOnCancel = 0;
    UiRunPendingEvents();

    const PatternBox* box = GetPatternBox(currentBox);
    const float width = box != nullptr ? box->width - 2 * xMargin : 0.0f;
    const float height = box != nullptr ? box->height - 2 * yMargin : 0.0f;
    int result = AUTOSCALE_ARRAY_BAD_BOX;
    if (interface_.fittingActive != 0)
        result = AutoScaleArray(node, stretch, width, height);
    const bool cancelled = interface_.fittingActive == 0;
    if (cancelled) {
        RestoreUndoFile();
        interface_.selectedNode = nullptr;  // the restored layout has new nodes
    }
    else if (result == AUTOSCALE_ARRAY_DONE)
        AutoCenterPattern(node, 1, 1);

    CloseWaitingWindow(waitWindow);
    interface_.fittingActive = 0;
    SetSensitivity(kMaskNormal);
    RefreshPatternPix();
    UiRedrawView();
    return result;
}
