// The properties dialog's widgets: the start point and size of a placement in six entries
// (touched, they open the number pad), "Retrieve Start Point" and "Move All". What the
// entries hold and what OK does is PropertiesState's.

#include "app/pattern_dialogs_gtk.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/gui_probe_gtk.h"
#include "app/main_window.h"
#include "app/message_windows_gtk.h"
#include "app/pattern_dialogs.h"
#include "app/popup_actions.h"
#include "base/screen_config.h"

namespace {

struct PropertiesWidgets {
    PropertiesState* state = nullptr;
    GtkWidget* dialog = nullptr;
    GtkWidget* entries[6] = {};
    GtkWidget* retrieve = nullptr;
    GtkWidget* moveAll = nullptr;
    GtkWidget* ok = nullptr;
    GtkWidget* cancel = nullptr;
};

const char* const kEntryNames[6] = {"localX", "localY", "actualX", "actualY", "width", "height"};

void ProbeProperties(PropertiesWidgets* p)
{
    std::vector<std::pair<std::string, GtkWidget*>> widgets;
    for (int i = 0; i < 6; ++i)
        widgets.emplace_back(kEntryNames[i], p->entries[i]);
    widgets.emplace_back("retrieve", p->retrieve);
    widgets.emplace_back("moveAll", p->moveAll);
    widgets.emplace_back("ok", p->ok);
    widgets.emplace_back("cancel", p->cancel);
    ProbeWidgets("propertiesDialog", widgets);
}

gboolean ProbePropertiesIdle(gpointer data)
{
    auto* dialog = static_cast<GtkWidget*>(data);
    auto* p = static_cast<PropertiesWidgets*>(g_object_get_data(G_OBJECT(dialog), "properties"));
    if (p != nullptr && isWidget(dialog) && GTK_WIDGET_MAPPED(dialog))
        ProbeProperties(p);
    g_object_unref(dialog);
    return FALSE;
}

void ProbePropertiesLater(PropertiesWidgets* p)
{
    if (ProbeEnabled())
        g_idle_add_full(G_PRIORITY_LOW, ProbePropertiesIdle, g_object_ref(p->dialog), nullptr);
}

void ShowTexts(PropertiesWidgets* p)
{
    for (int i = 0; i < 6; ++i)
        gtk_entry_set_text(GTK_ENTRY(p->entries[i]), p->state->text[size_t(i)].c_str());
    ProbePropertiesLater(p);
}

gboolean OnDialogExposed(GtkWidget* dialog, GdkEventExpose*, gpointer data)
{
    if (g_object_get_data(G_OBJECT(dialog), "probed") == nullptr) {
        g_object_set_data(G_OBJECT(dialog), "probed", data);
        ProbePropertiesLater(static_cast<PropertiesWidgets*>(data));
    }
    return FALSE;
}

// A press on an entry is taken here: the number pad, not the entry, answers the touch.
gboolean SwallowPress(GtkWidget*, GdkEventButton*, gpointer) { return TRUE; }

void Attach(GtkWidget* table, GtkWidget* widget, int left, int right, int row)
{
    gtk_table_attach(GTK_TABLE(table), widget, guint(left), guint(right), guint(row),
                     guint(row + 1), GTK_FILL, GTK_FILL, 1, 2);
}

// Labels and buttons in a small font: four columns must fit the touch screen's width.
void SmallFont(GtkWidget* widget)
{
    PangoFontDescription* font = pango_font_description_from_string("Sans 8");
    gtk_widget_modify_font(widget, font);
    pango_font_description_free(font);
}

GtkWidget* Label(const char* text)
{
    GtkWidget* label = gtk_label_new(text);
    gtk_misc_set_alignment(GTK_MISC(label), 1, 0.5);
    SmallFont(label);
    return label;
}

}  // namespace

gboolean OnEntryClicked(GtkWidget* entry, GdkEventButton*, gpointer data)
{
    auto* p = static_cast<PropertiesWidgets*>(data);
    if (!gtk_widget_get_sensitive(entry))
        return TRUE;
    for (int i = 0; i < 6; ++i)
        if (p->entries[i] == entry)
            PropertiesEntryTouched(*p->state, i);
    ShowTexts(p);
    return TRUE;
}

