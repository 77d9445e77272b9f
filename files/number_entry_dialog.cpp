// The number pad: a modal dialog "ENTER NUMBER" with the entry, the keys 1 to 9, backspace, 0
// and (when allowed) ".", and in angle mode the check box "Counterclockwise".

#include <gtk/gtk.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/gui_probe_gtk.h"
#include "app/main_window.h"
#include "app/message_windows_gtk.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "files/keyboard.h"
#include "files/keyboard_dialog.h"

namespace {

struct NumberPad {
    GtkWidget* dialog = nullptr;
    GtkWidget* entry = nullptr;
    GtkWidget* counterclockwise = nullptr;
    GtkWidget* ok = nullptr;
    GtkWidget* cancel = nullptr;
    // The keys by what they type ("0".."9", "." and "<-" for backspace).
    std::vector<std::pair<std::string, GtkWidget*>> keys;
    // Set while the entry still shows the caller's value: the first key starts afresh.
    bool eraseText = true;
};

NumberPad* pad = nullptr;

void ProbePad(NumberPad* p)
{
    std::string keys;
    for (const auto& key : p->keys) {
        if (!keys.empty())
            keys += ", ";
        keys += ProbeQuote(key.first) + ": " + ProbeRect(key.second);
    }
    std::string ccw = "null";
    if (p->counterclockwise != nullptr)
        ccw = std::string("{\"active\": ") +
              (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(p->counterclockwise)) ? "true"
                                                                                     : "false") +
              ", \"rect\": " + ProbeRect(p->counterclockwise) + "}";
    ProbeWrite("{\"event\": \"numberpad\", \"prompt\": \"ENTER NUMBER\", \"text\": " +
               ProbeQuote(gtk_entry_get_text(GTK_ENTRY(p->entry))) + ", \"cursor\": " +
               std::to_string(gtk_editable_get_position(GTK_EDITABLE(p->entry))) +
               ", \"keys\": {" + keys + "}, \"counterclockwise\": " + ccw +
               ", \"buttons\": {\"ok\": " + ProbeRect(p->ok) + ", \"cancel\": " +
               ProbeRect(p->cancel) + "}, \"window\": " + ProbeRect(p->dialog) + "}");
}

gboolean ProbePadIdle(gpointer data)
{
    if (pad == data && isWidget(pad->dialog) && GTK_WIDGET_MAPPED(pad->dialog))
        ProbePad(pad);
    return FALSE;
}

void ProbeLaterPad(NumberPad* p)
{
    if (ProbeEnabled())
        g_idle_add_full(G_PRIORITY_LOW, ProbePadIdle, p, nullptr);
}

void OnNumberClicked(GtkWidget* button, gpointer data)
{
    auto* p = static_cast<NumberPad*>(data);
    const char* key = static_cast<const char*>(g_object_get_data(G_OBJECT(button), "key"));
    if (key == nullptr)
        return;
    const std::string shown = gtk_entry_get_text(GTK_ENTRY(p->entry));
    const std::string text = NumberPadKey(shown, p->eraseText, key[0]);
    gtk_entry_set_text(GTK_ENTRY(p->entry), text.c_str());
    gtk_editable_set_position(GTK_EDITABLE(p->entry), -1);
    ProbeLaterPad(p);
}

gboolean OnPadExposed(GtkWidget* dialog, GdkEventExpose*, gpointer data)
{
    if (g_object_get_data(G_OBJECT(dialog), "probed") == nullptr) {
        g_object_set_data(G_OBJECT(dialog), "probed", data);
        ProbeLaterPad(static_cast<NumberPad*>(data));
    }
    return FALSE;
}

GtkWidget* AddKey(NumberPad* p, GtkWidget* table, const char* label, const char* key, int column,
                  int row)
{
    // The label is plain text: "<-" is never read as markup.
    GtkWidget* button = gtk_button_new_with_label(label);
    gtk_button_set_focus_on_click(GTK_BUTTON(button), FALSE);
    gtk_widget_set_size_request(button, 35, 35);
    g_object_set_data(G_OBJECT(button), "key", const_cast<char*>(key));
    g_signal_connect(button, "clicked", G_CALLBACK(OnNumberClicked), p);
    gtk_table_attach(GTK_TABLE(table), button, column, column + 1, row, row + 1, GTK_FILL,
                     GTK_FILL, 1, 1);
    p->keys.emplace_back(label, button);
    return button;
}

