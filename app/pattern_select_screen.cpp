// The pattern select screen: the tree of pattern files on the left; on the right the
// pattern's name, its preview, "Select Pattern" and "Repeat".

#include <gtk/gtk.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/gui_probe_gtk.h"
#include "base/console.h"
#include "base/interface.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "base/screen_config.h"
#include "files/pattern_tree.h"
#include "patterns/layout.h"
#include "view/drawing_area_gtk.h"
#include "view/thumbnail_cache.h"

namespace {

enum { COL_NAME = 0, COL_KIND = 1 };

void AddRows(GtkTreeStore* store, GtkTreeIter* parent, const PatternTree& rows)
{
    for (const PatternTreeRow& row : rows) {
        GtkTreeIter iter;
        gtk_tree_store_append(store, &iter, parent);
        gtk_tree_store_set(store, &iter, COL_NAME, row.name.c_str(), COL_KIND, row.kind, -1);
        AddRows(store, &iter, row.children);
    }
}

// The selected row: its name, kind, parent folder names and tree path. False when none.
struct SelectedRow {
    std::string name;
    int kind = 1;
    std::vector<std::string> parents;
    GtkTreePath* path = nullptr;  // owned
    ~SelectedRow()
    {
        if (path != nullptr)
            gtk_tree_path_free(path);
    }
};

bool GetSelectedRow(GtkTreeView* view, SelectedRow* out)
{
    GtkTreeModel* model = nullptr;
    GtkTreeIter iter;
    GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
    if (!gtk_tree_selection_get_selected(selection, &model, &iter))
        return false;
    gchar* name = nullptr;
    gtk_tree_model_get(model, &iter, COL_NAME, &name, COL_KIND, &out->kind, -1);
    out->name = name != nullptr ? name : "";
    g_free(name);
    out->path = gtk_tree_model_get_path(model, &iter);
    GtkTreeIter child = iter, parent;
    while (gtk_tree_model_iter_parent(model, &parent, &child)) {
        gchar* folder = nullptr;
        gtk_tree_model_get(model, &parent, COL_NAME, &folder, -1);
        out->parents.insert(out->parents.begin(), folder != nullptr ? folder : "");
        g_free(folder);
        child = parent;
    }
    return true;
}

void SetPatternName(const std::string& name)
{
    if (isWidget(mainUi.patternNameLabel))
        gtk_label_set_text(GTK_LABEL(mainUi.patternNameLabel), name.c_str());
}

void SetSelectSensitive(bool sensitive)
{
    if (isWidget(mainUi.selectButton))
        gtk_widget_set_sensitive(mainUi.selectButton, sensitive);
}

void PatternListSelect(GtkTreeView* view, gpointer)
{
    SelectedRow row;
    if (!GetSelectedRow(view, &row))
        return;
    if (row.kind == 0) {
        if (gtk_tree_view_row_expanded(view, row.path))
            gtk_tree_view_collapse_row(view, row.path);
        else
            gtk_tree_view_expand_row(view, row.path, FALSE);
        DropPreviewPixbuf();
        SetPatternName("");
        SetSelectSensitive(false);
        RedrawView();
        ProbeLater("select");
        return;
    }
    std::string path = PatternRowPath(row.parents, row.name, std::string::npos);
    DropPreviewPixbuf();
    UiSetCursor(CursorKind::Busy);
    interface_.previewPixbuf.reset(GetPicFromFile(path));
    SetPatternName(row.name);
    RedrawView();
    UiSetCursor(CursorKind::Normal);
    SetSelectSensitive(interface_.previewPixbuf != nullptr);
    ProbeLater("select");
}

void PatternListDoubleClicked(GtkTreeView*, GtkTreePath*, GtkTreeViewColumn*, gpointer) {}

void PatternListDestroyed(GtkWidget*, gpointer)
{
    ConsolePrintf("Treeview Destroyed\n");
}

void patternSelectSelectButtonReleased(GtkWidget* button, gpointer)
{
    // Loading runs pending events (the busy cursor): a second press must not start a second
    // load meanwhile.
    g_signal_handlers_block_by_func(button, reinterpret_cast<gpointer>(
                                                patternSelectSelectButtonReleased), nullptr);
    SelectedRow row;
    if (isWidget(mainUi.patternTree) && GetSelectedRow(GTK_TREE_VIEW(mainUi.patternTree), &row))
        SelectPatternRow(row.parents, row.kind == 1 ? row.name : std::string());
    // The screen (and this button with it) may be gone by now.
    if (isWidget(button))
        g_signal_handlers_unblock_by_func(button, reinterpret_cast<gpointer>(
                                                      patternSelectSelectButtonReleased), nullptr);
}

void OnRepeatClicked(GtkWidget*, gpointer) { OnBtnUseCurrentClicked(); }

GtkWidget* PatternList()
{
    GtkTreeStore* store = gtk_tree_store_new(2, G_TYPE_STRING, G_TYPE_INT);
    PatternTree tree;
    GetFiles(0, &tree);
    AddRows(store, nullptr, tree);

    GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
    g_object_unref(store);
    GtkCellRenderer* renderer = gtk_cell_renderer_text_new();
    gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(view), -1, "Patterns", renderer,
                                                "text", COL_NAME, nullptr);
    g_signal_connect(view, "cursor-changed", G_CALLBACK(PatternListSelect), nullptr);
    g_signal_connect(view, "row-activated", G_CALLBACK(PatternListDoubleClicked), nullptr);
    g_signal_connect(view, "destroy", G_CALLBACK(PatternListDestroyed), nullptr);
    mainUi.patternTree = view;

    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_ALWAYS);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
    gtk_widget_set_size_request(scrolled, pattern_list_width, pattern_list_height);
    gtk_container_add(GTK_CONTAINER(scrolled), view);
    return scrolled;
}

