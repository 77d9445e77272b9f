// The real menu bar, toolbar and screens: the mask reaches the widgets, items show by the
// settings, screens replace each other and take their widgets with them.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "base/screen_config.h"
#include "base/sensitivity.h"
#include "base/settings.h"
#include "app/undo.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::string> VisibleLabels(GtkWidget* menu)
{
    std::vector<std::string> labels;
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* l = children; l != nullptr; l = l->next) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(l->data));
        if (gtk_widget_get_visible(GTK_WIDGET(l->data)))
            labels.push_back(child != nullptr && GTK_IS_LABEL(child)
                                 ? gtk_label_get_text(GTK_LABEL(child))
                                 : "-");
    }
    g_list_free(children);
    return labels;
}

bool Sensitive(GtkWidget* w) { return gtk_widget_get_sensitive(w); }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!gtk_init_check(nullptr, nullptr))
            GTEST_SKIP() << "no display";
        std::filesystem::copy(std::string(CORVAN_SOURCE_DIR) + "/data/images", dir / "images");
        ParseConfig();
        mainUi = MainWindow();
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        box = gtk_vbox_new(FALSE, 0);
        gtk_container_add(GTK_CONTAINER(window), box);
        InstallMainWindowHooks();
    }
    void TearDown() override
    {
        if (window != nullptr)
            gtk_widget_destroy(window);
        ResetUiHooks();
    }
    void BuildMenuRow()
    {
        CreateMenuRow(window, box);
        gtk_box_pack_start(GTK_BOX(box), mainUi.menuRow, FALSE, FALSE, 0);
        gtk_widget_show_all(window);
        ShowAdvancedItems();
    }
    TempDir dir;
    GtkWidget* window = nullptr;
    GtkWidget* box = nullptr;
};

}  // namespace

TEST_F(MainWindowTest, MaskReachesMenusAndToolbar)
{
    showAdvancedFeatures = 0;
    BuildMenuRow();
    const ToolbarRecord& t = mainUi.toolbar;
    auto item = [](SensitiveItem i) { return mainUi.menu.items[static_cast<int>(i)]; };
    // Created with the creation mask, then "Undo" and "Restore Setpoint" off.
    EXPECT_EQ(CurrentSensitivity(), kMaskAtCreation);
    EXPECT_FALSE(Sensitive(item(SensitiveItem::Undo)));

    SetSensitivity(kMaskNormal);
    EXPECT_TRUE(Sensitive(t.startButton));
    EXPECT_FALSE(Sensitive(t.stopButton));
    EXPECT_TRUE(Sensitive(item(SensitiveItem::RestoreSetpoint)));
    // Undo needs the mask and a snapshot to go back to.
    EXPECT_FALSE(Sensitive(item(SensitiveItem::Undo)));
    ASSERT_NE(undoSensitivityHook, nullptr);
    undoSensitivityHook(1);
    EXPECT_TRUE(Sensitive(item(SensitiveItem::Undo)));
    SetSensitivity(kMaskNoExtents);
    EXPECT_FALSE(Sensitive(item(SensitiveItem::Undo)));
    SetSensitivity(kMaskNormal);
    EXPECT_TRUE(Sensitive(item(SensitiveItem::Undo)));
    undoSensitivityHook(0);
    EXPECT_FALSE(Sensitive(item(SensitiveItem::Undo)));

    SetSensitivity(kMaskStitching);
    EXPECT_TRUE(Sensitive(t.stopButton));
    for (GtkWidget* w : {t.startButton, t.lockXToggle, t.lockYToggle})
        EXPECT_FALSE(Sensitive(w));
    EXPECT_FALSE(Sensitive(item(SensitiveItem::PatternView)));
    EXPECT_TRUE(Sensitive(t.stitchingToggle));  // never masked

    SetSensitivity(0x1000);  // bit 12 alone
    EXPECT_TRUE(Sensitive(item(SensitiveItem::MoveAll)));
    EXPECT_FALSE(Sensitive(item(SensitiveItem::Nest)));
    // The small icon set has no Edit, Stitch On/Off or Needle Up button.
    EXPECT_EQ(t.editButton, nullptr);
    EXPECT_EQ(testItem1, nullptr);
}

