// The real pattern pop-up menu: its shape items reach the selected placement.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/interface.h"
#include "app/popup_menu.h"
#include "app/settings.h"
#include "patterns/layout.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

// The menu CreatePopupMenu has just put on screen.
GtkWidget* OpenPopup()
{
    CreatePopupMenu(0, 0);
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* l = windows; l != nullptr; l = l->next) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(l->data));
        if (child != nullptr && GTK_IS_MENU(child) && gtk_widget_get_visible(child))
            found = child;
    }
    g_list_free(windows);
    return found;
}

GtkWidget* Item(GtkWidget* menu, const char* label)
{
    GtkWidget* found = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* l = children; l != nullptr; l = l->next) {
        GtkWidget* text = gtk_bin_get_child(GTK_BIN(l->data));
        if (text != nullptr && GTK_IS_LABEL(text) &&
            std::strcmp(gtk_label_get_text(GTK_LABEL(text)), label) == 0)
            found = GTK_WIDGET(l->data);
    }
    g_list_free(children);
    return found;
}

// Opens the menu, follows the labels through submenus and activates the last item.
void Choose(const std::vector<const char*>& path)
{
    GtkWidget* menu = OpenPopup();
    ASSERT_NE(menu, nullptr);
    GtkWidget* current = menu;
    GtkWidget* item = nullptr;
    for (const char* label : path) {
        item = Item(current, label);
        ASSERT_NE(item, nullptr) << label;
        if (GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item)))
            current = sub;
    }
    gtk_menu_item_activate(GTK_MENU_ITEM(item));
    gtk_widget_destroy(menu);
}

class PopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!gtk_init_check(nullptr, nullptr))
            GTEST_SKIP() << "no display";
        mkdir("tmp", 0777);
        ResetLayout();
        extents = new PatternBox();
        for (auto [x, y] : {std::pair<float, float>{0, 0}, {0, 20}, {40, 20}, {40, 0}})
            AddPatternBoxPoint(extents, x, y, 0, 0);
        SetPatternBoxOrigin(extents);
        currentBox = CreatePatternBox();
        for (auto [x, y] : {std::pair<float, float>{5, 17}, {25, 17}, {25, 5}, {5, 5}})
            AddPatternBoxPoint(GetPatternBox(currentBox), x, y, 0, 0);
        SetPatternBoxOrigin(GetPatternBox(currentBox));
        Pattern* p = newPattern();
        for (const char* line : {"pX0Y0", "pX2Y0", "pX2Y1", "pX0Y1"})
            addData(p, line, 1);
        StorePattern(0, p);
        node = interface_.selectedNode = NewPatternLayoutNode(0, -1, 0, 3, 4);
    }
    void TearDown() override { ResetLayout(); }
    TempDir dir;
    LayoutNode* node = nullptr;
};

}  // namespace

TEST_F(PopupMenuTest, ShapeItemsActOnTheSelectedPlacement)
{
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    showAdvancedFeatures = 1;
    Choose({"Rotate", "90 Degrees CW"});
    EXPECT_FLOAT_EQ(node->x, 3.5f);
    EXPECT_FLOAT_EQ(node->y, 3.5f);
    EXPECT_FLOAT_EQ(GetPattern(0)->height, 2);
    EXPECT_TRUE(dir.Exists("tmp/undo.qlf"));
    Choose({"Rotate", "90 Degrees CCW"});
    EXPECT_FLOAT_EQ(GetPattern(0)->width, 2);

    Choose({"Mirror", "Horizontal"});
    EXPECT_EQ(GetPattern(0)->pointY, (std::vector<float>{1, 1, 0, 0}));
    Choose({"Mirror", "Vertical"});
    EXPECT_EQ(GetPattern(0)->pointX, (std::vector<float>{2, 0, 0, 2}));
    Choose({"Reverse Path"});
    EXPECT_EQ(GetPattern(0)->pointY, (std::vector<float>{0, 0, 1, 1}));

    ui.Expect("ONLY REPEATED PATTERNS MAY BE MERGED", RESPONSE_OK);
    Choose({"Merge"});
    ui.Expect("DO YOU REALLY WANT TO REMOVE THIS PATTERN?", RESPONSE_YES);
    Choose({"Remove"});
    EXPECT_EQ(patternLayout, nullptr);
    EXPECT_EQ(interface_.selectedNode, nullptr);
    testing::internal::GetCapturedStdout();
}
