#pragma once
// The main window's widgets: the menu row (menu bar and toolbar), the one screen below it,
// and the helpers every screen uses. The values the logic shares live in `interface_`
// (app/interface.h); this record keeps only references to widgets owned by GTK.

#include <gtk/gtk.h>

#include <cstdint>
#include <string>

#include "base/sensitivity.h"
#include "base/ui_hooks.h"

// The menu bar, its four top items and one reference per item that the mask can reach.
struct MenuRecord {
    GtkWidget* menuBar = nullptr;
    GtkWidget* homeItem = nullptr;
    GtkWidget* editItem = nullptr;
    GtkWidget* viewItem = nullptr;
    GtkWidget* stitchItem = nullptr;
    GtkWidget* homeImage = nullptr;
    GtkWidget* editImage = nullptr;
    GtkWidget* viewImage = nullptr;
    GtkWidget* stitchImage = nullptr;
    GtkWidget* homeMenu = nullptr;
    GtkWidget* editMenu = nullptr;
    GtkWidget* viewMenu = nullptr;
    GtkWidget* stitchMenu = nullptr;
    // The separators that follow showAdvancedFeatures (the one after "Open Layout" only at
    // start).
    GtkWidget* separatorAfterOpenLayout = nullptr;
    // Indexed by SensitiveItem; the toolbar's entries stay null here.
    GtkWidget* items[kSensitiveItemCount] = {};
};

// The toolbar and its buttons (Stitch On/Off and Needle Up are testItem1 and testItem2).
struct ToolbarRecord {
    GtkWidget* toolbar = nullptr;
    GtkWidget* startButton = nullptr;
    GtkWidget* stopButton = nullptr;
    GtkWidget* stitchingToggle = nullptr;
    GtkWidget* lockXToggle = nullptr;
    GtkWidget* lockYToggle = nullptr;
    GtkWidget* editButton = nullptr;  // large icon style only
    GtkWidget* startImage = nullptr;
    GtkWidget* stopImage = nullptr;
    GtkWidget* stitchingImage = nullptr;
    GtkWidget* lockXImage = nullptr;
    GtkWidget* lockYImage = nullptr;
    GtkWidget* editImage = nullptr;
};

struct MainWindow {
    GtkWidget* window = nullptr;         // screen_width x screen_height at (0, 0)
    GtkWidget* mainBox = nullptr;        // menu row first, then the current screen
    GtkWidget* menuRow = nullptr;        // menu bar and toolbar side by side
    GtkWidget* currentScreen = nullptr;  // the screen below the menu row
    GtkWidget* sideBox = nullptr;        // box holding the drawing area of the screen
    GtkWidget* drawingArea = nullptr;    // drawing area of the current screen
    GtkWidget* pauseButton = nullptr;    // "PAUSE" of the stitching view
    GtkWidget* threadButton = nullptr;   // "THREAD BREAK" of the stitching view
    GtkWidget* patternNameLabel = nullptr;  // pattern select screen
    GtkWidget* previewBox = nullptr;        // pattern select screen: holds the preview
    GtkWidget* selectButton = nullptr;      // "Select Pattern"
    GtkWidget* repeatButton = nullptr;      // "Repeat"
    GtkWidget* patternTree = nullptr;       // the pattern list of the pattern select screen
    GtkWidget* setupNotebook = nullptr;     // setup screen
    GtkWidget* traceStartToggle = nullptr;  // trace screen: "Start" / "Stop"
    GtkWidget* traceSaveButton = nullptr;   // trace screen: "Save"
    GtkWidget* videoButton = nullptr;       // camera screen: "Video", "Snapshot", "Calibrate"
    GtkWidget* snapshotButton = nullptr;
    GtkWidget* calibrateButton = nullptr;
    Screen screenKind = Screen::ExtentsSetup;
    MenuRecord menu;
    ToolbarRecord toolbar;
};

extern MainWindow mainUi;
// Stitch On/Off and Needle Up of the toolbar (large icon style only; null otherwise).
extern GtkWidget* testItem1;
extern GtkWidget* testItem2;

// --- Menu row --------------------------------------------------------------------------------

// Builds the menu bar with all menus, stores and applies kMaskAtCreation, returns the bar.
GtkWidget* createMenu();
// Builds the toolbar, applies kMaskAtCreation, returns it.
GtkWidget* createToolbar();
// Shows or hides the toolbar's Stitch On/Off and Needle Up buttons by the settings; call
// after the toolbar is shown and whenever the settings change.
void ShowStitchButtons();
// Shows or hides the advanced and hidden items by showAdvancedFeatures.
void ShowAdvancedItems();
// After a factory reset: "Undo" stays off the menu until the next start.
void HideUndoAfterFactoryReset();
// Apply the bits of a mask to the items that exist; the mask is not stored.
void SetMenusSensitive(uint32_t mask);
void SetToolbarSensitive(uint32_t mask);

// --- Screens ---------------------------------------------------------------------------------

// Destroys the current screen if it is a live widget and forgets the widgets that die with
// it (drawing area, pause and thread buttons ...).
void clearScreen();
// True when `object` is a live GTK widget.
bool isWidget(gpointer object);
// Replaces the screen below the menu row with a new one of `kind`; the mask is the caller's.
void ShowScreen(Screen kind);
// Packs `screen` below the menu row as the current screen.
void PackScreen(GtkWidget* screen, Screen kind);
// Asks the current drawing area to repaint.
void RedrawView();

// Screen builders, each returning the new screen.
GtkWidget* createPatternViewScreen(int mode, int kind);
GtkWidget* createPatternSelectScreen();
GtkWidget* createExtentsSetup(int target);
GtkWidget* createTraceScreen();
GtkWidget* createCameraScreen();
GtkWidget* createSetupScreen();

// --- Widget helpers --------------------------------------------------------------------------

// Sets the button's label to `text` in `font` ("Sans 10" ...).
void SetButtonFont(GtkWidget* button, const char* text, const char* font);
// Standard cursor (type 2 = GDK_ARROW is the normal one); with flush, runs pending events.
void SetCursor(GdkWindow* window, int cursorType, int flush);
// Cursor from an image with its hot spot at (7, 7) ("./images/thinker_20x20.png" is busy).
void SetCursorFromFile(GdkWindow* window, const char* imagePath, int flush);
// Expose handler of every dialog and pop-up menu: sets the normal cursor on it.
gboolean CursorExpose(GtkWidget* widget, GdkEventExpose* event, gpointer data);
// "./images/" + the first name with the large icon style, the second otherwise.
std::string ImagePath(const char* largeName, const char* smallName);
// An image widget from "./images/" (an empty image when the file is missing).
GtkWidget* NewImage(const std::string& path);
// The same, scaled down (keeping its proportions) when it is taller than `maxHeight`: the
// large pictures in the 40-pixel menu row.
GtkWidget* NewImageFitting(const std::string& path, int maxHeight);
// Moves the pointer by (dx, dy) pixels from where it is: on the touch screen this takes it
// off the widget just pressed.
void MoveMouseLocation(int dx, int dy);
// Runs all pending GTK events.
void RunPendingGtkEvents();

// Installs the main window's side of the UI seam: screens, redraws, the mask, toggles.
void InstallMainWindowHooks();
// Builds the menu row into the main window's box (start-up).
void CreateMenuRow(GtkWidget* window, GtkWidget* mainBox);