TEST_F(MainWindowTest, MenusInOrderShownByTheSettings)
{
    showAdvancedFeatures = 0;
    BuildMenuRow();
    EXPECT_EQ(VisibleLabels(mainUi.menu.homeMenu),
              (std::vector<std::string>{"Pattern View", "Add Pattern", "-", "File Manager",
                                        "Free Motion", "Setup", "-", "Set Quilt Area",
                                        "Pattern Box", "-", "Demo"}));
    EXPECT_EQ(VisibleLabels(mainUi.menu.editMenu),
              (std::vector<std::string>{"Move All", "AutoCenter", "Nest", "Undo"}));
    EXPECT_EQ(VisibleLabels(mainUi.menu.viewMenu),
              (std::vector<std::string>{"Zoom All", "Pan"}));
    EXPECT_FALSE(gtk_widget_get_visible(mainUi.menu.stitchItem));

    showAdvancedFeatures = 1;
    ShowAdvancedItems();
    EXPECT_EQ(VisibleLabels(mainUi.menu.editMenu),
              (std::vector<std::string>{"Save Layout", "Save Layout As", "Move All",
                                        "AutoCenter", "Nest", "Create Setpoint",
                                        "Restore Setpoint", "Undo"}));
    EXPECT_TRUE(gtk_widget_get_visible(mainUi.menu.stitchItem));
    // The separator after "Open Layout" follows the setting only at start.
    std::vector<std::string> home = VisibleLabels(mainUi.menu.homeMenu);
    EXPECT_EQ(home[2], "-");
    EXPECT_EQ(home[3], "New Layout");
    EXPECT_EQ(home[5], "File Manager");
    showAdvancedFeatures = 0;
}

TEST_F(MainWindowTest, ScreensReplaceEachOtherWithTheirWidgets)
{
    BuildMenuRow();
    ShowScreen(Screen::StitchingView);
    ASSERT_TRUE(isWidget(mainUi.pauseButton));
    ASSERT_TRUE(isWidget(mainUi.threadButton));
    EXPECT_TRUE(GTK_IS_TOGGLE_BUTTON(mainUi.pauseButton));
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(mainUi.threadButton)))),
                 "THREAD BREAK");
    GtkRequisition area;
    gtk_widget_size_request(mainUi.drawingArea, &area);
    EXPECT_EQ(area.width, view_area_width);
    EXPECT_EQ(area.height, view_area_height - 60);
    GtkWidget* pause = mainUi.pauseButton;
    g_object_ref(pause);

    ShowScreen(Screen::PatternView);
    EXPECT_EQ(mainUi.pauseButton, nullptr);
    EXPECT_FALSE(isWidget(mainUi.threadButton));
    EXPECT_EQ(gtk_widget_get_parent(pause), nullptr);  // destroyed with its screen
    g_object_unref(pause);
    gtk_widget_size_request(mainUi.drawingArea, &area);
    EXPECT_EQ(area.height, view_area_height);

    // Exactly one screen below the menu row.
    GList* children = gtk_container_get_children(GTK_CONTAINER(box));
    EXPECT_EQ(g_list_length(children), 2u);
    g_list_free(children);
    clearScreen();
    EXPECT_EQ(mainUi.currentScreen, nullptr);
    EXPECT_EQ(mainUi.drawingArea, nullptr);
    EXPECT_FALSE(isWidget(nullptr));
}

TEST_F(MainWindowTest, TogglesSetFromTheLogicKeepTheirHandlersQuiet)
{
    BuildMenuRow();
    UiSetToggle(ToolbarToggle::LockX, true);
    EXPECT_TRUE(UiToggleActive(ToolbarToggle::LockX));
    EXPECT_FALSE(UiToggleActive(ToolbarToggle::LockY));
    UiSetToggle(ToolbarToggle::LockX, false);
    EXPECT_FALSE(UiToggleActive(ToolbarToggle::LockX));
}
