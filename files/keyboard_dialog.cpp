// The on-screen keyboard: an undecorated modal window with the prompt and the entry, forty
// character keys, Shift, space, backspace, OK and Cancel. It runs a nested main loop until OK
// or Cancel (or its destruction) ends it.

#include "files/keyboard_dialog.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/gui_probe_gtk.h"
#include "app/main_window.h"
#include "app/message_windows_gtk.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "files/keyboard.h"

bool modalInputOpen = false;

namespace {

struct Keyboard {
    GtkWidget* window = nullptr;
    GtkWidget* entry = nullptr;
    GtkWidget* btnShift = nullptr;
    GtkWidget* space = nullptr;
    GtkWidget* backspace = nullptr;
    GtkWidget* ok = nullptr;
    GtkWidget* cancelButton = nullptr;
    GtkWidget* keys[kKeyCount] = {};
    std::string prompt;
    KeyboardModel model;
    // 1 unless OK ended the keyboard: a keyboard destroyed from outside was not confirmed.
    int cancel = 1;
    bool loopRunning = false;
    // The entry's content, kept up to date, so it survives the window's destruction.
    std::string text;
};

Keyboard* keyboard = nullptr;

// The sizes of one layout.
struct Geometry {
    int width, height, key, margin;
};

// The large layout only where it fits: on a small screen it would hide OK and Cancel.
Geometry ChooseGeometry()
{
    if (icon_style == 1 && screen_width >= 480 && screen_height >= 348)
        return {480, 348, 46, 10};
    return {320, 240, 31, 5};
}

// --- Reading and writing the entry ----------------------------------------------------------

EntryText ReadEntry(GtkWidget* entry)
{
    EntryText e;
    e.text = gtk_entry_get_text(GTK_ENTRY(entry));
    gint start = 0, end = 0;
    if (gtk_editable_get_selection_bounds(GTK_EDITABLE(entry), &start, &end)) {
        e.selectionBound = start;
        e.cursor = end;
    } else {
        e.cursor = e.selectionBound = gtk_editable_get_position(GTK_EDITABLE(entry));
    }
    return e;
}

// Focusing an entry selects all of it, so the next key would wipe the text: the cursor is
// placed after every grab.
void FocusAt(GtkWidget* entry, int position)
{
    gtk_widget_grab_focus(entry);
    gtk_editable_set_position(GTK_EDITABLE(entry), position);
}

void WriteEntry(GtkWidget* entry, const EntryText& e)
{
    gtk_entry_set_text(GTK_ENTRY(entry), e.text.c_str());
    FocusAt(entry, e.cursor);
}

// --- Probe ----------------------------------------------------------------------------------

void ProbeKeyboard(Keyboard* k)
{
    std::string keys;
    for (int i = 0; i < kKeyCount; ++i) {
        if (!keys.empty())
            keys += ", ";
        keys += "{\"index\": " + std::to_string(i) + ", \"label\": " +
                ProbeQuote(gtk_button_get_label(GTK_BUTTON(k->keys[i]))) +
                ", \"rect\": " + ProbeRect(k->keys[i]) + "}";
    }
    const int cursor = gtk_editable_get_position(GTK_EDITABLE(k->entry));
    ProbeWrite("{\"event\": \"keyboard\", \"prompt\": " + ProbeQuote(k->prompt) +
               ", \"text\": " + ProbeQuote(gtk_entry_get_text(GTK_ENTRY(k->entry))) +
               ", \"cursor\": " + std::to_string(cursor) + ", \"shift\": " +
               (k->model.shift ? "true" : "false") + ", \"keys\": [" + keys +
               "], \"buttons\": {\"shift\": " + ProbeRect(k->btnShift) + ", \"space\": " +
               ProbeRect(k->space) + ", \"backspace\": " + ProbeRect(k->backspace) +
               ", \"ok\": " + ProbeRect(k->ok) + ", \"cancel\": " + ProbeRect(k->cancelButton) +
               "}, \"window\": " + ProbeRect(k->window) + "}");
}

gboolean ProbeKeyboardIdle(gpointer data)
{
    // Only the keyboard that asked, and only while it is still up.
    if (keyboard == data && isWidget(keyboard->window) && GTK_WIDGET_MAPPED(keyboard->window))
        ProbeKeyboard(keyboard);
    return FALSE;
}

void ProbeLaterKeyboard(Keyboard* k)
{
    if (ProbeEnabled())
        g_idle_add_full(G_PRIORITY_LOW, ProbeKeyboardIdle, k, nullptr);
}

// --- Handlers -------------------------------------------------------------------------------

void EndLoop(Keyboard* k)
{
    if (k->loopRunning) {
        k->loopRunning = false;
        gtk_main_quit();
    }
}

void ShiftButtonText(Keyboard* k)
{
    for (int i = 0; i < kKeyCount; ++i) {
        const char label[2] = {KeyCharacter(i, k->model.shift), '\0'};
        gtk_button_set_label(GTK_BUTTON(k->keys[i]), label);
    }
}

void OnBtnShiftToggled(GtkToggleButton* button, gpointer data)
{
    auto* k = static_cast<Keyboard*>(data);
    k->model.shift = gtk_toggle_button_get_active(button) != FALSE;
    ShiftButtonText(k);
    ProbeLaterKeyboard(k);
}

// Shift acts on one character: the toggle goes off (and relabels the keys) after it.
void ReleaseShift(Keyboard* k)
{
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(k->btnShift)))
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(k->btnShift), FALSE);
}

