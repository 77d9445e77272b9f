// GTK implementations of the message, status and waiting windows behind the UI seam.
#include "app/message_windows_gtk.h"

#include <algorithm>
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
    // The whole window, its border and buttons included, is width x height: sized by its
    // contents instead, it would reach past the bottom of a 240-line screen, buttons first.
    // The text wraps to its width and takes the height it needs; the longest message the
    // program shows leaves room to spare.
    gtk_widget_set_size_request(dialog, width, height);
    GtkWidget* label = GTK_MESSAGE_DIALOG(dialog)->label;
    gtk_widget_set_size_request(label, width - 100, -1);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    // A file name or path has no spaces to wrap at: it is broken where the line ends.
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    // A text longer still (a deep path inside it) is cut at the bottom, never the buttons:
    // the text and the boxes holding it are the ones that give up room.
    for (GtkWidget* part = label; part != GTK_DIALOG(dialog)->vbox && part->parent != nullptr;
         part = part->parent) {
        if (!GTK_IS_VBOX(part->parent))
            continue;
        gboolean expand = FALSE, fill = FALSE;
        guint padding = 0;
        GtkPackType pack = GTK_PACK_START;
        gtk_box_query_child_packing(GTK_BOX(part->parent), part, &expand, &fill, &padding, &pack);
        gtk_box_set_child_packing(GTK_BOX(part->parent), part, TRUE, TRUE, padding, pack);
    }
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

// Loads the waiting picture of `size` (100 or 200) into `image`; a missing picture leaves
// the image empty and the window working.
void SetAnimation(GtkWidget* image, int size)
{
    std::string file = size >= 200 ? "./images/waitingIcon200.gif" : "./images/waitingIcon100.gif";
    GdkPixbufAnimation* animation = gdk_pixbuf_animation_new_from_file(file.c_str(), nullptr);
    if (animation != nullptr) {
        gtk_image_set_from_animation(GTK_IMAGE(image), animation);
        g_object_unref(animation);
    } else {
        gtk_image_clear(GTK_IMAGE(image));
    }
    gtk_widget_set_size_request(image, size, size);
}

// The info line as it shows: one line, whatever newline its text ends with.
std::string InfoLine(const std::string& info)
{
    std::string line = info;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// Height the window's contents ask for, the info line counted even while it is hidden: it
// appears while the window is up and must not push Cancel off the screen then.
int ContentHeight(GtkWaitingWindow* w)
{
    const bool infoHidden = !GTK_WIDGET_VISIBLE(w->infoLabel);
    if (infoHidden) {
        gtk_label_set_markup(GTK_LABEL(w->infoLabel), SansMarkup("Merging Pattern 10 of 10").c_str());
        gtk_widget_show(w->infoLabel);
    }
    GtkRequisition r;
    gtk_widget_size_request(w->box, &r);
    if (infoHidden) {
        gtk_widget_hide(w->infoLabel);
        gtk_label_set_text(GTK_LABEL(w->infoLabel), "");
    }
    return r.height;
}

// The window is the whole screen, so whatever does not fit is lost off its bottom, Cancel
// first. When the message, the picture, an info line and Cancel ask for more than the
// screen's height, the large picture gives way to the small one, then the spacing around
// the picture goes, then the blank lines the message starts with (they only push it down
// an otherwise empty screen), and last the picture is cut to the room left.
void FitWaitingWindow(GtkWaitingWindow* w, const std::string& message, int pictureSize,
                      int pictureSpacing)
{
    const size_t text = message.find_first_not_of('\n');
    const std::string trimmed = text == std::string::npos ? std::string() : message.substr(text);
    struct Try {
        int size, spacing;
        bool trim;
    };
    const Try tries[] = {{pictureSize, pictureSpacing, false},
                         {100, 5, false},
                         {100, 0, false},
                         {100, 0, true}};
    int size = pictureSize, height = 0;
    for (const Try& t : tries) {
        if (t.size > pictureSize)
            continue;
        size = t.size;
        SetAnimation(w->animation, size);
        gtk_box_set_child_packing(GTK_BOX(w->box), w->animation, FALSE, FALSE, t.spacing,
                                  GTK_PACK_START);
        gtk_label_set_markup(GTK_LABEL(w->messageLabel),
                             SansMarkup(t.trim ? trimmed : message).c_str());
        height = ContentHeight(w);
        if (height <= screen_height)
            break;
    }
    if (height > screen_height) {
        size = std::max(0, size - (height - screen_height));
        gtk_widget_set_size_request(w->animation, size, size);
    }
    // Cancel is as wide as the picture, but never narrower than the small one.
    gtk_widget_set_size_request(w->cancelButton, std::max(size, 100), menubar_height);
}

void* GtkWaitingOpen(const std::string& message, bool showCancel)
{
    auto* w = new GtkWaitingWindow();
    w->window = NewFullScreenWindow();
    w->box = gtk_vbox_new(FALSE, 0);
    gtk_container_add(GTK_CONTAINER(w->window), w->box);
    gtk_widget_show(w->box);

    w->messageLabel = gtk_label_new(nullptr);
    gtk_label_set_justify(GTK_LABEL(w->messageLabel), GTK_JUSTIFY_CENTER);
    gtk_box_pack_start(GTK_BOX(w->box), w->messageLabel, FALSE, FALSE, 5);
    gtk_widget_show(w->messageLabel);
    ConnectExposeHandlers(w->window);

    const bool large = icon_style == 1;
    w->animation = gtk_image_new();
    gtk_box_pack_start(GTK_BOX(w->box), w->animation, FALSE, FALSE, large ? 20 : 5);
    gtk_widget_show(w->animation);

    GtkWidget* row = gtk_hbox_new(FALSE, 0);
    w->cancelButton = gtk_button_new_with_label("Cancel");
    g_signal_connect(w->cancelButton, "clicked", G_CALLBACK(OnWaitingCancelClicked), w);
    GtkWidget* centre = gtk_alignment_new(0.5, 0.5, 0, 0);
    gtk_container_add(GTK_CONTAINER(centre), w->cancelButton);
    gtk_box_pack_start(GTK_BOX(row), centre, TRUE, TRUE, 0);
    // menubar_height of spacing around the row in all (box padding applies above and
    // below): the full amount on each side would push the row off a 240-line screen.
    gtk_box_pack_end(GTK_BOX(w->box), row, FALSE, FALSE, menubar_height / 2);
    if (showCancel)
        gtk_widget_show_all(row);

    // Hidden rows take no room, so the message and the picture keep theirs.
    w->infoLabel = gtk_label_new(nullptr);
    gtk_box_pack_start(GTK_BOX(w->box), w->infoLabel, FALSE, FALSE, 5);

    FitWaitingWindow(w, message, large ? 200 : 100, large ? 20 : 5);
    gtk_widget_show(w->window);
    return w;
}

void GtkWaitingInfo(void* handle, const std::string& info)
{
    auto* w = static_cast<GtkWaitingWindow*>(handle);
    if (w == nullptr)
        return;
    const std::string line = InfoLine(info);
    gtk_label_set_markup(GTK_LABEL(w->infoLabel), SansMarkup(line, " foreground=\"blue\"").c_str());
    if (line.empty())
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
