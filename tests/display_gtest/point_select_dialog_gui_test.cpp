// The point dialog's cross-hair timer lives exactly as long as its dialog, however the
// dialog closes; the cross-hair's line goes with it.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <string>

#include "base/interface.h"
#include "app/point_select_dialog.h"
#include "base/screen_config.h"
#include "machine/serial.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

GtkWidget* PointDialog()
{
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* l = windows; l != nullptr; l = l->next) {
        const gchar* title = gtk_window_get_title(GTK_WINDOW(l->data));
        if (title != nullptr && std::string(title) == "SELECT POINT") found = GTK_WIDGET(l->data);
    }
    g_list_free(windows);
    return found;
}

guint seenSource = 0;

// Once the dialog's timer has ticked: note the timer, then close the dialog the way given.
void CloseLater(bool byDestroy)
{
    g_timeout_add(600, byDestroy ? GSourceFunc([](gpointer) -> gboolean {
        seenSource = PointDialogTimerSource();
        gtk_widget_destroy(PointDialog());
        return FALSE;
    }) : GSourceFunc([](gpointer) -> gboolean {
        seenSource = PointDialogTimerSource();
        GdkEvent* event = gdk_event_new(GDK_DELETE);
        event->any.window = GDK_WINDOW(g_object_ref(PointDialog()->window));
        gtk_main_do_event(event);
        gdk_event_free(event);
        return FALSE;
    }), nullptr);
}

}  // namespace

TEST(PointDialogGtk, CrossHairTimerEndsWithItsDialogHoweverItCloses)
{
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display";
    TempDir dir;
    std::filesystem::copy(std::string(CORVAN_SOURCE_DIR) + "/data/images", dir / "images");
    ParseConfig();
    ScriptedUi ui;
    ClosePort();
    for (bool byDestroy : {true, false}) {
        seenSource = 0;
        CloseLater(byDestroy);
        SelectPoint2();
        EXPECT_NE(seenSource, 0u) << "the timer ran while the dialog was open";
        EXPECT_EQ(runTimer, 0);
        EXPECT_EQ(PointDialogTimerSource(), 0u);
        EXPECT_EQ(g_main_context_find_source_by_id(nullptr, seenSource), nullptr);
        EXPECT_FALSE(interface_.measureLine.has_value());
    }
}
