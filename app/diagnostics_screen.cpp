// The Test page: a text view showing the checks' report and one button per check. The
// handlers are thin: the checks run in machine/motor_test and write to a TestLog, which this
// page copies into the text view whenever it changes.
#include "app/diagnostics_screen.h"

#include "app/gui_probe_gtk.h"
#include "app/main_window.h"
#include "base/screen_config.h"
#include "machine/motor_test.h"

namespace {

const char kStartText[] = "MOTOR CONTROLLER DIAGNOSTICS\nPress one of the buttons below to start.";

// One log for the program: a check runs pending events, and the page (and with it the text
// buffer) may be gone before the check returns; the log outlives both.
TestLog& Log()
{
    static TestLog log;
    return log;
}

void ShowLog(GtkTextBuffer* buffer)
{
    gtk_text_buffer_set_text(buffer, Log().text.c_str(), -1);
    ProbeNotebook("setup", mainUi.setupNotebook);
}

void OnBtnTestAllClicked(GtkWidget*, gpointer) { TestAllMotors(Log()); }
void OnBtnTestXClicked(GtkWidget*, gpointer) { TestXMotor(Log()); }
void OnBtnTestYClicked(GtkWidget*, gpointer) { TestYMotor(Log()); }
void OnBtnTestPortDClicked(GtkWidget*, gpointer) { TestPortD(Log()); }

// The page whose text view the log's callback writes to.
GtkWidget* shownPage = nullptr;

void OnPageDestroyed(GtkWidget* page, gpointer)
{
    // A check still running writes on into the log only. A page built anew before the old
    // one went keeps its callback.
    if (page != shownPage)
        return;
    shownPage = nullptr;
    Log().onChange = nullptr;
}

}  // namespace

GtkWidget* createDiagnosticsScreen()
{
    GtkWidget* box = gtk_vbox_new(FALSE, 2);
    GtkWidget* view = gtk_text_view_new();
    gtk_widget_set_name(view, "diagnostics");
    gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
    gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(view), FALSE);
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    gtk_text_buffer_set_text(buffer, kStartText, -1);
    GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_NEVER,
                                   GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(scroll), view);
    gtk_box_pack_start(GTK_BOX(box), scroll, TRUE, TRUE, 0);

    GtkWidget* buttons = gtk_hbox_new(TRUE, 2);
    const struct {
        const char* label;
        void (*handler)(GtkWidget*, gpointer);
    } checks[4] = {{"TEST ALL", OnBtnTestAllClicked},
                   {"TEST X", OnBtnTestXClicked},
                   {"TEST Y", OnBtnTestYClicked},
                   {"PORT D", OnBtnTestPortDClicked}};
    for (const auto& c : checks) {
        GtkWidget* b = gtk_button_new_with_label(c.label);
        gtk_widget_set_size_request(b, -1, setup_spinbox_height * 3 / 2);
        g_signal_connect(b, "clicked", G_CALLBACK(c.handler), buffer);
        gtk_box_pack_start(GTK_BOX(buttons), b, TRUE, TRUE, 0);
    }
    gtk_box_pack_start(GTK_BOX(box), buttons, FALSE, FALSE, 0);

    // The buffer lives as long as the view; the log's callback as long as the page.
    Log().onChange = [buffer] { ShowLog(buffer); };
    shownPage = box;
    g_signal_connect(box, "destroy", G_CALLBACK(OnPageDestroyed), nullptr);
    return box;
}
