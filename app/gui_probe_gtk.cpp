#include "app/gui_probe_gtk.h"

#include <cstdio>
#include <cstdlib>

#include "base/interface.h"
#include "app/main_window.h"
#include "base/sensitivity.h"

namespace {

std::string Quote(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// [x, y, w, h] on the screen, or null when the widget is not on screen.
std::string Rect(GtkWidget* widget)
{
    if (!isWidget(widget) || widget->window == nullptr || !GTK_WIDGET_MAPPED(widget))
        return "null";
    int ox = 0, oy = 0;
    gdk_window_get_origin(widget->window, &ox, &oy);
    GtkAllocation a = widget->allocation;
    if (GTK_WIDGET_NO_WINDOW(widget)) {
        ox += a.x;
        oy += a.y;
    }
    char buf[96];
    std::snprintf(buf, sizeof buf, "[%d, %d, %d, %d]", ox, oy, a.width, a.height);
    return buf;
}

// What sliders, combo boxes and text views show: a slider's value and where its knob is
// (a test drags it), the chosen entry of a combo box, the text of a text view.
std::string Extra(GtkWidget* widget)
{
    std::string s;
    char buf[160];
    if (GTK_IS_RANGE(widget)) {
        GtkRange* range = GTK_RANGE(widget);
        std::snprintf(buf, sizeof buf, ", \"value\": %.9g", gtk_range_get_value(range));
        s += buf;
        std::string knob = "null";
        if (widget->window != nullptr && GTK_WIDGET_MAPPED(widget)) {
            int ox = 0, oy = 0;
            gdk_window_get_origin(widget->window, &ox, &oy);
            if (GTK_WIDGET_NO_WINDOW(widget)) {
                ox += widget->allocation.x;
                oy += widget->allocation.y;
            }
            GdkRectangle r;
            gtk_range_get_range_rect(range, &r);
            int start = 0, end = 0;
            gtk_range_get_slider_range(range, &start, &end);
            if (GTK_IS_VSCALE(widget) || GTK_IS_VSCROLLBAR(widget))
                std::snprintf(buf, sizeof buf, "[%d, %d, %d, %d]", ox + r.x, oy + start, r.width,
                              end - start);
            else
                std::snprintf(buf, sizeof buf, "[%d, %d, %d, %d]", ox + start, oy + r.y,
                              end - start, r.height);
            knob = buf;
            std::snprintf(buf, sizeof buf, ", \"trough\": [%d, %d, %d, %d]", ox + r.x, oy + r.y,
                          r.width, r.height);
            s += buf;
        }
        s += ", \"knob\": " + knob;
    }
    if (GTK_IS_COMBO_BOX(widget)) {
        GtkComboBox* combo = GTK_COMBO_BOX(widget);
        std::string text;
        GtkTreeIter iter;
        GtkTreeModel* model = gtk_combo_box_get_model(combo);
        if (model != nullptr && gtk_tree_model_get_column_type(model, 0) == G_TYPE_STRING &&
            gtk_combo_box_get_active_iter(combo, &iter)) {
            gchar* t = nullptr;
            gtk_tree_model_get(model, &iter, 0, &t, -1);
            text = t != nullptr ? t : "";
            g_free(t);
        }
        s += ", \"index\": " + std::to_string(gtk_combo_box_get_active(combo)) +
             ", \"text\": " + Quote(text);
    }
    if (GTK_IS_TEXT_VIEW(widget)) {
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget));
        GtkTextIter from, to;
        gtk_text_buffer_get_bounds(buffer, &from, &to);
        gchar* t = gtk_text_buffer_get_text(buffer, &from, &to, FALSE);
        s += ", \"text\": " + Quote(t != nullptr ? t : "");
        g_free(t);
    }
    return s;
}

std::string State(GtkWidget* widget)
{
    if (!isWidget(widget))
        return "null";
    std::string s = "{\"sensitive\": ";
    s += gtk_widget_get_sensitive(widget) ? "true" : "false";
    s += ", \"visible\": ";
    s += gtk_widget_get_visible(widget) ? "true" : "false";
    if (GTK_IS_TOGGLE_BUTTON(widget))
        s += std::string(", \"active\": ") +
             (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)) ? "true" : "false");
    if (GTK_IS_ENTRY(widget))
        s += ", \"text\": " + Quote(gtk_entry_get_text(GTK_ENTRY(widget)));
    s += Extra(widget);
    // Whether a labelled button shows its whole text (none of it cut off at the button's edge).
    GtkWidget* label = GTK_IS_BUTTON(widget) ? gtk_bin_get_child(GTK_BIN(widget)) : nullptr;
    if (label != nullptr && GTK_IS_LABEL(label) && GTK_WIDGET_MAPPED(label)) {
        int w = 0, h = 0;
        pango_layout_get_pixel_size(gtk_label_get_layout(GTK_LABEL(label)), &w, &h);
        s += std::string(", \"textFits\": ") +
             (w <= label->allocation.width && h <= label->allocation.height ? "true" : "false");
    }
    return s + ", \"rect\": " + Rect(widget) + "}";
}

