// The main window's shell: one screen at a time below the menu row, the helpers every
// screen uses, and the main window's side of the UI seam.

#include "app/main_window.h"

#include <algorithm>
#include <cstdio>

#include "app/gui_probe_gtk.h"
#include "base/console.h"
#include "base/interface.h"
#include "app/message_windows_gtk.h"
#include "base/screen_config.h"
#include "base/sensitivity.h"
#include "files/file_manager_screen.h"
#include "machine/stitching_run.h"
#include "view/pattern_view.h"
#include "view/touch_edit.h"

MainWindow mainUi;
GtkWidget* testItem1 = nullptr;
GtkWidget* testItem2 = nullptr;

namespace {

// A screen that is not built yet: the view area, empty.
GtkWidget* EmptyScreen()
{
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, view_area_width, view_area_height);
    return fixed;
}

GtkWidget* BuildScreen(Screen kind)
{
    switch (kind) {
    case Screen::PatternView: return createPatternViewScreen(0, 2);
    case Screen::StitchingView: return createPatternViewScreen(1, 0);
    case Screen::PatternSelect: return createPatternSelectScreen();
    case Screen::ExtentsSetup: return createExtentsSetup(interface_.boxEditTarget);
    case Screen::Trace: return createTraceScreen();
    case Screen::Camera: return createCameraScreen();
    case Screen::Setup: return createSetupScreen();
    case Screen::FileManager: return CreateFileManager();
    default: return EmptyScreen();
    }
}

}  // namespace

bool isWidget(gpointer object)
{
    return object != nullptr && G_IS_OBJECT(object) && GTK_IS_WIDGET(object);
}

void clearScreen()
{
    if (isWidget(mainUi.currentScreen))
        gtk_widget_destroy(mainUi.currentScreen);
    mainUi.currentScreen = nullptr;
    mainUi.drawingArea = nullptr;
    mainUi.sideBox = nullptr;
    mainUi.pauseButton = nullptr;
    mainUi.threadButton = nullptr;
    mainUi.patternNameLabel = nullptr;
    mainUi.previewBox = nullptr;
    mainUi.selectButton = nullptr;
    mainUi.repeatButton = nullptr;
    mainUi.patternTree = nullptr;
    mainUi.setupNotebook = nullptr;
    mainUi.traceStartToggle = nullptr;
    mainUi.traceSaveButton = nullptr;
    mainUi.videoButton = nullptr;
    mainUi.snapshotButton = nullptr;
    mainUi.calibrateButton = nullptr;
}

void PackScreen(GtkWidget* screen, Screen kind)
{
    mainUi.currentScreen = screen;
    mainUi.screenKind = kind;
    gtk_box_pack_start(GTK_BOX(mainUi.mainBox), screen, FALSE, FALSE, 2);
    gtk_widget_show_all(screen);
}

void ShowScreen(Screen kind)
{
    // The stitching view's buttons live inside its screen and go with it.
    if (isWidget(mainUi.pauseButton))
        gtk_widget_hide(mainUi.pauseButton);
    clearScreen();
    GtkWidget* screen = BuildScreen(kind);
    PackScreen(screen, kind);
    // The run's buttons on a new stitching view show the run's state, not their defaults.
    UiRunWidgetsChanged();
    ProbeLater("screen");
}

void RedrawView()
{
    if (isWidget(mainUi.drawingArea) && mainUi.drawingArea->window != nullptr)
        gdk_window_invalidate_rect(mainUi.drawingArea->window, nullptr, FALSE);
}

void SetButtonFont(GtkWidget* button, const char* text, const char* font)
{
    if (!isWidget(button))
        return;
    gchar* escaped = g_markup_escape_text(text, -1);
    gchar* markup = g_strdup_printf("<span font_desc=\"%s\">%s</span>", font, escaped);
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(button));
    if (child != nullptr && GTK_IS_LABEL(child)) {
        gtk_label_set_markup(GTK_LABEL(child), markup);
    } else {
        if (child != nullptr)
            gtk_container_remove(GTK_CONTAINER(button), child);
        GtkWidget* label = gtk_label_new(nullptr);
        gtk_label_set_markup(GTK_LABEL(label), markup);
        gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
        gtk_container_add(GTK_CONTAINER(button), label);
        gtk_widget_show(label);
    }
    g_free(markup);
    g_free(escaped);
}

