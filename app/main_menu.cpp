// The decisions behind the home menu, the pattern select screen's buttons and the pop-up
// menu. Screens and the mask are reached through the UI seam only.

#include "app/main_menu.h"

#include <algorithm>
#include <cstdio>

#include "base/console.h"
#include "base/interface.h"
#include "base/screen_config.h"
#include "base/screen_state.h"
#include "base/sensitivity.h"
#include "base/status_bar.h"
#include "base/ui_hooks.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "patterns/transform.h"
#include "base/message_windows.h"
#include "base/system_path.h"
#include "view/capture.h"
#include "view/pattern_view.h"
#include "patterns/layout_file.h"
#include "machine/controller.h"
#include "machine/stitching_run.h"
#include "view/thumbnail_cache.h"
#include "patterns/navigation_mask.h"

#include <sys/stat.h>
#include <unistd.h>


namespace {

void ShowScreenWithMask(Screen screen, uint32_t mask)
{
    UiShowScreen(screen);
    SetSensitivity(mask);
}

// A new empty box for the corners the extents setup screen collects.
void FreshTemporaryBox()
{
    FreePatternBox(pbTemp);
    pbTemp = new PatternBox();
}

void HideEditTools()
{
    UiReleaseAll();
}

void ZoomAllAndRedraw()
{
    SetZoomAll();
    RefreshPatternPix();
    UiRedrawView();
}

// Inches per pixel at which the whole quilting area fills the view.
void ScaleToExtents()
{
    if (extents == nullptr || view_area_width <= 0 || view_area_height <= 0)
        return;
    const float scale = std::max(extents->width / float(view_area_width),
                                 extents->height / float(view_area_height));
    // An area of no size (or a garbled one) must not give a scale that divides by zero.
    interface_.viewScale = scale >= 0.001f ? scale : 0.001f;
}

}  // namespace

bool FallBackToExtentsSetup()
{
    if (extents != nullptr)
        return false;
    FreshTemporaryBox();
    interface_.boxEditTarget = 0;
    UiShowScreen(Screen::ExtentsSetup);
    return true;
}

void menuMainPatternView()
{
    command = EditMode::None;
    if (extents != nullptr) {
        ShowScreenWithMask(Screen::PatternView, kMaskNormal);
        return;
    }
    ConsoleWrite("Extents == NULL\n");
    FallBackToExtentsSetup();
    SetSensitivity(kMaskNoExtents);
}

void menuMainTraceMode()
{
    // A paused run's buttons go with the screen they belong to.
    if (runWidgets.pauseExists) {
        runWidgets.pauseExists = false;
        runWidgets.threadShown = false;
        UiRunWidgetsChanged();
    }
    // The head is guided by hand: both axes free, the machine handed over.
    DisableX();
    DisableY();
    SendCommand(ControllerCommand::HandOver);
    if (FallBackToExtentsSetup()) {
        SetSensitivity(kMaskNoExtents);
        return;
    }
    ShowScreenWithMask(Screen::Trace, NavigationMask());
}

void menuMainNewLayout()
{
    if (UiShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL,
                      "IF YOU HAVEN'T SAVED YOUR CURRENT LAYOUT ALL DATA WILL BE LOST.\n"
                      "CONTINUE?") != RESPONSE_OK)
        return;
    // Everything goes: extents, patterns, boxes, placements, arrays (and a new pbTemp).
    ResetLayout();
    interface_.current_layout.clear();
    interface_.boxEditTarget = 0;
    // The selection named a placement that no longer exists.
    interface_.selectedNode = nullptr;
    interface_.highlightEntity = -1;
    command = EditMode::Zoom;
    SetStatusBar();
    if (pbTemp == nullptr)
        pbTemp = new PatternBox();
    HideEditTools();
    ShowScreenWithMask(Screen::ExtentsSetup, kMaskNoExtents);
}

void menuMainCamera()
{
    ShowScreenWithMask(Screen::Camera, kMaskNavigationNoBox);
    ReleaseAllUI();
}

void menuMainExtents()
{
    interface_.boxEditTarget = 0;
    command = EditMode::Zoom;
    SetStatusBar();
    interface_.highlightEntity = -1;
    FreshTemporaryBox();
    HideEditTools();
    ShowScreenWithMask(Screen::ExtentsSetup, kMaskNoExtents);
}