void Write(const std::string& line)
{
    const char* path = std::getenv("CORVAN_GUI_PROBE");
    if (path == nullptr || *path == '\0')
        return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fputs((line + "\n").c_str(), f);
        std::fclose(f);
    }
}

const char* ScreenName(Screen s)
{
    switch (s) {
    case Screen::PatternView: return "PatternView";
    case Screen::StitchingView: return "StitchingView";
    case Screen::PatternSelect: return "PatternSelect";
    case Screen::ExtentsSetup: return "ExtentsSetup";
    case Screen::Trace: return "Trace";
    case Screen::Camera: return "Camera";
    case Screen::Setup: return "Setup";
    case Screen::FileManager: return "FileManager";
    }
    return "";
}

void AddRows(std::string* out, GtkTreeView* view, GtkTreeModel* model, GtkTreeIter* parent,
             const std::string& prefix, int column)
{
    GtkTreeIter iter;
    if (!gtk_tree_model_iter_children(model, &iter, parent))
        return;
    do {
        gchar* name = nullptr;
        gtk_tree_model_get(model, &iter, column, &name, -1);
        std::string label = prefix + (name != nullptr ? name : "");
        g_free(name);
        GtkTreePath* path = gtk_tree_model_get_path(model, &iter);
        GdkRectangle cell;
        gtk_tree_view_get_background_area(view, path, nullptr, &cell);
        GdkRectangle visible;
        gtk_tree_view_get_visible_rect(view, &visible);
        cell.width = visible.width;
        GdkWindow* bin = gtk_tree_view_get_bin_window(view);
        if (bin != nullptr && cell.height > 0) {
            int ox = 0, oy = 0;
            gdk_window_get_origin(bin, &ox, &oy);
            char buf[96];
            std::snprintf(buf, sizeof buf, "[%d, %d, %d, %d]", ox + cell.x, oy + cell.y,
                          cell.width, cell.height);
            if (!out->empty())
                *out += ", ";
            *out += Quote(label) + ": " + buf;
        }
        if (gtk_tree_view_row_expanded(view, path))
            AddRows(out, view, model, &iter, label + "/", column);
        gtk_tree_path_free(path);
    } while (gtk_tree_model_iter_next(model, &iter));
}

std::string Rows(GtkWidget* treeView, int column = 0)
{
    if (!isWidget(treeView) || !GTK_WIDGET_REALIZED(treeView))
        return "{}";
    std::string rows;
    GtkTreeView* view = GTK_TREE_VIEW(treeView);
    AddRows(&rows, view, gtk_tree_view_get_model(view), nullptr, "", column);
    return "{" + rows + "}";
}

}  // namespace

void ProbeWrite(const std::string& line) { Write(line); }

std::string ProbeQuote(const std::string& text) { return Quote(text); }

bool ProbeEnabled()
{
    const char* path = std::getenv("CORVAN_GUI_PROBE");
    return path != nullptr && *path != '\0';
}

