// The window the scale and properties dialogs share.
#include <algorithm>

#include "app/main_window.h"
#include "app/message_windows_gtk.h"
#include "app/pattern_dialogs_gtk.h"
#include "base/screen_config.h"

GtkWidget* NewPatternDialog(const char* title, const char* recordKey, gpointer record,
                            GDestroyNotify freeRecord)
{
    GtkWindow* parent = isWidget(mainUi.window) && GTK_IS_WINDOW(mainUi.window)
                            ? GTK_WINDOW(mainUi.window)
                            : nullptr;
    GtkWidget* dialog = gtk_dialog_new_with_buttons(title, parent, GTK_DIALOG_MODAL, nullptr,
                                                    GTK_RESPONSE_NONE, nullptr);
    // Owned by the dialog object, which pending probes keep alive.
    g_object_set_data_full(G_OBJECT(dialog), recordKey, record, freeRecord);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    gtk_container_set_border_width(GTK_CONTAINER(dialog), 0);
    // A size from the settings file larger than the screen would push the buttons off it.
    const int width = std::clamp(scale_dialog_width, 1, std::max(1, screen_width));
    const int height = std::clamp(scale_dialog_height, 1, std::max(1, screen_height));
    gtk_widget_set_size_request(GTK_DIALOG(dialog)->vbox, width, height);
    gtk_window_move(GTK_WINDOW(dialog), std::max(0, screen_width / 2 - width / 2),
                    std::max(0, screen_height / 2 - height / 2));
    if (cursorExposeHandler != nullptr)
        g_signal_connect(dialog, "expose-event", G_CALLBACK(cursorExposeHandler), nullptr);
    if (drawFrameHandler != nullptr)
        g_signal_connect_after(dialog, "expose-event", G_CALLBACK(drawFrameHandler), nullptr);
    return dialog;
}
