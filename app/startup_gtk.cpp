// The start-up sequence: geometry, settings, GTK, the serial port and the main window, each
// step announced on the console, then the GTK main loop.

#include "app/startup.h"
#include "app/startup_gtk.h"

#include <sys/stat.h>

#include <cstdio>

#include "base/console.h"
#include "base/interface.h"
#include "app/main_window.h"
#include "base/message_windows.h"
#include "app/run_widgets_gtk.h"
#include "app/point_select_dialog.h"
#include "app/pattern_dialogs_gtk.h"
#include "app/nesting_dialog.h"
#include "app/machine_start.h"
#include "app/message_windows_gtk.h"
#include "app/main_menu.h"
#include "app/popup_actions.h"
#include "base/screen_config.h"
#include "base/sensitivity.h"
#include "app/settings_load.h"
#include "app/software_update.h"
#include "base/status_bar.h"
#include "base/ui_hooks.h"
#include "app/gui_probe_gtk.h"
#include "camera/camera.h"
#include "files/file_chooser_dialog.h"
#include "files/keyboard_dialog.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "patterns/layout_recovery.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "app/undo.h"
#include "view/pattern_view.h"

GtkWidget* mainWindow = nullptr;
GtkWidget* mainVBox = nullptr;
GtkWidget* imgUp = nullptr;
GtkWidget* imgDown = nullptr;
GdkPixbuf* arrowIconUp = nullptr;
GdkPixbuf* arrowIconDown = nullptr;

namespace {

// Progress goes to the console at once, so a hang at start-up shows where it happened.
void CreateDirectories()
{
    // An existing folder is fine; anything else shows up later when the folder is used.
    mkdir("./thumbnails", 0777);
    mkdir("./Layout", 0777);
}

GtkWidget* LoadArrow(const char* path, GdkPixbuf** pixbuf)
{
    GtkWidget* image = gtk_image_new_from_file(path);
    g_object_ref_sink(image);  // kept for the buttons that show it, not packed here
    *pixbuf = gtk_image_get_storage_type(GTK_IMAGE(image)) == GTK_IMAGE_PIXBUF
                  ? gtk_image_get_pixbuf(GTK_IMAGE(image))
                  : nullptr;
    return image;
}

// A layout left by a crash is recovered after start-up: the pattern select screen waits for
// it. Otherwise the quilting area comes first.
void CreateInitialScreen()
{
    if (FILE* recovery = std::fopen("./Layout/recovery.qlf", "rb")) {
        std::fclose(recovery);
        ShowScreen(Screen::PatternSelect);
        return;
    }
    FreePatternBox(pbTemp);
    pbTemp = new PatternBox();
    interface_.boxEditTarget = 0;
    ShowScreen(Screen::ExtentsSetup);
    SetSensitivity(kMaskNoExtents);
}

}  // namespace

int initializeUserInterface(int argc, char** argv)
{
    sendMoveActive = 0;
    ParseConfig();
    NewPatternList();
    SetStatusBar();

    ConsoleWrite("Initialize User Interface Function\n");
    ConsoleWrite("Set Signals...");
    SetSignals();

    ConsoleWrite("done.\nCreate Directories...");
    CreateDirectories();

    ConsoleWrite("done.\nInitialize GTK...");
    gtk_init(&argc, &argv);
    // From here on messages are real windows (the serial port's failure below among them).
    InstallGtkUiHooks();
    InstallFileChooser();
    InstallKeyboard();

    ConsoleWrite("done.\nParse gtkrc...");
    gtk_rc_parse(icon_style == 1 ? "./gtkrc" : "./gtkrc_5");

    ConsoleWrite("done.\nCheck Switching Data...");
    CheckSwitchingData(argc, argv);

    ConsoleWrite("done.\nCreate Interface Structure...");
    interface_ = Interface();
    InstallMainWindowHooks();
    InstallRunWidgets();
    InstallPointSelection();
    InstallScaleDialog();
    InstallPropertiesDialog();
    InstallNesting();

    ConsoleWrite("done.\nInitiate Pattern Boxes...");
    InitPatternBox();
    ConsoleWrite("done.\nInitiate Threads...");
    threaded = InitThreads();

    ConsoleWrite("done.\nGet Constants From MC1...");
    LoadSettings();
    LoadHomeMovedMark();

    ConsoleWrite("done.\nCreate Extents...");
    FreePatternBox(extents);
    extents = nullptr;
    ConsoleWrite("done.\nCreate Main Window...");
    mainWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(mainWindow), "corvan");
    // The device has no window manager to close it; on a desktop, closing it ends the run.
    g_signal_connect(mainWindow, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_widget_set_size_request(mainWindow, screen_width, screen_height);
    gtk_window_move(GTK_WINDOW(mainWindow), 0, 0);
    mainVBox = gtk_vbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(mainWindow), mainVBox);
    messageParentWindow = mainWindow;

    ConsoleWrite("done.\nCreate Menu And Toolbar...");
    CreateMenuRow(mainWindow, mainVBox);

    ConsoleWrite("done.\nCreate Initial Screen...");
    ReadMotorDirection();
    gtk_box_pack_start(GTK_BOX(mainVBox), mainUi.menuRow, FALSE, FALSE, 0);
    gtk_widget_show(mainUi.menuRow);
    CreateInitialScreen();
    ConsoleWrite("done.\nInitialize Camera...");
    gtk_widget_show(mainVBox);
    gtk_widget_show(mainWindow);
    // No camera, or one that gives no picture, only leaves the program without a picture.
    interface_.camera = InitCamera(&interface_.cameraSnapshot);
    ShowStitchButtons();

    ConsoleWrite("done\nSet initial zoom value...");
    SetZoomAll();
    const bool large = icon_style == 1;
    imgUp = LoadArrow(large ? "./images/Up.png" : "./images/Up_5.png", &arrowIconUp);
    imgDown = LoadArrow(large ? "./images/Down.png" : "./images/Down_5.png", &arrowIconDown);

    ConsoleWrite("done\nEntering GTK_MAIN()\n");
    UiSetCursor(CursorKind::Normal);
    UiRunPendingEvents();

    // A program update the last run installed is finished now; a good one ends this run.
    CheckUpdate();

    // After the check for an unfinished update: a layout the last run left at a crash.
    uiHooks.restoreUndoOnCancel = RestoreUndoOnCancel;
    uiHooks.stopWorkOnCancel = StopWorkInProgress;
    RecoverLayoutAtStart();

    if (waitWindow != nullptr && waitWindow->window != nullptr)
        CloseWaitingWindow(waitWindow);

    StartProbeInput();
    gtk_main();
    return 1;
}