void ProbeMainWindow(const char* event)
{
    if (!ProbeEnabled())
        return;
    char mask[16];
    std::snprintf(mask, sizeof mask, "%u", CurrentSensitivity());
    std::string items;
    for (int i = 0; i < kSensitiveItemCount; ++i) {
        GtkWidget* w = mainUi.menu.items[i];
        if (w == nullptr)
            continue;
        if (!items.empty())
            items += ", ";
        items += Quote(SensitiveItemLabel(static_cast<SensitiveItem>(i))) + ": " + State(w);
    }
    const ToolbarRecord& t = mainUi.toolbar;
    std::string toolbar = "\"Start\": " + State(t.startButton) + ", \"Stop\": " +
                          State(t.stopButton) + ", \"Stitching\": " + State(t.stitchingToggle) +
                          ", \"Lock X\": " + State(t.lockXToggle) + ", \"Lock Y\": " +
                          State(t.lockYToggle) + ", \"Edit\": " + State(t.editButton) +
                          ", \"Stitch On/Off\": " + State(testItem1) + ", \"Needle Up\": " +
                          State(testItem2);
    std::string widgets = "\"home\": " + Rect(mainUi.menu.homeItem) +
                          ", \"edit\": " + Rect(mainUi.menu.editItem) +
                          ", \"view\": " + Rect(mainUi.menu.viewItem) +
                          ", \"stitch\": " + Rect(mainUi.menu.stitchItem) +
                          ", \"drawingArea\": " + Rect(mainUi.drawingArea) +
                          ", \"selectButton\": " + State(mainUi.selectButton) +
                          ", \"repeatButton\": " + State(mainUi.repeatButton) +
                          ", \"pauseButton\": " + State(mainUi.pauseButton) +
                          ", \"threadButton\": " + State(mainUi.threadButton) +
                          ", \"traceStart\": " + State(mainUi.traceStartToggle) +
                          ", \"traceSave\": " + State(mainUi.traceSaveButton) +
                          ", \"videoButton\": " + State(mainUi.videoButton) +
                          ", \"snapshotButton\": " + State(mainUi.snapshotButton) +
                          ", \"calibrateButton\": " + State(mainUi.calibrateButton);
    std::string name;
    if (isWidget(mainUi.patternNameLabel))
        name = gtk_label_get_text(GTK_LABEL(mainUi.patternNameLabel));
    Write(std::string("{\"event\": ") + Quote(event) + ", \"screen\": " +
          Quote(ScreenName(mainUi.screenKind)) + ", \"mask\": " + mask + ", \"menu\": {" +
          items + "}, \"toolbar\": {" + toolbar + "}, \"widgets\": {" + widgets +
          "}, \"patternName\": " + Quote(name) + ", \"rows\": " + Rows(mainUi.patternTree) +
          "}");
}

void ProbeWidget(const char* event, GtkWidget* widget)
{
    if (!ProbeEnabled())
        return;
    char view[128];
    std::snprintf(view, sizeof view, ", \"scale\": %.9g, \"panX\": %d, \"panY\": %d",
                  double(interface_.viewScale), interface_.panX, interface_.panY);
    Write(std::string("{\"event\": ") + Quote(event) + ", \"rect\": " + Rect(widget) + view + "}");
}

void ProbeMenu(GtkWidget* menu)
{
    if (!ProbeEnabled() || !isWidget(menu))
        return;
    std::string items;
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* l = children; l != nullptr; l = l->next) {
        GtkWidget* item = GTK_WIDGET(l->data);
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(item));
        if (child == nullptr || !GTK_IS_LABEL(child) || !gtk_widget_get_visible(item))
            continue;
        if (!items.empty())
            items += ", ";
        items += Quote(gtk_label_get_text(GTK_LABEL(child))) + ": " + State(item);
    }
    g_list_free(children);
    Write("{\"event\": \"menu\", \"items\": {" + items + "}}");
}

void ProbeList(const char* event, GtkWidget* treeView, int nameColumn, GtkWidget* ok,
               GtkWidget* cancel)
{
    if (!ProbeEnabled())
        return;
    Write(std::string("{\"event\": ") + Quote(event) + ", \"rows\": " +
          Rows(treeView, nameColumn) +
          ", \"ok\": " + State(ok) + ", \"cancel\": " + State(cancel) + "}");
}

namespace {

gboolean ProbeIdle(gpointer data)
{
    ProbeMainWindow(static_cast<const char*>(data));
    return FALSE;
}

gboolean ProbeMenuIdle(gpointer data)
{
    auto* menu = static_cast<GtkWidget*>(data);
    if (isWidget(menu) && GTK_WIDGET_MAPPED(menu))
        ProbeMenu(menu);
    g_object_unref(menu);
    return FALSE;
}

}  // namespace

void ProbeLater(const char* event)
{
    if (ProbeEnabled())
        g_idle_add_full(G_PRIORITY_LOW, ProbeIdle, const_cast<char*>(event), nullptr);
}

namespace {

gboolean ProbeMessageIdle(gpointer data)
{
    auto* dialog = static_cast<GtkWidget*>(data);
    if (isWidget(dialog) && GTK_WIDGET_MAPPED(dialog) && GTK_IS_MESSAGE_DIALOG(dialog)) {
        std::string buttons;
        GList* children = gtk_container_get_children(GTK_CONTAINER(GTK_DIALOG(dialog)->action_area));
        for (GList* l = children; l != nullptr; l = l->next) {
            GtkWidget* button = GTK_WIDGET(l->data);
            if (!buttons.empty())
                buttons += ", ";
            buttons += Quote(std::to_string(
                           gtk_dialog_get_response_for_widget(GTK_DIALOG(dialog), button))) +
                       ": " + Rect(button);
        }
        g_list_free(children);
        const char* text = gtk_label_get_text(GTK_LABEL(GTK_MESSAGE_DIALOG(dialog)->label));
        Write(std::string("{\"event\": \"message\", \"text\": ") + Quote(text ? text : "") +
              ", \"buttons\": {" + buttons + "}}");
    }
    g_object_unref(dialog);
    return FALSE;
}

}  // namespace

