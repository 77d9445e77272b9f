// GTK implementations of the message, status and waiting windows behind the UI seam.
#include "app/message_windows_gtk.h"

#include <string>

#include "base/message_windows.h"
#include "base/screen_config.h"
#include "base/ui_hooks.h"

GtkWidget* messageParentWindow = nullptr;
ExposeHandler cursorExposeHandler = nullptr;
ExposeHandler drawFrameHandler = nullptr;
ExposeHandler messageProbeHandler = nullptr;

namespace {

void ConnectExposeHandlers(GtkWidget* widget)
{
    if (cursorExposeHandler != nullptr)
        g_signal_connect(widget, "expose-event", G_CALLBACK(cursorExposeHandler), nullptr);
    // After the window's own drawing: connected before it, the frame would be painted over.
    if (drawFrameHandler != nullptr)
        g_signal_connect_after(widget, "expose-event", G_CALLBACK(drawFrameHandler), nullptr);
}

void RunAllPendingEvents()
{
    while (gtk_events_pending())
        gtk_main_iteration();
}

// Texts are the program's own, but they are escaped all the same: a file name inside a
// message must never be read as markup.
std::string SansMarkup(const std::string& text, const char* extraAttributes = "")
{
    gchar* escaped = g_markup_escape_text(text.c_str(), -1);
    std::string markup = std::string("<span font_desc=\"Sans 10\"") + extraAttributes + ">" +
                         escaped + "</span>";
    g_free(escaped);
    return markup;
}

GtkWidget* NewMessageDialog(int kind, int buttons, const std::string& text)
{
    if (kind < GTK_MESSAGE_INFO || kind > GTK_MESSAGE_ERROR)
        kind = GTK_MESSAGE_INFO;
    if (buttons < GTK_BUTTONS_NONE || buttons > GTK_BUTTONS_OK_CANCEL)
        buttons = GTK_BUTTONS_OK;
    GtkWindow* parent = messageParentWindow != nullptr && GTK_IS_WINDOW(messageParentWindow)
                            ? GTK_WINDOW(messageParentWindow)
                            : nullptr;
    GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_DESTROY_WITH_PARENT,
                                               static_cast<GtkMessageType>(kind),
                                               static_cast<GtkButtonsType>(buttons), nullptr);
    gtk_message_dialog_set_markup(GTK_MESSAGE_DIALOG(dialog), SansMarkup(text).c_str());
    return dialog;
}

void SizeMessageDialog(GtkWidget* dialog, int x, int y, int width, int height)
{
    gtk_window_move(GTK_WINDOW(dialog), x, y);
    gtk_widget_set_size_request(GTK_DIALOG(dialog)->vbox, width, height);
    GtkWidget* label = GTK_MESSAGE_DIALOG(dialog)->label;
    gtk_widget_set_size_request(label, width - 100, height - 50);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    ConnectExposeHandlers(dialog);
    if (messageProbeHandler != nullptr)
        g_signal_connect(dialog, "expose-event", G_CALLBACK(messageProbeHandler), nullptr);
}

int RunMessageDialog(GtkWidget* dialog)
{
    // The dialog may be destroyed while it runs (its parent going away): only a dialog
    // that still exists is destroyed here.
    g_object_add_weak_pointer(G_OBJECT(dialog), reinterpret_cast<gpointer*>(&dialog));
    int response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (dialog != nullptr) {
        g_object_remove_weak_pointer(G_OBJECT(dialog), reinterpret_cast<gpointer*>(&dialog));
        gtk_widget_destroy(dialog);
    }
    // Destroyed rather than answered: to callers that is a window closed another way.
    return response == GTK_RESPONSE_NONE ? RESPONSE_DELETE : response;
}

int GtkShowMessage(int kind, int buttons, const std::string& text)
{
    GtkWidget* dialog = NewMessageDialog(kind, buttons, text);
    SizeMessageDialog(dialog, screen_width / 2 - 160, screen_height / 2 - 120, message_width,
                      message_height);
    return RunMessageDialog(dialog);
}

// A message with `buttons` and one more button, placed and sized as asked.
int ShowMessageExtraButton(int kind, int buttons, const std::string& text,
                           const std::string& extraButton, int extraResponse, int x, int y,
                           int width, int height)
{
    GtkWidget* dialog = NewMessageDialog(kind, buttons, text);
    gtk_dialog_add_button(GTK_DIALOG(dialog), extraButton.c_str(), extraResponse);
    SizeMessageDialog(dialog, x, y, width, height);
    return RunMessageDialog(dialog);
}

