// The pattern pop-up menu and its "Next" step through overlapping placements.

#include "app/popup_menu.h"

#include <algorithm>
#include <vector>

#include "app/popup_actions.h"
#include "app/array_actions.h"
#include "app/array_dialog.h"
#include "base/interface.h"
#include "app/main_menu.h"
#include "app/edit_modes.h"
#include "view/touch_edit_gtk.h"
#include "app/gui_probe_gtk.h"
#include "app/main_window.h"
#include "base/screen_config.h"
#include "base/settings.h"

namespace {

// The view point the menu was opened at; every item handler gets its own copy and frees it.
struct PopupPoint {
    int x;
    int y;
};

int ViewPanX() { return interface_.panX; }
int ViewPanY() { return interface_.panY; }

void popupNext(GtkWidget*, gpointer data)
{
    auto* point = static_cast<PopupPoint*>(data);
    SelectNextPopupPattern(point->x, point->y, ViewPanX(), ViewPanY());
    RedrawView();
    CreatePopupMenu(point->x, point->y);
}

void OnSaveItem(GtkWidget*, gpointer) { popupSavePattern(); }

void OnMoveItem(GtkWidget*, gpointer)
{
    popupMove();
    ProbeView("mode");
}

void FreePoint(gpointer data, GClosure*) { delete static_cast<PopupPoint*>(data); }

GtkWidget* AddItem(GtkWidget* menu, const char* label, GCallback handler, int x, int y)
{
    GtkWidget* item = gtk_menu_item_new_with_label(label);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    if (handler != nullptr)
        g_signal_connect_data(item, "activate", handler, new PopupPoint{x, y}, FreePoint,
                              GConnectFlags(0));
    return item;
}

GtkWidget* AddSubmenu(GtkWidget* menu, const char* label)
{
    GtkWidget* item = gtk_menu_item_new_with_label(label);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    GtkWidget* sub = gtk_menu_new();
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), sub);
    g_signal_connect(sub, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    g_signal_connect(sub, "expose-event", G_CALLBACK(ProbeMenuExpose), nullptr);
    return sub;
}

GtkWidget* NewPopup()
{
    GtkWidget* menu = gtk_menu_new();
    g_signal_connect(menu, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    g_signal_connect(menu, "expose-event", G_CALLBACK(ProbeMenuExpose), nullptr);
    // A pop-up menu is built for one showing and goes when it closes.
    g_signal_connect(menu, "selection-done", G_CALLBACK(gtk_widget_destroy), nullptr);
    return menu;
}

void OnAddPatternItem(GtkWidget*, gpointer) { menuMainAddPattern(); }

void OnRotateCW(GtkWidget*, gpointer) { popupRotateCW(); }
void OnRotateCCW(GtkWidget*, gpointer) { popupRotateCCW(); }
void OnMirrorH(GtkWidget*, gpointer) { popupMirrorH(); }
void OnMirrorV(GtkWidget*, gpointer) { popupMirrorV(); }
void OnFlipPath(GtkWidget*, gpointer) { popupFlipPath(); }
void OnMerge(GtkWidget*, gpointer) { popupMergePattern(); }
void OnRemove(GtkWidget*, gpointer) { popupRemove(); }
void OnRotateSelect(GtkWidget*, gpointer) { popupRotate(); }
void OnScale(GtkWidget*, gpointer) { popupScale(); }
void OnProperties(GtkWidget*, gpointer) { popupProperties(); }
void OnAutofill(GtkWidget*, gpointer) { popupAutofill(); }

}  // namespace

namespace {

// Puts the shown items in `columns` columns, filled one after the other so that they keep
// their reading order; the hidden ones go below, where rows of hidden items take no room.
// Beside each other the items have less padding at their ends, so that two columns of the
// large type fit the screen's width.
void LayOutMenu(GtkWidget* menu, int columns)
{
    static bool narrowStyle = false;
    if (!narrowStyle) {
        gtk_rc_parse_string("style \"corvan-column-item\" { GtkMenuItem::horizontal-padding = 2 }\n"
                            "widget \"*.corvan-column-item\" style \"corvan-column-item\"\n");
        narrowStyle = true;
    }
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
    std::vector<GtkWidget*> shown, hidden;
    for (GList* l = children; l != nullptr; l = l->next)
        (gtk_widget_get_visible(GTK_WIDGET(l->data)) ? shown : hidden)
            .push_back(GTK_WIDGET(g_object_ref(l->data)));
    g_list_free(children);
    const int rows = (int(shown.size()) + columns - 1) / columns;
    int row = 0;
    for (GtkWidget* item : shown) {
        gtk_widget_set_name(item, columns > 1 ? "corvan-column-item" : nullptr);
        gtk_container_remove(GTK_CONTAINER(menu), item);
        gtk_menu_attach(GTK_MENU(menu), item, row / rows, row / rows + 1, row % rows,
                        row % rows + 1);
        ++row;
    }
    for (size_t i = 0; i < hidden.size(); ++i) {
        gtk_container_remove(GTK_CONTAINER(menu), hidden[i]);
        gtk_menu_attach(GTK_MENU(menu), hidden[i], 0, 1, rows + int(i), rows + int(i) + 1);
    }
    for (GtkWidget* item : shown)
        g_object_unref(item);
    for (GtkWidget* item : hidden)
        g_object_unref(item);
}

}  // namespace