void RunPendingGtkEvents()
{
    while (gtk_events_pending())
        gtk_main_iteration();
}

void SetCursor(GdkWindow* window, int cursorType, int flush)
{
    if (window == nullptr) {
        ConsolePrintf("The window is not realized!\n");
        return;
    }
    GdkCursor* cursor = gdk_cursor_new(static_cast<GdkCursorType>(cursorType));
    gdk_window_set_cursor(window, cursor);
    gdk_cursor_unref(cursor);
    if (flush)
        RunPendingGtkEvents();
}

void SetCursorFromFile(GdkWindow* window, const char* imagePath, int flush)
{
    if (window == nullptr) {
        ConsolePrintf("The window is not realized!\n");
        return;
    }
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(imagePath, nullptr);
    if (pixbuf == nullptr) {
        // No picture: the standard busy cursor says the same.
        SetCursor(window, GDK_WATCH, flush);
        return;
    }
    GdkCursor* cursor = gdk_cursor_new_from_pixbuf(gdk_drawable_get_display(window), pixbuf, 7, 7);
    gdk_window_set_cursor(window, cursor);
    gdk_cursor_unref(cursor);
    g_object_unref(pixbuf);
    if (flush)
        RunPendingGtkEvents();
}

gboolean CursorExpose(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    if (widget->window != nullptr) {
        GdkCursor* cursor = gdk_cursor_new(GDK_ARROW);
        gdk_window_set_cursor(widget->window, cursor);
        gdk_cursor_unref(cursor);
    }
    return FALSE;
}

std::string ImagePath(const char* largeName, const char* smallName)
{
    return std::string("./images/") + (icon_style == 1 ? largeName : smallName);
}

GtkWidget* NewImage(const std::string& path)
{
    return gtk_image_new_from_file(path.c_str());
}

GtkWidget* NewImageFitting(const std::string& path, int maxHeight)
{
    GdkPixbuf* picture = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    if (picture == nullptr || maxHeight <= 0 || gdk_pixbuf_get_height(picture) <= maxHeight) {
        if (picture != nullptr)
            g_object_unref(picture);
        return NewImage(path);
    }
    const int width =
        std::max(1, gdk_pixbuf_get_width(picture) * maxHeight / gdk_pixbuf_get_height(picture));
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(picture, width, maxHeight, GDK_INTERP_BILINEAR);
    g_object_unref(picture);
    GtkWidget* image = gtk_image_new_from_pixbuf(scaled);
    g_object_unref(scaled);
    return image;
}

namespace {

void ApplySensitivity(uint32_t mask)
{
    SetMenusSensitive(mask);
    SetToolbarSensitive(mask);
    ProbeLater("mask");
}

void SetMainCursor(CursorKind kind)
{
    if (!isWidget(mainUi.window) || mainUi.window->window == nullptr)
        return;
    if (kind == CursorKind::Busy)
        SetCursorFromFile(mainUi.window->window, "./images/thinker_20x20.png", 1);
    else
        SetCursor(mainUi.window->window, GDK_ARROW, 0);
}

// The frame of dialogs and message windows: drawn by the view's code along the allocation.
gboolean DrawFrameExpose(GtkWidget* widget, GdkEventExpose*, gpointer)
{
    if (widget->window == nullptr)
        return FALSE;
    cairo_t* cr = gdk_cairo_create(widget->window);
    DrawFrame(cr, widget->allocation.width, widget->allocation.height);
    cairo_destroy(cr);
    return FALSE;
}

}  // namespace

void InstallMainWindowHooks()
{
    cursorExposeHandler = CursorExpose;
    drawFrameHandler = DrawFrameExpose;
    if (ProbeEnabled())
        messageProbeHandler = ProbeMessageExpose;
    uiHooks.showScreen = ShowScreen;
    uiHooks.redrawView = RedrawView;
    uiHooks.applySensitivity = ApplySensitivity;
    uiHooks.setCursor = SetMainCursor;
    uiHooks.releaseAllUi = ReleaseEditTools;
}

void CreateMenuRow(GtkWidget* window, GtkWidget* mainBox)
{
    mainUi.window = window;
    mainUi.mainBox = mainBox;
    mainUi.menuRow = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(mainUi.menuRow), createMenu(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(mainUi.menuRow), createToolbar(), TRUE, TRUE, 0);
}