// A character key inserts its set's character by its index, never its label's text.
void OnBtnDataClicked(GtkWidget* button, gpointer data)
{
    auto* k = static_cast<Keyboard*>(data);
    const char* name = gtk_widget_get_name(button);
    char* end = nullptr;
    const long index = std::strtol(name, &end, 10);
    if (end == name || *end != '\0' || index < 0 || index >= kKeyCount)
        return;
    k->model.entry = ReadEntry(k->entry);
    k->model.PressKey(static_cast<int>(index));
    WriteEntry(k->entry, k->model.entry);
    ReleaseShift(k);
    ProbeLaterKeyboard(k);
}

void OnBtnSpaceClicked(GtkWidget*, gpointer data)
{
    auto* k = static_cast<Keyboard*>(data);
    k->model.entry = ReadEntry(k->entry);
    k->model.PressSpace();
    WriteEntry(k->entry, k->model.entry);
    ReleaseShift(k);
    ProbeLaterKeyboard(k);
}

void OnBtnBkspClicked(GtkWidget*, gpointer data)
{
    auto* k = static_cast<Keyboard*>(data);
    k->model.entry = ReadEntry(k->entry);
    k->model.PressBackspace();
    WriteEntry(k->entry, k->model.entry);
    ProbeLaterKeyboard(k);
}

void OnBtnOKClicked(GtkWidget*, gpointer data)
{
    auto* k = static_cast<Keyboard*>(data);
    k->cancel = 0;
    EndLoop(k);
}

void OnBtnCancelClicked(GtkWidget*, gpointer data)
{
    auto* k = static_cast<Keyboard*>(data);
    k->cancel = 1;
    EndLoop(k);
}

void OnEntryChanged(GtkEditable* entry, gpointer data)
{
    static_cast<Keyboard*>(data)->text = gtk_entry_get_text(GTK_ENTRY(entry));
}

// Destroyed from outside (its parent going, a window manager): that is a Cancel.
void OnKeyboardDestroyed(GtkWidget*, gpointer data)
{
    auto* k = static_cast<Keyboard*>(data);
    k->window = nullptr;
    if (k->loopRunning)
        k->cancel = 1;
    EndLoop(k);
}

gboolean OnKeyboardExposed(GtkWidget*, GdkEventExpose*, gpointer data)
{
    auto* k = static_cast<Keyboard*>(data);
    if (g_object_get_data(G_OBJECT(k->window), "probed") == nullptr) {
        g_object_set_data(G_OBJECT(k->window), "probed", k);
        ProbeLaterKeyboard(k);
    }
    return FALSE;
}