int GtkShowMessageSpecial(int kind, const std::string& text, const std::string& extraButton,
                          int extraResponse)
{
    return ShowMessageExtraButton(kind, GTK_BUTTONS_OK_CANCEL, text, extraButton, extraResponse,
                                  screen_width / 2 - special_message_width / 2,
                                  screen_height / 2 - special_message_height / 2,
                                  special_message_width, special_message_height);
}

int GtkShowMessagePlus(int kind, int buttons, const std::string& text,
                       const std::string& extraButton, int extraResponse)
{
    return ShowMessageExtraButton(kind, buttons, text, extraButton, extraResponse,
                                  screen_width / 2 - 160, screen_height / 2 - 120, message_width,
                                  message_height);
}

GtkWidget* NewFullScreenWindow()
{
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_widget_set_size_request(window, screen_width, screen_height);
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    return window;
}

// --- Status window --------------------------------------------------------------------------

void OnBtnStatusStopClicked(GtkWidget*, gpointer data)
{
    static_cast<GtkStatusWindow*>(data)->stopPressed = true;
}

void* GtkStatusOpen(const std::string& title)
{
    auto* w = new GtkStatusWindow();
    w->window = NewFullScreenWindow();
    w->box = gtk_vbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(w->window), w->box);
    w->label = gtk_label_new(title.c_str());
    gtk_box_pack_start(GTK_BOX(w->box), w->label, FALSE, FALSE, 5);
    w->progressBar = gtk_progress_bar_new();
    gtk_progress_bar_set_pulse_step(GTK_PROGRESS_BAR(w->progressBar), 0.01);
    gtk_progress_bar_pulse(GTK_PROGRESS_BAR(w->progressBar));
    gtk_progress_bar_set_text(GTK_PROGRESS_BAR(w->progressBar), "Converting Pattern");
    gtk_box_pack_start(GTK_BOX(w->box), w->progressBar, FALSE, FALSE, 5);
    w->stopButton = gtk_button_new_with_label("STOP");
    g_signal_connect(w->stopButton, "clicked", G_CALLBACK(OnBtnStatusStopClicked), w);
    gtk_box_pack_start(GTK_BOX(w->box), w->stopButton, FALSE, FALSE, 20);
    gtk_widget_show_all(w->window);
    return w;
}

void GtkStatusText(void* handle, const std::string& text)
{
    if (auto* w = static_cast<GtkStatusWindow*>(handle))
        gtk_progress_bar_set_text(GTK_PROGRESS_BAR(w->progressBar), text.c_str());
}

void GtkStatusPulse(void* handle)
{
    if (auto* w = static_cast<GtkStatusWindow*>(handle))
        gtk_progress_bar_pulse(GTK_PROGRESS_BAR(w->progressBar));
}

void GtkStatusClose(void* handle)
{
    auto* w = static_cast<GtkStatusWindow*>(handle);
    if (w == nullptr)
        return;
    gtk_widget_destroy(w->window);
    delete w;
}

bool GtkStatusAbortPressed(void* handle)
{
    auto* w = static_cast<GtkStatusWindow*>(handle);
    return w != nullptr && w->stopPressed;
}

// --- Waiting window -------------------------------------------------------------------------

void OnWaitingCancelClicked(GtkWidget*, gpointer data)
{
    auto* w = static_cast<GtkWaitingWindow*>(data);
    w->cancelPressed = true;
    // Cancel acts at once; the logic closes this window (and frees `w`) on its way.
    OnBtnWaitWindowCancelClicked(w);
}

GtkWidget* NewAnimation(int size)
{
    std::string file = size >= 200 ? "./images/waitingIcon200.gif" : "./images/waitingIcon100.gif";
    GtkWidget* image;
    GdkPixbufAnimation* animation = gdk_pixbuf_animation_new_from_file(file.c_str(), nullptr);
    if (animation != nullptr) {
        image = gtk_image_new_from_animation(animation);
        g_object_unref(animation);
    } else {
        image = gtk_image_new();  // a missing picture leaves the window working
    }
    gtk_widget_set_size_request(image, size, size);
    return image;
}

