// The pattern pop-up menu and its "Next" step through overlapping placements.

#include "app/popup_menu.h"

#include <algorithm>

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

// With the large type the pattern menu is taller than the screen and GTK would make it scroll,
// which a finger handles badly: it is laid out in two columns instead (first column filled
// first, so the items keep their reading order). A menu that fits stays one column.
void FitMenuToScreen(GtkWidget* menu)
{
    GtkRequisition size;
    gtk_widget_size_request(menu, &size);
    if (size.height <= screen_height)
        return;
    GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
    const int rows = (int(g_list_length(items)) + 1) / 2;
    int i = 0;
    for (GList* l = items; l != nullptr; l = l->next, ++i) {
        GtkWidget* item = GTK_WIDGET(g_object_ref(l->data));
        gtk_container_remove(GTK_CONTAINER(menu), item);
        gtk_menu_attach(GTK_MENU(menu), item, i / rows, i / rows + 1, i % rows, i % rows + 1);
        g_object_unref(item);
    }
    g_list_free(items);
}

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
    FitMenuToScreen(menu);
    gtk_menu_popup(GTK_MENU(menu), nullptr, nullptr, placeMenu, nullptr, 0,
                   gtk_get_current_event_time());
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
    gtk_menu_popup(GTK_MENU(menu), nullptr, nullptr, nullptr, nullptr, 0,
                   gtk_get_current_event_time());
}