gboolean ProbeMessageExpose(GtkWidget* dialog, GdkEventExpose*, gpointer)
{
    // Once per window: later exposes show the same text.
    if (ProbeEnabled() && g_object_get_data(G_OBJECT(dialog), "probed") == nullptr) {
        g_object_set_data(G_OBJECT(dialog), "probed", dialog);
        g_idle_add_full(G_PRIORITY_LOW, ProbeMessageIdle, g_object_ref(dialog), nullptr);
    }
    return FALSE;
}

gboolean ProbeMenuExpose(GtkWidget* menu, GdkEventExpose*, gpointer)
{
    if (ProbeEnabled())
        g_idle_add_full(G_PRIORITY_LOW, ProbeMenuIdle, g_object_ref(menu), nullptr);
    return FALSE;
}

namespace {

struct ListProbe {
    GtkWidget* view;
    int column;
    GtkWidget* ok;
    GtkWidget* cancel;
    GtkWidget* folders;
};

// "folders": [...], "folder": the active one, "dropDown": its rectangle.
std::string Folders(GtkWidget* combo)
{
    if (combo == nullptr || !isWidget(combo))
        return std::string();
    std::string list;
    GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(combo));
    GtkTreeIter iter;
    for (bool ok = gtk_tree_model_get_iter_first(model, &iter); ok;
         ok = gtk_tree_model_iter_next(model, &iter)) {
        gchar* text = nullptr;
        gtk_tree_model_get(model, &iter, 0, &text, -1);
        list += (list.empty() ? "" : ", ") + Quote(text != nullptr ? text : "");
        g_free(text);
    }
    gchar* active = gtk_combo_box_get_active_text(GTK_COMBO_BOX(combo));
    std::string out = ", \"folders\": [" + list + "], \"folder\": " +
                      Quote(active != nullptr ? active : "") + ", \"dropDown\": " + Rect(combo);
    g_free(active);
    return out;
}

gboolean ProbeListIdle(gpointer data)
{
    auto* p = static_cast<ListProbe*>(data);
    if (isWidget(p->view) && GTK_WIDGET_MAPPED(p->view) && ProbeEnabled())
        Write(std::string("{\"event\": \"chooser\", \"rows\": ") + Rows(p->view, p->column) +
              ", \"ok\": " + State(p->ok) + ", \"cancel\": " + State(p->cancel) +
              Folders(p->folders) + "}");
    g_object_unref(p->view);
    g_object_unref(p->ok);
    g_object_unref(p->cancel);
    if (p->folders != nullptr)
        g_object_unref(p->folders);
    delete p;
    return FALSE;
}

}  // namespace

void ProbeLaterList(GtkWidget* treeView, int nameColumn, GtkWidget* ok, GtkWidget* cancel,
                    GtkWidget* folders)
{
    if (!ProbeEnabled())
        return;
    auto* p = new ListProbe{GTK_WIDGET(g_object_ref(treeView)), nameColumn,
                            GTK_WIDGET(g_object_ref(ok)), GTK_WIDGET(g_object_ref(cancel)),
                            folders != nullptr ? GTK_WIDGET(g_object_ref(folders)) : nullptr};
    g_idle_add_full(G_PRIORITY_LOW, ProbeListIdle, p, nullptr);
}

std::string ProbeRect(GtkWidget* widget) { return Rect(widget); }

void ProbeWidgets(const char* event, const std::vector<std::pair<std::string, GtkWidget*>>& widgets)
{
    if (!ProbeEnabled())
        return;
    std::string list;
    for (const auto& w : widgets)
        list += (list.empty() ? "" : ", ") + Quote(w.first) + ": " + State(w.second);
    Write(std::string("{\"event\": ") + Quote(event) + ", \"widgets\": {" + list + "}}");
}

