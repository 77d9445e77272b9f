// A touch-friendly modal file chooser: the folder's sub-folders and matching files in one
// list; touching a folder opens it, the drop-down above the list goes back to any folder
// visited on the way (never above the start folder), OK returns the chosen entry.

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "app/gui_probe_gtk.h"
#include "app/main_window.h"
#include "base/screen_config.h"
#include "base/system_path.h"
#include "base/ui_hooks.h"
#include "files/file_chooser_dialog.h"
#include "files/file_filter.h"

namespace {

// COL_NAME holds the name byte for byte, COL_SHOWN a readable form of it (names on a stick
// need not be UTF-8).
enum { COL_ICON = 0, COL_NAME = 1, COL_KIND = 2, COL_SHOWN = 3 };

struct Chooser {
    GtkWidget* dialog = nullptr;
    GtkWidget* list = nullptr;
    GtkWidget* folders = nullptr;  // drop-down of the folders visited, start folder first
    std::vector<std::string> visited;
    bool changingFolders = false;
    GtkWidget* ok = nullptr;
    GtkWidget* cancel = nullptr;
    GtkListStore* store = nullptr;
    GdkPixbuf* folderIcon = nullptr;
    std::string startFolder;  // the chooser never climbs above it
    std::string folder;       // always ends in '/'
    std::string filter;
};

std::string Shown(const std::string& name)
{
    gchar* shown = g_filename_display_name(name.c_str());
    std::string text = shown != nullptr ? shown : name;
    g_free(shown);
    return text;
}

void Fill(Chooser* c)
{
    gtk_list_store_clear(c->store);
    std::vector<FolderEntry> entries;
    GtkTreeIter iter;
    if (!ListFolder(c->folder, c->filter, &entries)) {
        gtk_list_store_append(c->store, &iter);
        gtk_list_store_set(c->store, &iter, COL_NAME, "Invalid Path", COL_SHOWN, "Invalid Path",
                           COL_KIND, 2, -1);
    }
    for (const FolderEntry& e : entries) {
        gtk_list_store_append(c->store, &iter);
        gtk_list_store_set(c->store, &iter, COL_ICON, e.kind == 0 ? c->folderIcon : nullptr,
                           COL_NAME, e.name.c_str(), COL_SHOWN, Shown(e.name).c_str(), COL_KIND,
                           e.kind, -1);
    }
    ProbeLaterList(c->list, COL_SHOWN, c->ok, c->cancel, c->folders);
}

// Goes to `folder` (ending in '/') by a touched row: it joins the drop-down and is selected.
void OpenFolder(Chooser* c, const std::string& folder)
{
    c->folder = folder;
    c->visited.push_back(folder);
    c->changingFolders = true;
    gtk_combo_box_append_text(GTK_COMBO_BOX(c->folders), Shown(folder).c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(c->folders), static_cast<int>(c->visited.size()) - 1);
    c->changingFolders = false;
    Fill(c);
}

// An earlier folder chosen in the drop-down: the ones after it are forgotten.
void OnFolderChosen(GtkComboBox* combo, gpointer data)
{
    auto* c = static_cast<Chooser*>(data);
    const int index = gtk_combo_box_get_active(combo);
    if (c->changingFolders || index < 0 || index >= static_cast<int>(c->visited.size()))
        return;
    c->changingFolders = true;
    while (static_cast<int>(c->visited.size()) > index + 1) {
        c->visited.pop_back();
        gtk_combo_box_remove_text(combo, static_cast<int>(c->visited.size()));
    }
    c->changingFolders = false;
    c->folder = c->visited.back();
    Fill(c);
}

bool Selected(Chooser* c, std::string* name, int* kind)
{
    GtkTreeModel* model;
    GtkTreeIter iter;
    if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(c->list)),
                                         &model, &iter))
        return false;
    gchar* text = nullptr;
    gtk_tree_model_get(model, &iter, COL_NAME, &text, COL_KIND, kind, -1);
    *name = text != nullptr ? text : "";
    g_free(text);
    return true;
}

