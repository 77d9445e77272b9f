// The toolbar: Start, Stop, the Stitching and axis-lock toggles, and in the large icon style
// Stitch On/Off, Needle Up and Edit. Icons only.

#include <algorithm>
#include <string>

#include "app/gui_probe_gtk.h"
#include "app/main_window.h"
#include "app/popup_menu.h"
#include "app/run_widgets_gtk.h"
#include "base/screen_config.h"
#include "base/screen_state.h"
#include "base/settings.h"
#include "machine/controller.h"
#include "machine/stitch_control.h"
#include "machine/stitching_run.h"

namespace {

// For the GUI tests: the overflow menu is probed like every other menu, once per menu.
void ProbeOverflowMenu(GtkWidget* entry, GtkWidget*, gpointer)
{
    GtkWidget* menu = gtk_widget_get_parent(entry);
    if (menu != nullptr && GTK_IS_MENU(menu) &&
        g_object_get_data(G_OBJECT(menu), "probed") == nullptr) {
        g_object_set_data(G_OBJECT(menu), "probed", menu);
        g_signal_connect(menu, "expose-event", G_CALLBACK(ProbeMenuExpose), nullptr);
    }
}

// The menu entry that stands for a button the toolbar has no room for (the large icon style
// in a 320-pixel row): it does what tapping the button does, and is usable when the button
// is. Made afresh each time the toolbar's overflow menu opens, so it shows the button's state.
gboolean OnCreateMenuProxy(GtkToolItem* item, gpointer data)
{
    GtkWidget* button = GTK_WIDGET(data);
    gchar* tip = gtk_widget_get_tooltip_text(button);
    std::string text = tip != nullptr ? tip : "";
    g_free(tip);
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(button));
    if (text.empty() && child != nullptr && GTK_IS_LABEL(child))
        text = gtk_label_get_text(GTK_LABEL(child));
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    GtkWidget* entry;
    if (GTK_IS_TOGGLE_BUTTON(button)) {
        entry = gtk_check_menu_item_new_with_label(text.c_str());
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(entry),
                                       gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)));
    } else {
        entry = gtk_image_menu_item_new_with_label(text.c_str());
        if (child != nullptr && GTK_IS_IMAGE(child) &&
            gtk_image_get_storage_type(GTK_IMAGE(child)) == GTK_IMAGE_PIXBUF)
            gtk_image_menu_item_set_image(GTK_IMAGE_MENU_ITEM(entry),
                                          gtk_image_new_from_pixbuf(
                                              gtk_image_get_pixbuf(GTK_IMAGE(child))));
    }
    gtk_widget_set_sensitive(entry, gtk_widget_is_sensitive(button));
    if (ProbeEnabled())
        g_signal_connect(entry, "parent-set", G_CALLBACK(ProbeOverflowMenu), nullptr);
    g_signal_connect_swapped(entry, "activate", G_CALLBACK(gtk_button_clicked), button);
    gtk_tool_item_set_proxy_menu_item(item, "corvan-toolbar-entry", entry);
    return TRUE;
}

// The large pictures are scaled to the toolbar's height (and a sized button's size), so that
// a button shows its whole picture; the small set is used as it is.
GtkWidget* Picture(const char* large, const char* small, int size = 0)
{
    if (icon_style != 1)
        return NewImage(ImagePath(large, small));
    const int fit = toolbar_height - 4;
    return NewImageFitting(ImagePath(large, small), size > 0 ? std::min(size, fit) : fit);
}

// A button in a tool item, so its size and look are ours rather than the toolbar's.
GtkWidget* AddButton(GtkWidget* toolbar, GtkWidget* button, GtkWidget* image, int size)
{
    if (image != nullptr)
        gtk_container_add(GTK_CONTAINER(button), image);
    gtk_button_set_focus_on_click(GTK_BUTTON(button), FALSE);
    if (size > 0)
        gtk_widget_set_size_request(button, size, size);
    GtkToolItem* item = gtk_tool_item_new();
    gtk_container_add(GTK_CONTAINER(item), button);
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar), item, -1);
    g_signal_connect(item, "create-menu-proxy", G_CALLBACK(OnCreateMenuProxy), button);
    return button;
}

void SetTooltip(GtkWidget* button, const char* text)
{
    gtk_widget_set_tooltip_text(button, text);
}

// Releases a toggle without running its handler again.
void ReleaseQuietly(GtkToggleButton* button, GCallback handler)
{
    g_signal_handlers_block_by_func(button, reinterpret_cast<gpointer>(handler), nullptr);
    gtk_toggle_button_set_active(button, FALSE);
    g_signal_handlers_unblock_by_func(button, reinterpret_cast<gpointer>(handler), nullptr);
}