namespace {

// Lines of $CORVAN_GUI_PROBE.in read so far (bytes).
long probeInputAt = 0;

// Activates the menu item with that label, hidden ones too; usable ones only.
void ActivateItem(const std::string& label)
{
    for (int i = 0; i < kSensitiveItemCount; ++i) {
        GtkWidget* item = mainUi.menu.items[i];
        if (item == nullptr || label != SensitiveItemLabel(static_cast<SensitiveItem>(i)))
            continue;
        const bool usable = gtk_widget_get_sensitive(item);
        Write("{\"event\": \"activate\", \"label\": " + Quote(label) +
              ", \"activated\": " + (usable ? "true" : "false") + "}");
        if (usable)
            gtk_menu_item_activate(GTK_MENU_ITEM(item));
        return;
    }
    Write("{\"event\": \"activate\", \"label\": " + Quote(label) + ", \"activated\": false}");
}

gboolean ProbeInputTick(gpointer)
{
    const std::string path = std::string(std::getenv("CORVAN_GUI_PROBE")) + ".in";
    FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr)
        return TRUE;
    std::vector<std::string> labels;
    if (std::fseek(f, probeInputAt, SEEK_SET) == 0) {
        std::string line;
        int c;
        long at = probeInputAt;
        while ((c = std::fgetc(f)) != EOF) {
            ++at;
            if (c != '\n') {
                line += char(c);
                continue;
            }
            labels.push_back(line);
            line.clear();
            probeInputAt = at;  // only whole lines count
        }
    }
    std::fclose(f);
    for (const std::string& label : labels)
        ActivateItem(label);
    return TRUE;
}

}  // namespace

void StartProbeInput()
{
    if (ProbeEnabled())
        g_timeout_add(100, ProbeInputTick, nullptr);
}

namespace {

// The widgets of a notebook page a test reads or taps: sliders, entries, combo boxes and
// text views by their widget name, buttons (check buttons too) by their label.
void AddPageWidgets(std::string* out, GtkWidget* widget)
{
    std::string key;
    bool leaf = true;
    if (GTK_IS_RANGE(widget) || GTK_IS_ENTRY(widget) || GTK_IS_COMBO_BOX(widget) ||
        GTK_IS_TEXT_VIEW(widget)) {
        key = gtk_widget_get_name(widget);
    } else if (GTK_IS_BUTTON(widget)) {
        const char* label = gtk_button_get_label(GTK_BUTTON(widget));
        key = label != nullptr ? label : gtk_widget_get_name(widget);
    } else {
        leaf = false;
    }
    if (!key.empty())
        *out += (out->empty() ? "" : ", ") + Quote(key) + ": " + State(widget);
    if (leaf || !GTK_IS_CONTAINER(widget))
        return;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* l = children; l != nullptr; l = l->next)
        AddPageWidgets(out, GTK_WIDGET(l->data));
    g_list_free(children);
}

struct NotebookProbe {
    const char* event;
    GtkWidget* notebook;
};

gboolean ProbeNotebookIdle(gpointer data)
{
    auto* p = static_cast<NotebookProbe*>(data);
    if (isWidget(p->notebook) && GTK_WIDGET_MAPPED(p->notebook))
        ProbeNotebook(p->event, p->notebook);
    g_object_unref(p->notebook);
    delete p;
    return FALSE;
}

}  // namespace

void ProbeNotebook(const char* event, GtkWidget* notebook)
{
    if (!ProbeEnabled() || !isWidget(notebook) || !GTK_IS_NOTEBOOK(notebook))
        return;
    GtkNotebook* nb = GTK_NOTEBOOK(notebook);
    const int current = gtk_notebook_get_current_page(nb);
    std::string tabs;
    for (int i = 0; i < gtk_notebook_get_n_pages(nb); ++i) {
        GtkWidget* tab = gtk_notebook_get_tab_label(nb, gtk_notebook_get_nth_page(nb, i));
        if (tab == nullptr || !GTK_IS_LABEL(tab))
            continue;
        tabs += (tabs.empty() ? "" : ", ") + Quote(gtk_label_get_text(GTK_LABEL(tab))) + ": " +
                Rect(tab);
    }
    std::string widgets;
    if (current >= 0)
        AddPageWidgets(&widgets, gtk_notebook_get_nth_page(nb, current));
    Write(std::string("{\"event\": ") + Quote(event) + ", \"page\": " +
          std::to_string(current) + ", \"tabs\": {" + tabs + "}, \"widgets\": {" + widgets +
          "}}");
}

void ProbeLaterNotebook(const char* event, GtkWidget* notebook)
{
    if (ProbeEnabled() && isWidget(notebook))
        g_idle_add_full(G_PRIORITY_LOW, ProbeNotebookIdle,
                        new NotebookProbe{event, GTK_WIDGET(g_object_ref(notebook))}, nullptr);
}
