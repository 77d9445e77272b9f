// The menu bar: four image-only menus (home, edit, view, stitch) and the application of the
// sensitivity mask to their items.

#include "app/gui_probe_gtk.h"
#include "app/undo.h"
#include "app/main_window.h"
#include "app/main_menu.h"
#include "app/popup_actions.h"
#include "app/nesting.h"
#include "app/edit_modes.h"
#include "view/touch_edit_gtk.h"
#include "base/screen_config.h"
#include "base/settings.h"
#include "files/file_manager.h"
#include "app/setup.h"
#include "machine/test_run.h"

#include <vector>

namespace {

// How an item is shown.
enum class Shown { Always, Advanced, Hidden };

struct ItemVisibility {
    GtkWidget* widget;
    Shown shown;
};
// Every item whose visibility follows the settings, in creation order.
std::vector<ItemVisibility>& VisibilityList()
{
    static std::vector<ItemVisibility> list;
    return list;
}

// Visibility is ours from now on: showing the whole window must not bring hidden items back.
void Manage(GtkWidget* item, Shown shown)
{
    gtk_widget_show_all(item);
    gtk_widget_set_no_show_all(item, TRUE);
    VisibilityList().push_back({item, shown});
}

GtkWidget* AddItem(GtkWidget* menu, SensitiveItem id, Shown shown, GCallback handler = nullptr,
                   gpointer data = nullptr)
{
    GtkWidget* item = gtk_menu_item_new_with_label(SensitiveItemLabel(id));
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    if (handler != nullptr)
        g_signal_connect_swapped(item, "activate", handler, data);
    mainUi.menu.items[static_cast<int>(id)] = item;
    Manage(item, shown);
    return item;
}

GtkWidget* AddSeparator(GtkWidget* menu, Shown shown)
{
    GtkWidget* item = gtk_separator_menu_item_new();
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    Manage(item, shown);
    return item;
}

GtkWidget* AddSubmenu(GtkWidget* parentItem)
{
    GtkWidget* menu = gtk_menu_new();
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(parentItem), menu);
    g_signal_connect(menu, "expose-event", G_CALLBACK(CursorExpose), nullptr);
    g_signal_connect(menu, "expose-event", G_CALLBACK(ProbeMenuExpose), nullptr);
    return menu;
}

// A top item of the bar: no label, just the image.
GtkWidget* AddTopItem(GtkWidget* bar, const char* largeImage, const char* smallImage,
                      GtkWidget** image, GtkWidget** menu)
{
    GtkWidget* item = gtk_menu_item_new();
    // The large pictures are scaled to the bar's height, or the bar would run under the toolbar.
    *image = NewImageFitting(ImagePath(largeImage, smallImage), menubar_height - 8);
    gtk_container_add(GTK_CONTAINER(item), *image);
    gtk_menu_shell_append(GTK_MENU_SHELL(bar), item);
    *menu = AddSubmenu(item);
    return item;
}

void OnCreateSetpoint()
{
    if (menuEditCreateSetpoint() == 1)
        gtk_widget_set_sensitive(mainUi.menu.items[static_cast<int>(SensitiveItem::RestoreSetpoint)],
                                 TRUE);
}

// Undo can be chosen only while a snapshot waits to be restored, and only where the mask
// allows editing at all.
bool undoSnapshotTaken = false;

void OnUndoSnapshotChanged(bool taken)
{
    undoSnapshotTaken = taken;
    GtkWidget* item = mainUi.menu.items[static_cast<int>(SensitiveItem::Undo)];
    if (item != nullptr && isWidget(item))
        gtk_widget_set_sensitive(
            item, undoSnapshotTaken && MaskEnables(CurrentSensitivity(), SensitiveItem::Undo) == 1);
}

void menuEditUndo() { RestoreUndoFile(); }

void OnSaveLayout() { menuEditSaveLayout(); }
void OnSaveLayoutAs() { menuEditSaveLayoutAs(); }
void OnAutoCenter() { menuEditAutoCenter(0); }
void OnNest() { menuEditNest(); }

// The edit-mode items: the mode is set, then the GUI tests are told.
template <void (*Enter)()>
void OnEditMode()
{
    Enter();
    ProbeView("mode");
}