void* GtkWaitingOpen(const std::string& message, bool showCancel)
{
    auto* w = new GtkWaitingWindow();
    w->window = NewFullScreenWindow();
    w->box = gtk_vbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(w->window), w->box);
    gtk_widget_show(w->box);

    w->messageLabel = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(w->messageLabel), SansMarkup(message).c_str());
    gtk_label_set_justify(GTK_LABEL(w->messageLabel), GTK_JUSTIFY_CENTER);
    gtk_box_pack_start(GTK_BOX(w->box), w->messageLabel, FALSE, FALSE, 5);
    ConnectExposeHandlers(w->window);

    const bool large = icon_style == 1;
    const int size = large ? 200 : 100;
    w->animation = NewAnimation(size);
    gtk_box_pack_start(GTK_BOX(w->box), w->animation, FALSE, FALSE, large ? 20 : 5);

    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    w->cancelButton = gtk_button_new_with_label("Cancel");
    gtk_widget_set_size_request(w->cancelButton, size, menubar_height);
    g_signal_connect(w->cancelButton, "clicked", G_CALLBACK(OnWaitingCancelClicked), w);
    GtkWidget* centre = gtk_alignment_new(0.5, 0.5, 0, 0);
    gtk_container_add(GTK_CONTAINER(centre), w->cancelButton);
    gtk_box_pack_start(GTK_BOX(row), centre, TRUE, TRUE, 0);
    // menubar_height of spacing around the row in all (box padding applies above and
    // below): the full amount on each side would push the row off a 240-line screen.
    gtk_box_pack_end(GTK_BOX(w->box), row, FALSE, FALSE, menubar_height / 2);

    w->infoLabel = gtk_label_new(nullptr);
    gtk_box_pack_start(GTK_BOX(w->box), w->infoLabel, FALSE, FALSE, 5);

    gtk_widget_show_all(w->window);
    // Hidden rows take no room, so the message and the picture keep theirs.
    gtk_widget_hide(w->infoLabel);
    if (!showCancel) {
        gtk_widget_hide(w->cancelButton);
        gtk_widget_hide(row);
    }
    return w;
}

void GtkWaitingInfo(void* handle, const std::string& info)
{
    auto* w = static_cast<GtkWaitingWindow*>(handle);
    if (w == nullptr)
        return;
    gtk_label_set_markup(GTK_LABEL(w->infoLabel), SansMarkup(info, " foreground=\"blue\"").c_str());
    if (info.empty())
        gtk_widget_hide(w->infoLabel);
    else
        gtk_widget_show(w->infoLabel);
}

void GtkWaitingClose(void* handle)
{
    auto* w = static_cast<GtkWaitingWindow*>(handle);
    if (w == nullptr)
        return;
    gtk_widget_destroy(w->window);
    delete w;
}

bool GtkWaitingCancelPressed(void* handle)
{
    auto* w = static_cast<GtkWaitingWindow*>(handle);
    return w != nullptr && w->cancelPressed;
}

// --- Cursor ---------------------------------------------------------------------------------

void GtkSetCursor(CursorKind kind)
{
    GdkCursor* cursor = kind == CursorKind::Busy ? gdk_cursor_new(GDK_WATCH) : nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* l = windows; l != nullptr; l = l->next) {
        GtkWidget* widget = GTK_WIDGET(l->data);
        if (widget->window != nullptr)
            gdk_window_set_cursor(widget->window, cursor);
    }
    g_list_free(windows);
    if (cursor != nullptr)
        gdk_cursor_unref(cursor);
}

}  // namespace

void InstallGtkUiHooks()
{
    uiHooks.showMessage = GtkShowMessage;
    uiHooks.showMessageSpecial = GtkShowMessageSpecial;
    uiHooks.showMessagePlus = GtkShowMessagePlus;
    uiHooks.statusOpen = GtkStatusOpen;
    uiHooks.statusText = GtkStatusText;
    uiHooks.statusPulse = GtkStatusPulse;
    uiHooks.statusClose = GtkStatusClose;
    uiHooks.statusAbortPressed = GtkStatusAbortPressed;
    uiHooks.waitingOpen = GtkWaitingOpen;
    uiHooks.waitingInfo = GtkWaitingInfo;
    uiHooks.waitingClose = GtkWaitingClose;
    uiHooks.waitingCancelPressed = GtkWaitingCancelPressed;
    uiHooks.runPendingEvents = RunAllPendingEvents;
    uiHooks.setCursor = GtkSetCursor;
}