void menuMainPatternbox(int choice)
{
    interface_.boxEditTarget = 1;
    ReleaseAllUI();
    if (extents == nullptr) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK,
                      "YOU MUST SET UP THE TABLE EXTENTS FIRST.\n"
                      "PROCEEDING TO THE TABLE EXTENTS SETUP.");
        // The setup screen must collect the quilting area, not a box outside any area.
        FallBackToExtentsSetup();
        SetSensitivity(kMaskNoExtents);
        return;
    }
    if (choice == 0 || choice == 1)
        NotePlaceholderBox(-1, currentBox);
    switch (choice) {
    case 1: {
        int slot = CreatePatternBox();
        if (slot < 0) {
            UiShowMessage(MSG_ERROR, BUTTONS_OK, "NO MORE PATTERN BOXES CAN BE ADDED.");
            return;
        }
        // Only a stand-in until the capture gives the outline; gone again if it gives none.
        NotePlaceholderBox(slot, currentBox);
        currentBox = slot;
        PatternBox* box = GetPatternBox(slot);
        AddPatternBoxPoint(box, 2, 14, 1, 0);
        AddPatternBoxPoint(box, 15, 14, 0, 0);
        AddPatternBoxPoint(box, 15, 2, 0, 0);
        AddPatternBoxPoint(box, 2, 2, 0, 0);
        SetPatternBoxOrigin(box);
        [[fallthrough]];
    }
    case 0:
        ScaleToExtents();
        ShowScreenWithMask(Screen::ExtentsSetup, kMaskAllOff);
        return;
    case 2:
        if (patternBoxList == nullptr || patternBoxList->count <= 1) {
            UiShowMessage(MSG_ERROR, BUTTONS_OK, "YOU MAY NOT DELETE THIS PATTERN BOX");
            return;
        }
        if (UiShowMessage(MSG_WARNING, BUTTONS_OK_CANCEL,
                          "ALL PATTERNS ATTACHED TO THE PATTERN BOX WILL BE DELETED AS WELL.\n\n"
                          "CONTINUE?") != RESPONSE_OK)
            return;
        RemovePatternBox(currentBox);
        interface_.selectedNode = nullptr;
        ZoomAllAndRedraw();
        return;
    default:
        return;
    }
}

void menuViewZoomAll()
{
    ReleaseAllUI();
    ViewZoomAll();
    UiRedrawView();
}

void OnBtnUseCurrentClicked()
{
    if (FallBackToExtentsSetup()) {
        SetSensitivity(kMaskNoExtents);
        return;
    }
    ShowScreenWithMask(Screen::PatternView, kMaskNormal);
}

std::string PatternRowPath(const std::vector<std::string>& parents, const std::string& file,
                           size_t maxLength)
{
    std::string path = "./patterns/";
    for (const std::string& folder : parents)
        path += folder + "/";
    path += file;
    return path.size() <= maxLength ? path : std::string();
}

int PlaceSelectedPattern(const std::string& path)
{
    int slot = GetNextPattern();
    if (slot < 0) {
        UiShowMessage(MSG_INFO, BUTTONS_OK,
                      "MAXIMUM PATTERN COUNT EXCEEDED.\n"
                      "PLEASE LINK YOUR PATTERNS TO CREATE MORE SPACE.");
        return -1;
    }
    PatternBox* box = GetPatternBox(currentBox);
    if (box == nullptr) {
        // A placement needs a box to sit in.
        UiShowMessage(MSG_ERROR, BUTTONS_OK, "YOU MUST SET UP A PATTERN BOX FIRST.");
        return -1;
    }
    Pattern* pattern = newPattern(path, 1);
    if (pattern == nullptr) {
        // The file changed or vanished since its preview was drawn.
        UiShowMessage(MSG_ERROR, BUTTONS_OK, "Pattern File Is Invalid\n");
        return -1;
    }
    pattern->rotation = WrapRotation(box->angle);
    if (pattern->rotation != 0) {
        RotatePattern(pattern, float(pattern->rotation));
        RefreshPatternPix();
    }
    if (!StorePattern(slot, pattern)) {
        erasePattern(pattern);
        return -1;
    }
    if (NewPatternLayoutNode(slot, -1, 0, 0, 0) == nullptr) {
        ReleasePatternSlot(slot);
        return -1;
    }
    return slot;
}

int SelectPatternRow(const std::vector<std::string>& parents, const std::string& file)
{
    if (FallBackToExtentsSetup()) {
        SetSensitivity(kMaskNoExtents);
        return -1;
    }
    ConsoleWrite("Extents is not NULL\n");
    if (file.empty())
        return -1;  // a folder row
    std::string path = PatternRowPath(parents, file, kLastPatternPathMax);
    if (path.empty()) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK,
                      "THE PATTERN'S FOLDER NAMES ARE TOO LONG.\nPLEASE MOVE IT TO A SHORTER PATH.");
        return -1;
    }
    UiSetCursor(CursorKind::Busy);
    interface_.lastPatternPath = path;
    DropPreviewPixbuf();
    int slot = PlaceSelectedPattern(path);
    selectedFile = path;  // kLastPatternPathMax < kSelectedFileMax: always fits
    UiSetCursor(CursorKind::Normal);
    ShowScreenWithMask(Screen::PatternView, kMaskNormal);
    return slot;
}

LayoutNode* SelectPopupPattern(int x, int y, int panX, int panY)
{
    menuReady = false;
    patternSkip = 0;
    interface_.selectedNode = GetClosestPattern(x, y, 0, interface_.viewScale, panX, panY);
    return interface_.selectedNode;
}

