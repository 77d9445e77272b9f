// The pattern pop-up menu's shape items and the Edit menu's AutoCenter.

#include "app/popup_actions.h"

#include "base/interface.h"
#include "base/screen_state.h"
#include "base/ui_hooks.h"
#include "patterns/auto_center.h"
#include "patterns/layout.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "patterns/merge.h"
#include "app/pattern_dialogs.h"
#include "patterns/pattern.h"
#include "patterns/transform.h"
#include "app/undo.h"
#include "view/pattern_view.h"

namespace {

// The selected placement, when it is still one of the layout's and its pattern is loaded.
LayoutNode* SelectedPlacement()
{
    for (LayoutNode* n = patternLayout; n != nullptr; n = n->next)
        if (n == interface_.selectedNode)
            return GetPattern(n->patternIndex) != nullptr ? n : nullptr;
    return nullptr;
}

void Turn(float degrees)
{
    ReleaseAllUI();
    LayoutNode* node = SelectedPlacement();
    if (node == nullptr)
        return;
    CreateUndoFile();
    if (TurnPlacement(node, degrees) == 1)
        RefreshPatternPix();
    UiRedrawView();
}

void ReshapeSelected(void (*reshape)(Pattern*))
{
    ReleaseAllUI();
    LayoutNode* node = SelectedPlacement();
    if (node == nullptr)
        return;
    reshape(GetPattern(node->patternIndex));
    RefreshPatternPix();
    UiRedrawView();
}

}  // namespace

void popupRotateCW() { Turn(90.0f); }
void popupRotateCCW() { Turn(270.0f); }

void popupMirrorH()
{
    ReshapeSelected([](Pattern* p) { mirrorPattern(p, 0, 1); });
}

void popupMirrorV()
{
    ReshapeSelected([](Pattern* p) { mirrorPattern(p, 1, 0); });
}

void popupFlipPath() { ReshapeSelected(ReversePattern); }

void popupMergePattern()
{
    ReleaseAllUI();
    LayoutNode* node = SelectedPlacement();
    if (node == nullptr)
        return;
    if (node->arrayIndex < 0) {
        UiShowMessage(MSG_INFO, BUTTONS_OK, "ONLY REPEATED PATTERNS MAY BE MERGED");
        return;
    }
    if (UiShowMessage(MSG_QUESTION, BUTTONS_YES_NO,
                      "THIS WILL MERGE THE SELECTED PATTERN INTO A SINGLE PATTERN\n\n"
                      "DO YOU WANT TO CONTINUE?") != RESPONSE_YES)
        return;
    CreateUndoFile();
    if (MergePatterns() == 1)
        UiShowMessage(MSG_INFO, BUTTONS_OK, "MERGE COMPLETED SUCCESSFULLY");
    else
        UiShowMessage(MSG_WARNING, BUTTONS_OK, "MERGE CANCELLED");
    UiRedrawView();
}

void popupRemove()
{
    ReleaseAllUI();
    if (SelectedPlacement() == nullptr)
        return;
    if (UiShowMessage(MSG_QUESTION, BUTTONS_YES_NO, "DO YOU REALLY WANT TO REMOVE THIS PATTERN?") !=
        RESPONSE_YES)
        return;
    LayoutNode* node = SelectedPlacement();  // looked up again: the question ran events
    if (node == nullptr)
        return;
    CreateUndoFile();
    const int array = node->arrayIndex;
    if (array >= 0) {
        for (LayoutNode* n = patternLayout; n != nullptr;) {
            LayoutNode* next = n->next;
            if (n != node && n->arrayIndex == array)
                RemoveLayoutNode(n);
            n = next;
        }
        RemoveArrayNode(array);
    }
    RemoveLayoutNode(node);
    interface_.selectedNode = nullptr;
    UiRedrawView();
}

void menuEditAutoCenter(int choice)
{
    ReleaseAllUI();
    CreateUndoFile();
    AutoCenter(choice != 2 ? 1 : 0, choice != 1 ? 1 : 0);
    UiRedrawView();
}

void StopWorkInProgress()
{
    interface_.fittingActive = 0;
    mergePatternsActive = 0;
}

void RotatePatternForBox(Pattern* pattern, float degrees)
{
    RotatePattern(pattern, degrees);
}

void popupScale()
{
    ReleaseAllUI();
    LayoutNode* node = SelectedPlacement();
    if (node == nullptr)
        return;
    CreateUndoFile();
    ScaleDialog(node);
}

void popupRotate()
{
    ReleaseAllUI();
    LayoutNode* node = SelectedPlacement();
    if (node == nullptr)
        return;
    RotateDialog(node);
}

void popupProperties()
{
    ReleaseAllUI();
    LayoutNode* node = SelectedPlacement();
    if (node == nullptr)
        return;
    bool boxMoved = false;
    PatternPropertiesDialog(node, &boxMoved);
    if (boxMoved) {
        // The placements moved with their box: show all of it again.
        zoomed = 0;
        SetZoomAll();
        UiRedrawView();
    }
}

int ReadMachinePosition(int* x, int* y)
{
    if (sp < 0)
        return SERIAL_CLOSED;
    return GetXY(x, y);
}