void testFunction1(GtkToggleButton* button, gpointer)
{
    static int presses = 0;
    if (gtk_toggle_button_get_active(button)) {
        ++presses;
        if (presses % 2 == 1)
            StitchOn();
        else
            StitchOff();
        ReleaseQuietly(button, G_CALLBACK(testFunction1));
    }
    MoveMouseLocation(0, menubar_height + 15);
}

void testFunction2(GtkToggleButton* button, gpointer)
{
    if (gtk_toggle_button_get_active(button)) {
        NeedleUp();
        ReleaseQuietly(button, G_CALLBACK(testFunction2));
    }
    MoveMouseLocation(0, menubar_height + 15);
}

void viewDropdownMenu(GtkWidget*, gpointer) { ShowPopupMenu(0, 0); }

GtkWidget* ToggleWidget(ToolbarToggle toggle)
{
    switch (toggle) {
    case ToolbarToggle::Stitching: return mainUi.toolbar.stitchingToggle;
    case ToolbarToggle::LockX: return mainUi.toolbar.lockXToggle;
    case ToolbarToggle::LockY: return mainUi.toolbar.lockYToggle;
    }
    return nullptr;
}

GCallback ToggleHandler(ToolbarToggle toggle)
{
    switch (toggle) {
    case ToolbarToggle::Stitching: return G_CALLBACK(OnStitchingToggled);
    case ToolbarToggle::LockX: return G_CALLBACK(menuRunLockX);
    case ToolbarToggle::LockY: return G_CALLBACK(menuRunLockY);
    }
    return nullptr;
}

bool ToggleActive(ToolbarToggle toggle)
{
    GtkWidget* w = ToggleWidget(toggle);
    return isWidget(w) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w));
}

void SetToggle(ToolbarToggle toggle, bool active)
{
    GtkWidget* w = ToggleWidget(toggle);
    if (!isWidget(w))
        return;
    GCallback handler = ToggleHandler(toggle);
    g_signal_handlers_block_by_func(w, reinterpret_cast<gpointer>(handler), nullptr);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), active);
    g_signal_handlers_unblock_by_func(w, reinterpret_cast<gpointer>(handler), nullptr);
    switch (toggle) {
    case ToolbarToggle::Stitching: runWidgets.stitchingToggle = active; break;
    case ToolbarToggle::LockX: runWidgets.lockXToggle = active; break;
    case ToolbarToggle::LockY: runWidgets.lockYToggle = active; break;
    }
}

GtkWidget* TextToggle(const char* text)
{
    GtkWidget* button = gtk_toggle_button_new();
    SetButtonFont(button, text, "Sans 8");
    return button;
}

}  // namespace

// The axis locks: on, the motor holds the axis; off, the axis moves freely by hand.
void menuRunLockX(GtkToggleButton* button, gpointer)
{
    ReleaseAllUI();
    runWidgets.lockXToggle = gtk_toggle_button_get_active(button);
    if (runWidgets.lockXToggle)
        EnableX();
    else
        DisableX();
    MoveMouseLocation(0, menubar_height + 15);
}

void menuRunLockY(GtkToggleButton* button, gpointer)
{
    ReleaseAllUI();
    runWidgets.lockYToggle = gtk_toggle_button_get_active(button);
    if (runWidgets.lockYToggle)
        EnableY();
    else
        DisableY();
    MoveMouseLocation(0, menubar_height + 15);
}

