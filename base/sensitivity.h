#pragma once
// Which menu items and toolbar buttons can be used: one 32-bit mask per state of the
// program. Each bit enables a group of items; the current mask is stored here and applied
// to the menus and the toolbar through the UI seam (UiApplySensitivity).

#include <cstdint>

// Masks of the program's states.
constexpr uint32_t kMaskAtCreation = 0x34000BD;  // as the menus and toolbar are built
constexpr uint32_t kMaskNoExtents = 0x3;         // no quilting area yet
constexpr uint32_t kMaskNormal = 0x37FFFFF;      // work on a layout: all but Stop
constexpr uint32_t kMaskStitching = 0x800000;    // a run (or autofill) works: only Stop
constexpr uint32_t kMaskAllOff = 0x0;            // capture of a box, a trace recording
constexpr uint32_t kMaskNavigationNoBox = 0x34000BF;  // side screens, no pattern box yet
constexpr uint32_t kMaskNavigationBoxes = 0x30000FF;  // side screens, pattern boxes exist

// Every item the mask can reach, menus first in menu order, then the toolbar.
enum class SensitiveItem {
    // Home menu
    PatternView, AddPattern, NewLayout, OpenLayout, FileManager, FreeMotion, Camera, Setup,
    SetQuiltArea, PatternBox, AddPatternBox, AdjustCurrentBox, RemoveCurrentBox, Demo,
    // Edit menu
    SaveLayout, SaveLayoutAs, Save, Delete, Scale, AutoscaleAll, Draw, MoveAll, AutoCenter,
    Nest, CreateSetpoint, RestoreSetpoint, Undo,
    // View menu
    Zoom, ZoomAll, Pan, Measure,
    // Stitch menu
    Standard,
    // Toolbar
    Start, Stop, Stitching, LockX, LockY, StitchOnOff, NeedleUp, Edit,
    Count
};

constexpr int kSensitiveItemCount = static_cast<int>(SensitiveItem::Count);

// The item's label as the user sees it ("Pattern View", "Move All", "Start" ...).
const char* SensitiveItemLabel(SensitiveItem item);

// 1 when the mask enables the item, 0 when it disables it, -1 when the mask never touches
// the item (the Stitching toggle, Stitch On/Off, Needle Up, the items of no bit).
int MaskEnables(uint32_t mask, SensitiveItem item);

// Stores the mask as the current one and applies it to the menus and the toolbar.
void SetSensitivity(uint32_t mask);
// The mask stored last (kMaskAtCreation before any state change).
uint32_t CurrentSensitivity();