void OnPatternBoxChoice(gpointer choice) { menuMainPatternbox(GPOINTER_TO_INT(choice)); }

void BuildHomeMenu(GtkWidget* menu)
{
    AddItem(menu, SensitiveItem::PatternView, Shown::Always, G_CALLBACK(menuMainPatternView));
    AddItem(menu, SensitiveItem::AddPattern, Shown::Always, G_CALLBACK(menuMainAddPattern));
    AddSeparator(menu, Shown::Always);
    AddItem(menu, SensitiveItem::NewLayout, Shown::Advanced, G_CALLBACK(menuMainNewLayout));
    AddItem(menu, SensitiveItem::OpenLayout, Shown::Advanced, G_CALLBACK(menuMainLoadLayout));
    // Follows the setting at start only.
    mainUi.menu.separatorAfterOpenLayout = gtk_separator_menu_item_new();
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), mainUi.menu.separatorAfterOpenLayout);
    gtk_widget_set_no_show_all(mainUi.menu.separatorAfterOpenLayout, TRUE);
    if (showAdvancedFeatures == 1)
        gtk_widget_show(mainUi.menu.separatorAfterOpenLayout);
    AddItem(menu, SensitiveItem::FileManager, Shown::Always, G_CALLBACK(menuMainFileManager));
    AddItem(menu, SensitiveItem::FreeMotion, Shown::Always, G_CALLBACK(menuMainTraceMode));
    AddItem(menu, SensitiveItem::Camera, Shown::Hidden, G_CALLBACK(menuMainCamera));
    AddItem(menu, SensitiveItem::Setup, Shown::Always, G_CALLBACK(menuMainSetup));
    AddSeparator(menu, Shown::Always);
    AddItem(menu, SensitiveItem::SetQuiltArea, Shown::Always, G_CALLBACK(menuMainExtents));
    GtkWidget* boxItem = AddItem(menu, SensitiveItem::PatternBox, Shown::Always);
    GtkWidget* boxMenu = AddSubmenu(boxItem);
    AddItem(boxMenu, SensitiveItem::AddPatternBox, Shown::Always, G_CALLBACK(OnPatternBoxChoice),
            GINT_TO_POINTER(1));
    AddItem(boxMenu, SensitiveItem::AdjustCurrentBox, Shown::Always,
            G_CALLBACK(OnPatternBoxChoice), GINT_TO_POINTER(0));
    AddItem(boxMenu, SensitiveItem::RemoveCurrentBox, Shown::Always,
            G_CALLBACK(OnPatternBoxChoice), GINT_TO_POINTER(2));
    AddSeparator(menu, Shown::Always);
    AddItem(menu, SensitiveItem::Demo, Shown::Always, G_CALLBACK(menuRunTest));
}

void BuildEditMenu(GtkWidget* menu)
{
    AddItem(menu, SensitiveItem::SaveLayout, Shown::Advanced, G_CALLBACK(OnSaveLayout));
    AddItem(menu, SensitiveItem::SaveLayoutAs, Shown::Advanced, G_CALLBACK(OnSaveLayoutAs));
    AddItem(menu, SensitiveItem::Save, Shown::Hidden);
    AddItem(menu, SensitiveItem::Delete, Shown::Hidden, G_CALLBACK(OnEditMode<menuEditDelete>));
    GtkWidget* scaleItem = AddItem(menu, SensitiveItem::Scale, Shown::Hidden);
    AddItem(AddSubmenu(scaleItem), SensitiveItem::AutoscaleAll, Shown::Always);
    AddItem(menu, SensitiveItem::Draw, Shown::Hidden, G_CALLBACK(OnEditMode<menuEditDraw>));
    AddItem(menu, SensitiveItem::MoveAll, Shown::Always, G_CALLBACK(OnEditMode<menuEditMove>));
    AddItem(menu, SensitiveItem::AutoCenter, Shown::Always, G_CALLBACK(OnAutoCenter));
    AddItem(menu, SensitiveItem::Nest, Shown::Always, G_CALLBACK(OnNest));
    AddItem(menu, SensitiveItem::CreateSetpoint, Shown::Advanced,
            G_CALLBACK(OnCreateSetpoint));
    AddItem(menu, SensitiveItem::RestoreSetpoint, Shown::Advanced,
            G_CALLBACK(menuEditRestoreSetpoint));
    AddItem(menu, SensitiveItem::Undo, Shown::Always, G_CALLBACK(menuEditUndo));
}