void CloseKeyboard(Keyboard* k)
{
    if (k->window != nullptr) {
        GtkWidget* window = k->window;
        g_signal_handlers_disconnect_by_func(window, reinterpret_cast<gpointer>(OnKeyboardDestroyed),
                                             k);
        k->window = nullptr;
        gtk_widget_destroy(window);
    }
}

// --- Building -------------------------------------------------------------------------------

GtkWidget* Row(GtkWidget* vbox, int margin, int top, int bottom)
{
    GtkWidget* align = gtk_alignment_new(0, 0, 0, 0);
    gtk_alignment_set_padding(GTK_ALIGNMENT(align), top, bottom, margin, 0);
    gtk_box_pack_start(GTK_BOX(vbox), align, FALSE, FALSE, 0);
    GtkWidget* hbox = gtk_hbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(align), hbox);
    return hbox;
}

// A key never takes the focus: the entry keeps it, with its cursor and selection.
GtkWidget* Key(GtkWidget* row, GtkWidget* button, int width, int height)
{
    gtk_button_set_focus_on_click(GTK_BUTTON(button), FALSE);
    GTK_WIDGET_UNSET_FLAGS(button, GTK_CAN_FOCUS);
    gtk_widget_set_size_request(button, width, height);
    gtk_box_pack_start(GTK_BOX(row), button, FALSE, FALSE, 0);
    return button;
}

// The shift picture, scaled to sit inside a key; turned for backspace. Null when missing.
GtkWidget* KeyImage(int key, bool turned)
{
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file("./images/shift.png", nullptr);
    if (pixbuf == nullptr)
        return nullptr;
    const int side = std::max(8, std::min(gdk_pixbuf_get_width(pixbuf), key - 16));
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(pixbuf, side, side, GDK_INTERP_BILINEAR);
    g_object_unref(pixbuf);
    if (turned) {
        GdkPixbuf* rotated = gdk_pixbuf_rotate_simple(scaled, GDK_PIXBUF_ROTATE_COUNTERCLOCKWISE);
        g_object_unref(scaled);
        scaled = rotated;
    }
    GtkWidget* image = gtk_image_new_from_pixbuf(scaled);
    g_object_unref(scaled);
    return image;
}

GtkWidget* ImageKey(GtkWidget* button, GtkWidget* image, const char* fallback)
{
    if (image != nullptr)
        gtk_container_add(GTK_CONTAINER(button), image);
    else
        gtk_button_set_label(GTK_BUTTON(button), fallback);
    return button;
}