void OnRowChanged(GtkTreeView*, gpointer data)
{
    auto* c = static_cast<Chooser*>(data);
    std::string name;
    int kind = 1;
    if (!Selected(c, &name, &kind) || kind != 0)
        return;
    OpenFolder(c, c->folder + name + "/");
}

bool FolderExists(const std::string& folder)
{
    return g_file_test(folder.c_str(), G_FILE_TEST_IS_DIR);
}

std::string GtkGetFilename(const std::string& startFolder, const std::string& extensions)
{
    Chooser c;
    c.startFolder = startFolder.empty() ? SystemPath("/media/usb/") : startFolder;
    if (c.startFolder.back() != '/')
        c.startFolder += '/';
    c.folder = c.startFolder;
    c.filter = extensions;
    c.folderIcon = gdk_pixbuf_new_from_file("./images/Folder.png", nullptr);

    GtkWindow* parent = isWidget(mainUi.window) ? GTK_WINDOW(mainUi.window) : nullptr;
    c.dialog = gtk_dialog_new_with_buttons("Select File", parent, GTK_DIALOG_MODAL, nullptr,
                                           GTK_RESPONSE_NONE, nullptr);
    c.cancel = gtk_dialog_add_button(GTK_DIALOG(c.dialog), "gtk-cancel", GTK_RESPONSE_CANCEL);
    c.ok = gtk_dialog_add_button(GTK_DIALOG(c.dialog), "gtk-ok", GTK_RESPONSE_OK);
    gtk_window_set_decorated(GTK_WINDOW(c.dialog), FALSE);
    gtk_widget_set_size_request(c.dialog, file_selection_width, file_selection_height);
    gtk_window_move(GTK_WINDOW(c.dialog), screen_width / 2 - file_selection_width / 2,
                    screen_height / 2 - file_selection_height / 2);
    g_signal_connect(c.dialog, "expose-event", G_CALLBACK(CursorExpose), nullptr);

    GtkWidget* box = GTK_DIALOG(c.dialog)->vbox;
    c.folders = gtk_combo_box_new_text();
    c.visited.push_back(c.folder);
    gtk_combo_box_append_text(GTK_COMBO_BOX(c.folders), Shown(c.folder).c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(c.folders), 0);
    g_signal_connect(c.folders, "changed", G_CALLBACK(OnFolderChosen), &c);
    gtk_box_pack_start(GTK_BOX(box), c.folders, FALSE, FALSE, 4);

    c.store = gtk_list_store_new(4, GDK_TYPE_PIXBUF, G_TYPE_STRING, G_TYPE_INT, G_TYPE_STRING);
    c.list = gtk_tree_view_new_with_model(GTK_TREE_MODEL(c.store));
    g_object_unref(c.store);
    gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(c.list), FALSE);
    gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(c.list), -1, "",
                                                gtk_cell_renderer_pixbuf_new(), "pixbuf",
                                                COL_ICON, nullptr);
    gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(c.list), -1, "",
                                                gtk_cell_renderer_text_new(), "text", COL_SHOWN,
                                                nullptr);
    g_signal_connect(c.list, "cursor-changed", G_CALLBACK(OnRowChanged), &c);
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
    gtk_widget_set_size_request(scrolled, file_selection_width - 20, file_selection_height - 120);
    gtk_container_add(GTK_CONTAINER(scrolled), c.list);
    gtk_box_pack_start(GTK_BOX(box), scrolled, TRUE, TRUE, 0);

    gtk_widget_show_all(c.dialog);
    Fill(&c);
    std::string result;
    if (gtk_dialog_run(GTK_DIALOG(c.dialog)) == GTK_RESPONSE_OK) {
        std::string name;
        int kind = 1;
        // Without a row, the folder being shown is the answer: so the start folder itself
        // can be chosen as a destination.
        if (Selected(&c, &name, &kind) && kind != 2)
            result = c.folder + name;
        else if (FolderExists(c.folder))
            result = c.folder.substr(0, c.folder.size() - 1);
    }
    gtk_widget_destroy(c.dialog);
    if (c.folderIcon != nullptr)
        g_object_unref(c.folderIcon);
    return result;
}

}  // namespace

void InstallFileChooser() { uiHooks.getFilename = GtkGetFilename; }