GtkWidget* SelectColumn()
{
    const bool large = icon_style == 1;
    GtkWidget* column = gtk_vbox_new(FALSE, 2);
    gtk_widget_set_size_request(column, pattern_select_width, pattern_select_height);

    mainUi.patternNameLabel = gtk_label_new("");
    gtk_label_set_ellipsize(GTK_LABEL(mainUi.patternNameLabel), PANGO_ELLIPSIZE_END);
    gtk_misc_set_alignment(GTK_MISC(mainUi.patternNameLabel), 0.5, 0.5);
    gtk_widget_set_size_request(mainUi.patternNameLabel, pattern_select_width, 50);
    gtk_box_pack_start(GTK_BOX(column), mainUi.patternNameLabel, FALSE, FALSE, 0);

    mainUi.previewBox = gtk_hbox_new(FALSE, 0);
    gtk_box_pack_start(GTK_BOX(mainUi.previewBox), SetDrawingArea(DA_SMALL_PATTERN_VIEW), TRUE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(column), mainUi.previewBox, FALSE, FALSE, 0);

    GtkWidget* buttons = gtk_hbox_new(FALSE, 4);
    mainUi.selectButton = gtk_button_new();
    // Two lines: the button is about as wide as it is high.
    SetButtonFont(mainUi.selectButton, "Select\nPattern", large ? "Sans 16" : "Sans 10");
    gtk_widget_set_size_request(mainUi.selectButton, pattern_select_button_width,
                                pattern_select_button_height);
    gtk_widget_set_sensitive(mainUi.selectButton, FALSE);
    g_signal_connect(mainUi.selectButton, "clicked",
                     G_CALLBACK(patternSelectSelectButtonReleased), nullptr);

    mainUi.repeatButton = gtk_button_new();
    SetButtonFont(mainUi.repeatButton, "Repeat", "Sans 10");
    gtk_widget_set_size_request(mainUi.repeatButton, 50, 30);
    gtk_widget_set_sensitive(mainUi.repeatButton, patternLayout != nullptr);
    g_signal_connect(mainUi.repeatButton, "clicked", G_CALLBACK(OnRepeatClicked), nullptr);

    // The two share the column's width.
    gtk_box_pack_start(GTK_BOX(buttons), mainUi.selectButton, TRUE, TRUE, 0);
    GtkWidget* repeatAlign = gtk_alignment_new(0.5, 0.5, 1, 0);
    gtk_container_add(GTK_CONTAINER(repeatAlign), mainUi.repeatButton);
    gtk_box_pack_start(GTK_BOX(buttons), repeatAlign, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(column), buttons, FALSE, FALSE, 0);
    return column;
}

}  // namespace

GtkWidget* createPatternSelectScreen()
{
    DropPreviewPixbuf();
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, view_area_width, view_area_height);
    GtkWidget* row = gtk_hbox_new(FALSE, 4);
    gtk_box_pack_start(GTK_BOX(row), PatternList(), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), SelectColumn(), FALSE, FALSE, 0);
    gtk_fixed_put(GTK_FIXED(fixed), row, 2, 0);
    return fixed;
}