GtkWidget* createToolbar()
{
    ToolbarRecord& t = mainUi.toolbar;
    const bool large = icon_style == 1;
    t.toolbar = gtk_toolbar_new();
    gtk_toolbar_set_style(GTK_TOOLBAR(t.toolbar), GTK_TOOLBAR_ICONS);
    // The large buttons do not all fit beside the menu bar in a 320-pixel row: those that do
    // not are reached through the toolbar's overflow arrow instead of running off the screen.
    gtk_toolbar_set_show_arrow(GTK_TOOLBAR(t.toolbar), large);
    gtk_widget_set_size_request(t.toolbar, large ? 0 : toolbar_width, toolbar_height);

    t.startImage = Picture("Start_64x64.png", "Start_32x32.png");
    t.startButton = AddButton(t.toolbar, gtk_button_new(), t.startImage, 0);
    SetTooltip(t.startButton, "Start");
    g_signal_connect(t.startButton, "clicked", G_CALLBACK(OnStartClicked), nullptr);

    t.stopImage = Picture("Stop_64x64.png", "Stop_32x32.png");
    t.stopButton = AddButton(t.toolbar, gtk_button_new(), t.stopImage, 0);
    SetTooltip(t.stopButton, "Stop");
    g_signal_connect(t.stopButton, "clicked", G_CALLBACK(OnStopClicked), nullptr);

    t.stitchingImage = Picture("Stitch_64x64.png", "Stitch_32x32.png");
    t.stitchingToggle = AddButton(t.toolbar, gtk_toggle_button_new(), t.stitchingImage, 0);
    SetTooltip(t.stitchingToggle, "Stitching");
    g_signal_connect(t.stitchingToggle, "toggled", G_CALLBACK(OnStitchingToggled), nullptr);

    // The axis locks carry their letter too, for a screen where the picture is missing.
    t.lockXImage = Picture("LockHorizontal.png", "LockHorizontal_32x32.png",
                          toolbar_button_size);
    t.lockXToggle = AddButton(t.toolbar, gtk_toggle_button_new(), t.lockXImage,
                              toolbar_button_size);
    SetTooltip(t.lockXToggle, "H");
    g_signal_connect(t.lockXToggle, "toggled", G_CALLBACK(menuRunLockX), nullptr);

    t.lockYImage = Picture("LockVertical.png", "LockVertical_32x32.png",
                          toolbar_button_size);
    t.lockYToggle = AddButton(t.toolbar, gtk_toggle_button_new(), t.lockYImage,
                              toolbar_button_size);
    SetTooltip(t.lockYToggle, "V");
    g_signal_connect(t.lockYToggle, "toggled", G_CALLBACK(menuRunLockY), nullptr);

    if (large) {
        testItem1 = AddButton(t.toolbar, TextToggle("Stitch\nOn/Off"), nullptr, toolbar_button_size);
        g_signal_connect(testItem1, "toggled", G_CALLBACK(testFunction1), nullptr);
        testItem2 = AddButton(t.toolbar, TextToggle("Needle\nUp"), nullptr, toolbar_button_size);
        g_signal_connect(testItem2, "toggled", G_CALLBACK(testFunction2), nullptr);
        t.editImage = Picture("DropDownMenu_50.png", "DropDownMenu_50.png",
                                toolbar_button_size);
        t.editButton = AddButton(t.toolbar, gtk_button_new(), t.editImage, toolbar_button_size);
        SetTooltip(t.editButton, "Edit");
        g_signal_connect(t.editButton, "clicked", G_CALLBACK(viewDropdownMenu), nullptr);
    }

    uiHooks.toggleActive = ToggleActive;
    uiHooks.setToggle = SetToggle;
    gtk_widget_show_all(t.toolbar);
    SetToolbarSensitive(kMaskAtCreation);
    return t.toolbar;
}

void ShowStitchButtons()
{
    if (!isWidget(testItem1) || !isWidget(testItem2))
        return;
    bool shown = stitchButtonsOn == 1 && icon_style == 1 && showAdvancedFeatures == 1;
    GtkWidget* item1 = gtk_widget_get_parent(testItem1);
    GtkWidget* item2 = gtk_widget_get_parent(testItem2);
    if (shown)
        gtk_widget_show(item1);
    else
        gtk_widget_hide(item1);
    if (shown && needleUpMethod != 11)
        gtk_widget_show(item2);
    else
        gtk_widget_hide(item2);
}

void SetToolbarSensitive(uint32_t mask)
{
    const struct {
        GtkWidget* widget;
        SensitiveItem item;
    } buttons[] = {
        {mainUi.toolbar.startButton, SensitiveItem::Start},
        {mainUi.toolbar.stopButton, SensitiveItem::Stop},
        {mainUi.toolbar.lockXToggle, SensitiveItem::LockX},
        {mainUi.toolbar.lockYToggle, SensitiveItem::LockY},
        {mainUi.toolbar.editButton, SensitiveItem::Edit},
    };
    for (const auto& b : buttons)
        if (isWidget(b.widget))
            gtk_widget_set_sensitive(b.widget, MaskEnables(mask, b.item) == 1);
}

void MoveMouseLocation(int dx, int dy)
{
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr)
        return;
    GdkScreen* screen = nullptr;
    int x = 0, y = 0;
    gdk_display_get_pointer(display, &screen, &x, &y, nullptr);
    gdk_display_warp_pointer(display, gdk_display_get_default_screen(display), x + dx, y + dy);
}