void Build(Keyboard* k, const std::string& text)
{
    const Geometry g = ChooseGeometry();
    k->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(k->window), "Keyboard");
    gtk_window_set_decorated(GTK_WINDOW(k->window), FALSE);
    gtk_window_set_resizable(GTK_WINDOW(k->window), FALSE);
    gtk_window_set_modal(GTK_WINDOW(k->window), TRUE);
    if (isWidget(mainUi.window) && GTK_IS_WINDOW(mainUi.window))
        gtk_window_set_transient_for(GTK_WINDOW(k->window), GTK_WINDOW(mainUi.window));
    gtk_widget_set_size_request(k->window, g.width, g.height);
    // Centred as designed, but never off the screen's edges.
    const int x = std::clamp(screen_width / 2 - g.width / 2, 0, std::max(0, screen_width - g.width));
    const int y = std::clamp(screen_height / 2 - (g.key == 46 ? 116 : 120), 0,
                             std::max(0, screen_height - g.height));
    gtk_window_move(GTK_WINDOW(k->window), x, y);
    if (cursorExposeHandler != nullptr)
        g_signal_connect(k->window, "expose-event", G_CALLBACK(cursorExposeHandler), nullptr);
    if (drawFrameHandler != nullptr)
        g_signal_connect_after(k->window, "expose-event", G_CALLBACK(drawFrameHandler), nullptr);
    g_signal_connect(k->window, "expose-event", G_CALLBACK(OnKeyboardExposed), k);
    g_signal_connect(k->window, "destroy", G_CALLBACK(OnKeyboardDestroyed), k);

    GtkWidget* vbox = gtk_vbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(k->window), vbox);

    // Row 1: the prompt, as plain text, and the entry.
    GtkWidget* row = Row(vbox, g.margin, 5, 2);
    GtkWidget* label = gtk_label_new(k->prompt.c_str());
    gtk_misc_set_alignment(GTK_MISC(label), 0, 0.5);
    gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
    gtk_widget_set_size_request(label, int(0.4 * g.width) - g.margin, g.key - 6);
    gtk_box_pack_start(GTK_BOX(row), label, FALSE, FALSE, 0);
    k->entry = gtk_entry_new();
    gtk_widget_set_size_request(k->entry, int(0.6 * g.width) - g.margin, g.key - 6);
    gtk_entry_set_text(GTK_ENTRY(k->entry), text.c_str());
    k->text = text;
    g_signal_connect(k->entry, "changed", G_CALLBACK(OnEntryChanged), k);
    gtk_box_pack_start(GTK_BOX(row), k->entry, FALSE, FALSE, 0);

    // Rows 2 to 5: the character keys, each named by its index.
    for (int r = 0; r < kKeyCount / kKeysPerRow; ++r) {
        row = Row(vbox, g.margin, 1, 1);
        for (int c = 0; c < kKeysPerRow; ++c) {
            const int i = r * kKeysPerRow + c;
            const char label[2] = {KeyCharacter(i, false), '\0'};
            GtkWidget* key = Key(row, gtk_button_new_with_label(label), g.key, g.key);
            gtk_widget_set_name(key, std::to_string(i).c_str());
            g_signal_connect(key, "clicked", G_CALLBACK(OnBtnDataClicked), k);
            k->keys[i] = key;
        }
    }

    // Row 6: Shift, space, backspace.
    row = Row(vbox, g.margin, 1, 1);
    k->btnShift = Key(row, ImageKey(gtk_toggle_button_new(), KeyImage(g.key, false), "Shift"),
                      2 * g.key, g.key);
    g_signal_connect(k->btnShift, "toggled", G_CALLBACK(OnBtnShiftToggled), k);
    k->space = Key(row, gtk_button_new_with_label(" "), 6 * g.key, g.key);
    g_signal_connect(k->space, "clicked", G_CALLBACK(OnBtnSpaceClicked), k);
    k->backspace = Key(row, ImageKey(gtk_button_new(), KeyImage(g.key, true), "<-"), 2 * g.key,
                       g.key);
    g_signal_connect(k->backspace, "clicked", G_CALLBACK(OnBtnBkspClicked), k);

    // Row 7: OK and Cancel.
    row = Row(vbox, g.margin, 1, 1);
    k->ok = Key(row, gtk_button_new_from_stock("gtk-ok"), 3 * g.key / 2, g.key);
    g_signal_connect(k->ok, "clicked", G_CALLBACK(OnBtnOKClicked), k);
    k->cancelButton = Key(row, gtk_button_new_from_stock("gtk-cancel"), 3 * g.key / 2, g.key);
    g_signal_connect(k->cancelButton, "clicked", G_CALLBACK(OnBtnCancelClicked), k);
}

}  // namespace

int ShowKeyboard(std::string& text, const std::string& prompt)
{
    // One at a time: a second keyboard (from a timer, say) is not shown and counts as Cancel.
    if (modalInputOpen)
        return 0;
    modalInputOpen = true;
    Keyboard k;
    k.prompt = prompt;
    k.model.shift = false;
    k.model.buttonPressed = 99;
    Build(&k, text);
    Keyboard* outer = keyboard;
    keyboard = &k;
    gtk_widget_show_all(k.window);
    FocusAt(k.entry, CharacterCount(text));

    k.loopRunning = true;
    gtk_main();
    k.loopRunning = false;

    text = k.text;
    CloseKeyboard(&k);
    keyboard = outer;
    modalInputOpen = false;
    return k.cancel == 0 ? 1 : 0;
}

void InstallKeyboard()
{
    uiHooks.showKeyboard = ShowKeyboard;
    uiHooks.numberEntry = NumberEntry;
}