void BuildViewMenu(GtkWidget* menu)
{
    AddItem(menu, SensitiveItem::Zoom, Shown::Hidden, G_CALLBACK(OnEditMode<menuViewZoomIn>));
    AddItem(menu, SensitiveItem::ZoomAll, Shown::Always, G_CALLBACK(menuViewZoomAll));
    AddItem(menu, SensitiveItem::Pan, Shown::Always, G_CALLBACK(OnEditMode<menuViewPan>));
    AddItem(menu, SensitiveItem::Measure, Shown::Hidden, G_CALLBACK(OnEditMode<menuEditMeasure>));
}

}  // namespace

GtkWidget* createMenu()
{
    MenuRecord& m = mainUi.menu;
    m.menuBar = gtk_menu_bar_new();
    // The large bar is as wide as its items (the toolbar takes what is left of the row); a
    // fixed width would leave the last item under the toolbar.
    gtk_widget_set_size_request(m.menuBar, icon_style == 1 ? -1 : menubar_width, menubar_height);
    m.homeItem = AddTopItem(m.menuBar, "home-64x64.png", "home-32x32.png", &m.homeImage,
                            &m.homeMenu);
    m.editItem = AddTopItem(m.menuBar, "app-edit-64x64.png", "app-edit-32x32.png", &m.editImage,
                            &m.editMenu);
    m.viewItem = AddTopItem(m.menuBar, "search-64x64.png", "search-32x32.png", &m.viewImage,
                            &m.viewMenu);
    m.stitchItem = AddTopItem(m.menuBar, "ZigZag.png", "ZigZag_5.png", &m.stitchImage,
                              &m.stitchMenu);
    BuildHomeMenu(m.homeMenu);
    BuildEditMenu(m.editMenu);
    BuildViewMenu(m.viewMenu);
    AddItem(m.stitchMenu, SensitiveItem::Standard, Shown::Always);

    gtk_widget_show_all(m.menuBar);
    gtk_widget_set_no_show_all(m.stitchItem, TRUE);
    ShowAdvancedItems();
    // Until a setpoint or an undo file exists there is nothing to go back to.
    gtk_widget_set_sensitive(m.items[static_cast<int>(SensitiveItem::RestoreSetpoint)], FALSE);
    gtk_widget_set_sensitive(m.items[static_cast<int>(SensitiveItem::Undo)], FALSE);
    uiHooks.undoSensitivity = OnUndoSnapshotChanged;
    SetSensitivity(kMaskAtCreation);
    return m.menuBar;
}

namespace {
// A factory reset takes Undo off the menu until the next start.
bool undoHiddenByReset = false;
}  // namespace

void HideUndoAfterFactoryReset()
{
    undoHiddenByReset = true;
    ShowAdvancedItems();
}

void ShowAdvancedItems()
{
    const bool advanced = showAdvancedFeatures == 1;
    GtkWidget* undo = mainUi.menu.items[static_cast<int>(SensitiveItem::Undo)];
    for (const ItemVisibility& v : VisibilityList()) {
        bool show = v.shown == Shown::Always || (v.shown == Shown::Advanced && advanced);
        if (v.widget == undo && undoHiddenByReset)
            show = false;
        if (show)
            gtk_widget_show(v.widget);
        else
            gtk_widget_hide(v.widget);
    }
    if (mainUi.menu.stitchItem != nullptr) {
        if (advanced)
            gtk_widget_show(mainUi.menu.stitchItem);
        else
            gtk_widget_hide(mainUi.menu.stitchItem);
    }
}

void SetMenusSensitive(uint32_t mask)
{
    for (int i = 0; i < kSensitiveItemCount; ++i) {
        GtkWidget* item = mainUi.menu.items[i];
        int enable = MaskEnables(mask, static_cast<SensitiveItem>(i));
        if (static_cast<SensitiveItem>(i) == SensitiveItem::Undo && !undoSnapshotTaken)
            enable = enable >= 0 ? 0 : enable;
        if (item != nullptr && enable >= 0 && isWidget(item))
            gtk_widget_set_sensitive(item, enable == 1);
    }
}
