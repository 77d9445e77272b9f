// The point-selection dialogs as real GTK windows: the cross-hair timer lives exactly as
// long as its dialog, however the dialog closes, and a tap on OK picks the nearest point.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/interface.h"
#include "app/point_select_dialog.h"
#include "app/screen_config.h"
#include "machine/serial.h"
#include "machine/stitch_path.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

GtkWidget* FindPointDialog()
{
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* l = windows; l != nullptr; l = l->next) {
        const gchar* title = gtk_window_get_title(GTK_WINDOW(l->data));
        if (title != nullptr && std::string(title) == "SELECT POINT" &&
            GTK_WIDGET_VISIBLE(GTK_WIDGET(l->data)))
            found = GTK_WIDGET(l->data);
    }
    g_list_free(windows);
    return found;
}

// Runs `action` from the main loop once the dialog is up (its timer has ticked twice).
void WhileOpen(std::function<void(GtkWidget* dialog)> action)
{
    auto* heap = new std::function<void(GtkWidget*)>(std::move(action));
    g_timeout_add(600, [](gpointer data) -> gboolean {
        auto* f = static_cast<std::function<void(GtkWidget*)>*>(data);
        (*f)(FindPointDialog());
        delete f;
        return FALSE;
    }, heap);
}

GtkWidget* AreaOf(GtkWidget* dialog)
{
    GList* children = gtk_container_get_children(GTK_CONTAINER(GTK_DIALOG(dialog)->vbox));
    GtkWidget* area = nullptr;
    for (GList* l = children; l != nullptr; l = l->next)
        if (GTK_IS_DRAWING_AREA(l->data)) area = GTK_WIDGET(l->data);
    g_list_free(children);
    return area;
}

class PointDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display"; }
    void SetUp() override
    {
        std::filesystem::copy(std::string(CORVAN_SOURCE_DIR) + "/data/images", dir / "images");
        ParseConfig();
        ClosePort();
    }
    TempDir dir;
    ScriptedUi ui;
};

}  // namespace

TEST_F(PointDialogTest, CrossHairTimerEndsWithItsDialogHoweverItCloses)
{
    guint source = 0;
    int ticks = -1;
    // Closed by something else than its buttons: destroyed under the running dialog.
    WhileOpen([&](GtkWidget* dialog) {
        ASSERT_NE(dialog, nullptr);
        source = PointDialogTimerSource();
        ticks = runTimer;
        gtk_widget_destroy(dialog);
    });
    SelectPoint2();
    EXPECT_NE(source, 0u);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(runTimer, 0);
    EXPECT_EQ(PointDialogTimerSource(), 0u);
    EXPECT_EQ(g_main_context_find_source_by_id(nullptr, source), nullptr);
    EXPECT_FALSE(interface_.measureLine.has_value()) << "the cross-hair's line went with it";

    // Closed by the window's close event.
    WhileOpen([&](GtkWidget* dialog) {
        ASSERT_NE(dialog, nullptr);
        source = PointDialogTimerSource();
        GdkEvent* event = gdk_event_new(GDK_DELETE);
        event->any.window = GDK_WINDOW(g_object_ref(dialog->window));
        gtk_main_do_event(event);
        gdk_event_free(event);
    });
    SelectPoint2();
    EXPECT_EQ(g_main_context_find_source_by_id(nullptr, source), nullptr);
    EXPECT_EQ(PointDialogTimerSource(), 0u);
}

TEST_F(PointDialogTest, TapOnCancelAndOkInTheBottomRow)
{
    FullPattern_t first, second;
    first.next = &second;
    second.prev = &first;
    second.x = 1000;
    interface_.stitchList = &first;

    auto tap = [](GtkWidget* dialog, int x, int y) {
        GtkWidget* area = AreaOf(dialog);
        ASSERT_NE(area, nullptr);
        GdkEvent* event = gdk_event_new(GDK_BUTTON_RELEASE);
        event->button.window = GDK_WINDOW(g_object_ref(area->window));
        event->button.x = x;
        event->button.y = y;
        event->button.button = 1;
        gtk_main_do_event(event);
        gdk_event_free(event);
    };
    const int W = view_area_width, H = view_area_height, B = confirm_button_size;
    WhileOpen([&](GtkWidget* dialog) {
        ASSERT_NE(dialog, nullptr);
        tap(dialog, W - 1, H - 1);                       // right of Cancel: nothing
        tap(dialog, W - 2 * B - 24 + B / 2, H - B - 5);  // above the row: nothing
        EXPECT_EQ(FindPointDialog(), dialog);
        tap(dialog, W - 2 * B - 24 + B / 2, H - B / 2);  // Cancel
    });
    testing::internal::CaptureStdout();
    EXPECT_EQ(SelectPoint(), nullptr);

    // OK with no machine on the line: the message, no point.
    ui.Expect("COMMUNICATIONS ERROR.\nPLEASE TRY AGAIN.", RESPONSE_OK);
    WhileOpen([&](GtkWidget* dialog) { tap(dialog, W - 3 * B - 40 + B / 2, H - B / 2); });
    EXPECT_EQ(SelectPoint(), nullptr);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Tap ("), std::string::npos) << out;
    interface_.stitchList = nullptr;
}