void OnBtnSetStartClicked(GtkWidget*, gpointer data)
{
    auto* p = static_cast<PropertiesWidgets*>(data);
    PropertiesRetrieve(*p->state, ReadMachinePosition);
    ShowTexts(p);
}

void OnCBMoveAllClicked(GtkToggleButton* check, gpointer data)
{
    auto* p = static_cast<PropertiesWidgets*>(data);
    p->state->moveAll = gtk_toggle_button_get_active(check) != 0;
    // Moving the whole box leaves the pattern's size alone.
    gtk_widget_set_sensitive(p->entries[PROP_WIDTH], !p->state->moveAll);
    gtk_widget_set_sensitive(p->entries[PROP_HEIGHT], !p->state->moveAll);
    ProbePropertiesLater(p);
}

namespace {

int RunPropertiesDialog(PropertiesState& state)
{
    auto* widgets = new PropertiesWidgets;
    PropertiesWidgets& p = *widgets;
    p.state = &state;
    p.dialog = NewPatternDialog("Properties", "properties", widgets, [](gpointer w) {
        delete static_cast<PropertiesWidgets*>(w);
    });
    p.ok = gtk_dialog_add_button(GTK_DIALOG(p.dialog), "gtk-ok", GTK_RESPONSE_OK);
    p.cancel = gtk_dialog_add_button(GTK_DIALOG(p.dialog), "gtk-cancel", GTK_RESPONSE_CANCEL);
    GtkWidget* vbox = GTK_DIALOG(p.dialog)->vbox;
    g_signal_connect(p.dialog, "expose-event", G_CALLBACK(OnDialogExposed), widgets);

    GtkWidget* table = gtk_table_new(4, 4, FALSE);
    static const char* const labels[6] = {"Local Start X:", "Local Start Y:", "Actual X:",
                                          "Actual Y:", "Width:", "Height:"};
    static const int rows[6] = {0, 0, 1, 1, 3, 3};
    for (int i = 0; i < 6; ++i) {
        GtkWidget* entry = gtk_entry_new();
        gtk_widget_set_size_request(entry, 55, 25);
        gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);
        p.entries[i] = entry;
        const int left = (i % 2) * 2;
        Attach(table, Label(labels[i]), left, left + 1, rows[i]);
        Attach(table, entry, left + 1, left + 2, rows[i]);
        if (i == PROP_ACTUAL_X || i == PROP_ACTUAL_Y) {
            gtk_widget_set_sensitive(entry, FALSE);
            continue;
        }
        g_signal_connect(entry, "button-press-event", G_CALLBACK(SwallowPress), nullptr);
        g_signal_connect(entry, "button-release-event", G_CALLBACK(OnEntryClicked), widgets);
    }
    p.retrieve = gtk_button_new_with_label("Retrieve Start Point");
    SmallFont(gtk_bin_get_child(GTK_BIN(p.retrieve)));
    Attach(table, p.retrieve, 0, 2, 2);
    g_signal_connect(p.retrieve, "clicked", G_CALLBACK(OnBtnSetStartClicked), widgets);
    p.moveAll = gtk_check_button_new_with_label("Move All");
    SmallFont(gtk_bin_get_child(GTK_BIN(p.moveAll)));
    Attach(table, p.moveAll, 2, 4, 2);
    g_signal_connect(p.moveAll, "toggled", G_CALLBACK(OnCBMoveAllClicked), widgets);
    GtkWidget* align = gtk_alignment_new(0.5, 0.5, 0, 0);
    gtk_container_add(GTK_CONTAINER(align), table);
    gtk_box_pack_start(GTK_BOX(vbox), align, TRUE, TRUE, 0);
    for (int i = 0; i < 6; ++i)
        gtk_entry_set_text(GTK_ENTRY(p.entries[i]), state.text[size_t(i)].c_str());

    gtk_widget_show_all(p.dialog);
    GtkWidget* dialog = GTK_WIDGET(g_object_ref(p.dialog));
    int response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (response == GTK_RESPONSE_NONE)
        response = RESPONSE_DELETE;
    gtk_widget_destroy(dialog);
    g_object_unref(dialog);
    return response;
}

}  // namespace

void InstallPropertiesDialog() { uiHooks.propertiesDialog = RunPropertiesDialog; }
