#pragma once
// A window on the widgets for the GUI tests. When $CORVAN_GUI_PROBE names a file, every
// screen change, mask change, opened menu and chooser appends one JSON line to it: the
// screen, the mask, what each menu item and toolbar button shows (sensitive, visible), and
// where on the screen the things a test taps are. Without the variable nothing is written.

#include <gtk/gtk.h>

#include <string>
#include <utility>
#include <vector>

bool ProbeEnabled();
// Appends one line (a JSON object) to the probe file; `text` as a JSON string.
void ProbeWrite(const std::string& line);
std::string ProbeQuote(const std::string& text);
// The state of the main window after `event` ("screen", "mask", "select" ...).
void ProbeMainWindow(const char* event);
// The items of a menu that has just been shown, with their screen rectangles.
void ProbeMenu(GtkWidget* menu);
// Rows of a list (text in column `nameColumn`) with their screen rectangles, and its OK and
// Cancel buttons.
void ProbeList(const char* event, GtkWidget* treeView, int nameColumn, GtkWidget* ok,
               GtkWidget* cancel);
// ProbeList("chooser", ...) once the main loop is idle; with `folders` (a text combo box) also
// its entries and the active one.
void ProbeLaterList(GtkWidget* treeView, int nameColumn, GtkWidget* ok, GtkWidget* cancel,
                    GtkWidget* folders = nullptr);
// One line `event` with the state of each named widget (an entry's text included).
void ProbeWidgets(const char* event, const std::vector<std::pair<std::string, GtkWidget*>>& widgets);

// One line `event` for a notebook: the current page, its tabs' screen rectangles by label, and
// the widgets of the current page: sliders (value, knob and trough rectangles), entries, combo
// boxes (index, text) and text views (text) by widget name, buttons by their label.
void ProbeNotebook(const char* event, GtkWidget* notebook);
// The same once the main loop is idle (a page just switched to drawn).
void ProbeLaterNotebook(const char* event, GtkWidget* notebook);

// One line `event` with the widget's screen rectangle and the view's scale and pan (for
// pictures drawn at the view's scale, such as the point-selection dialogs).
void ProbeWidget(const char* event, GtkWidget* widget);

// ProbeMainWindow(event) once the main loop is idle (the new widgets placed and drawn).
void ProbeLater(const char* event);
// Expose handler for menus: probes the menu once it is on screen.
gboolean ProbeMenuExpose(GtkWidget* menu, GdkEventExpose* event, gpointer data);
// Expose handler for message windows: once the window is on screen, one line "message" with
// its text and the screen rectangle of each button by its response ("-5" OK, "-6" Cancel...).
gboolean ProbeMessageExpose(GtkWidget* dialog, GdkEventExpose* event, gpointer data);

// A widget's screen rectangle as [x, y, w, h], or null when it is not on screen.
std::string ProbeRect(GtkWidget* widget);
// With $CORVAN_GUI_PROBE set: each line appended to "$CORVAN_GUI_PROBE.in" names a menu item
// by its label, which is then activated (hidden items too, usable ones only), with one probe
// line "activate" saying whether it was.
void StartProbeInput();
