#pragma once
// The GTK side of the message, status and waiting windows.
#include <gtk/gtk.h>

// Installs the GTK implementations of the messages, the status and waiting windows,
// "run all pending events" and the cursor into the UI seam. Call after gtk_init.
void InstallGtkUiHooks();

// Parent of the message windows (the main window). Null until the main window exists.
extern GtkWidget* messageParentWindow;

// Expose handlers connected to every message and waiting window when set: the normal
// cursor, and the window frame drawn by the pattern view's code.
using ExposeHandler = gboolean (*)(GtkWidget* widget, GdkEventExpose* event, gpointer data);
extern ExposeHandler cursorExposeHandler;
extern ExposeHandler drawFrameHandler;
// Connected to every message window when set: lets the GUI tests see its text and buttons.
extern ExposeHandler messageProbeHandler;

// The GTK widgets behind a status window handle of the seam.
struct GtkStatusWindow {
    GtkWidget* window = nullptr;
    GtkWidget* label = nullptr;
    GtkWidget* progressBar = nullptr;
    GtkWidget* box = nullptr;
    GtkWidget* stopButton = nullptr;
    bool stopPressed = false;
};

// The GTK widgets behind a waiting window handle of the seam.
struct GtkWaitingWindow {
    GtkWidget* window = nullptr;
    GtkWidget* messageLabel = nullptr;
    GtkWidget* infoLabel = nullptr;
    GtkWidget* animation = nullptr;
    GtkWidget* box = nullptr;
    GtkWidget* cancelButton = nullptr;
    bool cancelPressed = false;
};