namespace {

// These menus open once the finger has lifted (a long press on the view, a toolbar button),
// so no release is left over to guard against. Given the opening event's time, GTK would
// ignore every tap on an item in the first half second after it, and a quick quilter's tap
// on a menu that opened under her finger would do nothing.
void PopUp(GtkWidget* menu, GtkMenuPositionFunc place)
{
    gtk_menu_popup(GTK_MENU(menu), nullptr, nullptr, place, nullptr, 0, 0);
}

}  // namespace

void FitMenuToScreen(GtkWidget* menu, int room)
{
    const bool twoColumns = g_object_get_data(G_OBJECT(menu), "two-columns") != nullptr;
    GtkRequisition size;
    if (twoColumns) {
        LayOutMenu(menu, 1);
        g_object_set_data(G_OBJECT(menu), "two-columns", nullptr);
    }
    gtk_widget_size_request(menu, &size);
    if (size.height <= room)
        return;
    LayOutMenu(menu, 2);
    g_object_set_data(G_OBJECT(menu), "two-columns", menu);
}

void placeMenu(GtkMenu* menu, gint* x, gint* y, gboolean* pushIn, gpointer)
{
    // Moved in from the edges as far as needed to lie whole on the screen.
    GtkRequisition size;
    gtk_widget_size_request(GTK_WIDGET(menu), &size);
    *x = std::max(0, std::min(pop_menu_x, screen_width - size.width));
    *y = std::max(0, std::min(pop_menu_y, screen_height - size.height));
    *pushIn = TRUE;
}

void CreatePopupMenu(int x, int y)
{
    GtkWidget* menu = NewPopup();
    AddItem(menu, "Next", G_CALLBACK(popupNext), x, y);
    AddItem(menu, "Repeat", G_CALLBACK(popupArray), x, y);
    AddItem(menu, "Autofill", G_CALLBACK(OnAutofill), x, y);
    GtkWidget* mirror = AddSubmenu(menu, "Mirror");
    AddItem(mirror, "Horizontal", G_CALLBACK(OnMirrorH), x, y);
    AddItem(mirror, "Vertical", G_CALLBACK(OnMirrorV), x, y);
    if (showAdvancedFeatures == 1)
        AddItem(menu, "Merge", G_CALLBACK(OnMerge), x, y);
    AddItem(menu, "Reverse Path", G_CALLBACK(OnFlipPath), x, y);
    AddItem(menu, "Remove", G_CALLBACK(OnRemove), x, y);
    GtkWidget* rotate = AddSubmenu(menu, "Rotate");
    AddItem(rotate, "Select", G_CALLBACK(OnRotateSelect), x, y);
    AddItem(rotate, "90 Degrees CW", G_CALLBACK(OnRotateCW), x, y);
    AddItem(rotate, "90 Degrees CCW", G_CALLBACK(OnRotateCCW), x, y);
    AddItem(menu, "Move", G_CALLBACK(OnMoveItem), x, y);
    AddItem(menu, "Save", G_CALLBACK(OnSaveItem), x, y);
    AddItem(menu, "Scale", G_CALLBACK(OnScale), x, y);
    AddItem(menu, "Properties", G_CALLBACK(OnProperties), x, y);
    gtk_widget_show_all(menu);
    FitMenuToScreen(menu, screen_height);
    PopUp(menu, placeMenu);
}

void ShowPopupMenu(int x, int y)
{
    if (SelectPopupPattern(x, y, ViewPanX(), ViewPanY()) != nullptr) {
        RedrawView();
        CreatePopupMenu(x, y);
        return;
    }
    GtkWidget* menu = NewPopup();
    GtkWidget* item = gtk_menu_item_new_with_label("Add Pattern");
    g_signal_connect(item, "activate", G_CALLBACK(OnAddPatternItem), nullptr);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    gtk_widget_show_all(menu);
    PopUp(menu, nullptr);
}