LayoutNode* SelectNextPopupPattern(int x, int y, int panX, int panY)
{
    ReleaseAllUI();
    const float s = interface_.viewScale;
    const LayoutNode* current = interface_.selectedNode;
    LayoutNode* candidate = nullptr;
    if (current != nullptr && current->arrayIndex >= 0) {
        const int array = current->arrayIndex;
        do {
            candidate = GetClosestPattern(x, y, ++patternSkip, s, panX, panY);
        } while (candidate != nullptr && candidate->arrayIndex == array);
    } else {
        candidate = GetClosestPattern(x, y, ++patternSkip, s, panX, panY);
    }
    if (candidate == nullptr) {
        patternSkip = 0;
        candidate = GetClosestPattern(x, y, 0, s, panX, panY);
    }
    interface_.selectedNode = candidate;
    return candidate;
}

namespace {

const char kLayoutFolder[] = "./Layout/";

bool StartsWith(const std::string& s, const std::string& head)
{
    return s.compare(0, head.size(), head) == 0;
}

void CouldNotSaveLayout()
{
    UiShowMessage(MSG_ERROR, BUTTONS_OK, "COULD NOT SAVE LAYOUT FILE.");
}

bool InLayout(const LayoutNode* wanted)
{
    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next)
        if (node == wanted)
            return true;
    return false;
}

}  // namespace

int menuEditSaveLayoutAs()
{
    std::string typed;
    if (UiShowKeyboard(typed, "SAVE AS:") != 1)
        return 0;
    const std::string name = RemoveForbiddenCharacters(typed);
    // A name too long or with nothing left: SaveLayout refuses it with its own message.
    // Without a quilting area there is nothing to keep.
    if (typed.size() > kLayoutNameMax || name.empty() || extents == nullptr)
        return SaveLayout(typed, kAskBeforeOverwriting, kNameInLayoutFolder);
    const std::string path = kLayoutFolder + name + ".qlf";
    if (access(path.c_str(), F_OK) == 0 &&
        UiShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL, "FILE EXISTS!\nOVERWRITE FILE?") !=
            RESPONSE_OK)
        return 0;
    if (SaveLayout(name, kOverwriteWithoutAsking, kNameInLayoutFolder) != 1) {
        CouldNotSaveLayout();
        return 0;
    }
    // Only a layout that was written is the current one.
    interface_.current_layout = kLayoutFolder + name;
    return 1;
}

int menuEditSaveLayout()
{
    const std::string current = interface_.current_layout;
    if (current.empty())
        return menuEditSaveLayoutAs();
    const bool inLayoutFolder = StartsWith(current, kLayoutFolder);
    const std::string shown = inLayoutFolder ? current.substr(sizeof kLayoutFolder - 1) : current;
    if (UiShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL,
                      "THIS WILL OVERWRITE THE CURRENT LAYOUT:\n" + shown +
                          "\nWOULD YOU LIKE TO CONTINUE?") != RESPONSE_OK)
        return 0;
    // The layout goes back where it came from. Only a plain name of the layout folder is
    // saved as a name: one loaded from a sub-folder, or holding a character a typed name
    // cannot, would otherwise lose that character and overwrite another layout.
    const bool plainName = inLayoutFolder && RemoveForbiddenCharacters(shown) == shown;
    const std::string& saved = plainName ? shown : current;
    if (SaveLayout(saved, kOverwriteWithoutAsking, plainName ? kNameInLayoutFolder : kNameIsPath) == 1)
        return 1;
    // SaveLayout has said why for a name too long; nothing exists to save without an area.
    if (saved.size() <= kLayoutNameMax && extents != nullptr)
        CouldNotSaveLayout();
    return 0;
}

int popupSavePattern()
{
    const LayoutNode* node = interface_.selectedNode;
    const Pattern* pattern =
        node != nullptr && InLayout(node) ? GetPattern(node->patternIndex) : nullptr;
    if (pattern == nullptr)
        return 0;
    std::string path;
    if (SavePatternAs(pattern, &path) != 1)
        return 0;
    // A thumbnail of an older file of that name would show the wrong pattern.
    DeleteThumbnail(path);
    return 1;
}

std::string SetpointPath() { return SystemPath("/tmp/setPoint") + ".qlf"; }

int menuEditCreateSetpoint()
{
    ReleaseAllUI();
    if (!SaveLayout(SystemPath("/tmp/setPoint"), kOverwriteWithoutAsking, kNameIsPath))
        return 0;
    interface_.current_layout.clear();
    return 1;
}

void menuEditRestoreSetpoint()
{
    std::string path = SetpointPath();
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        ConsoleWrite("Load Restore Setpoint Layout\n");
        LoadLayout(path, kDiscardCurrentLayout, kAskBeforeLoading);
    }
    ReleaseAllUI();
    interface_.current_layout.clear();
    SetZoomAll();
    RefreshPatternPix();
    UiRedrawView();
    if (waitWindow != nullptr && waitWindow->window != nullptr)
        CloseWaitingWindow(waitWindow);
}