void Build(NumberPad* p, const std::string& startText, int allowDecimal, int angleMode)
{
    GtkWindow* parent = isWidget(mainUi.window) && GTK_IS_WINDOW(mainUi.window)
                            ? GTK_WINDOW(mainUi.window)
                            : nullptr;
    p->dialog = gtk_dialog_new_with_buttons("ENTER NUMBER", parent, GTK_DIALOG_MODAL, nullptr,
                                            GTK_RESPONSE_NONE, nullptr);
    p->ok = gtk_dialog_add_button(GTK_DIALOG(p->dialog), "gtk-ok", GTK_RESPONSE_OK);
    p->cancel = gtk_dialog_add_button(GTK_DIALOG(p->dialog), "gtk-cancel", GTK_RESPONSE_CANCEL);
    gtk_window_set_resizable(GTK_WINDOW(p->dialog), FALSE);
    gtk_container_set_border_width(GTK_CONTAINER(p->dialog), 0);
    // The size is set on the dialog's box, which holds the buttons too: never more than the
    // screen, so OK stays on it.
    const int width = std::min(number_entry_width, screen_width);
    const int height = std::min(number_entry_height, screen_height);
    GtkWidget* vbox = GTK_DIALOG(p->dialog)->vbox;
    gtk_widget_set_size_request(vbox, width, height);
    gtk_window_move(GTK_WINDOW(p->dialog), std::max(0, screen_width / 2 - width / 2),
                    std::max(0, screen_height / 2 - height / 2));
    if (cursorExposeHandler != nullptr)
        g_signal_connect(p->dialog, "expose-event", G_CALLBACK(cursorExposeHandler), nullptr);
    if (drawFrameHandler != nullptr)
        g_signal_connect_after(p->dialog, "expose-event", G_CALLBACK(drawFrameHandler), nullptr);
    g_signal_connect(p->dialog, "expose-event", G_CALLBACK(OnPadExposed), p);

    GtkWidget* table = gtk_table_new(5, 4, FALSE);
    GtkWidget* align = gtk_alignment_new(0.5, 0, 0, 0);
    gtk_container_add(GTK_CONTAINER(align), table);
    gtk_box_pack_start(GTK_BOX(vbox), align, FALSE, FALSE, 2);

    p->entry = gtk_entry_new();
    gtk_widget_set_size_request(p->entry, 150, 25);
    gtk_entry_set_text(GTK_ENTRY(p->entry), startText.c_str());
    gtk_table_attach(GTK_TABLE(table), p->entry, 0, 4, 0, 1, GTK_FILL, GTK_FILL, 1, 1);
    static const char* const digits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    for (int i = 0; i < 9; ++i)
        AddKey(p, table, digits[i], digits[i], i % 3, 1 + i / 3);
    static const char backspace[] = {kNumberPadBackspace, '\0'};
    AddKey(p, table, "<-", backspace, 0, 4);
    AddKey(p, table, "0", "0", 1, 4);
    if (allowDecimal != 0)
        AddKey(p, table, ".", ".", 2, 4);
    if (angleMode == 1) {
        p->counterclockwise = gtk_check_button_new_with_label("Counterclockwise");
        gtk_button_set_focus_on_click(GTK_BUTTON(p->counterclockwise), FALSE);
        gtk_box_pack_start(GTK_BOX(vbox), p->counterclockwise, FALSE, FALSE, 0);
    }
}

}  // namespace

double NumberEntry(const std::string& startText, int allowDecimal, int angleMode)
{
    // One at a time: a second pad (or a pad over the keyboard) answers Cancel at once.
    if (modalInputOpen)
        return NumberPadResult(startText, false, startText, angleMode, false);
    modalInputOpen = true;
    NumberPad p;
    Build(&p, startText, allowDecimal, angleMode);
    NumberPad* outer = pad;
    pad = &p;
    gtk_widget_show_all(p.dialog);
    gtk_widget_grab_focus(p.entry);
    gtk_editable_set_position(GTK_EDITABLE(p.entry), -1);

    // The dialog may be destroyed while it runs: that ends it like Cancel.
    GtkWidget* dialog = p.dialog;
    g_object_add_weak_pointer(G_OBJECT(dialog), reinterpret_cast<gpointer*>(&dialog));
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    double result = NumberPadResult(startText, false, startText, angleMode, false);
    if (dialog != nullptr) {
        if (response == GTK_RESPONSE_OK) {
            const bool ccw = p.counterclockwise != nullptr &&
                             gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(p.counterclockwise));
            result = NumberPadResult(gtk_entry_get_text(GTK_ENTRY(p.entry)), true, startText,
                                     angleMode, ccw);
        }
        g_object_remove_weak_pointer(G_OBJECT(dialog), reinterpret_cast<gpointer*>(&dialog));
        gtk_widget_destroy(dialog);
    }
    pad = outer;
    modalInputOpen = false;
    UiRedrawView();
    return result;
}
