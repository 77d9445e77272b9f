// The real GTK message, status and waiting windows, driven from inside the main loop.
// With CORVAN_SCREENSHOT_DIR set, each window is also photographed with `import`.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "base/message_windows.h"
#include "app/main_window.h"
#include "app/message_windows_gtk.h"
#include "base/screen_config.h"
#include "support/temp_dir.h"

namespace {

void RunPending()
{
    while (gtk_events_pending())
        gtk_main_iteration();
}

void Screenshot(const std::string& name)
{
    const char* dir = std::getenv("CORVAN_SCREENSHOT_DIR");
    if (dir == nullptr)
        return;
    for (int i = 0; i < 20; ++i) {  // let the window map and draw
        RunPending();
        g_usleep(10000);
    }
    std::string file = std::string(dir) + "/" + name + ".png";
    gchar* argv[] = {const_cast<gchar*>("import"), const_cast<gchar*>("-window"),
                     const_cast<gchar*>("root"), const_cast<gchar*>(file.c_str()), nullptr};
    g_spawn_sync(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr,
                 nullptr, nullptr, nullptr);
}

GtkWidget* FindToplevel(GType type)
{
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* l = windows; l != nullptr; l = l->next)
        if (G_TYPE_CHECK_INSTANCE_TYPE(l->data, type) && GTK_WIDGET_VISIBLE(GTK_WIDGET(l->data)))
            found = GTK_WIDGET(l->data);
    g_list_free(windows);
    return found;
}

GtkWidget* FindButton(GtkWidget* container, const std::string& label)
{
    if (GTK_IS_BUTTON(container)) {
        const gchar* l = gtk_button_get_label(GTK_BUTTON(container));
        return l != nullptr && label == l ? container : nullptr;
    }
    if (!GTK_IS_CONTAINER(container))
        return nullptr;
    GtkWidget* found = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(container));
    for (GList* l = children; l != nullptr && found == nullptr; l = l->next)
        found = FindButton(GTK_WIDGET(l->data), label);
    g_list_free(children);
    return found;
}

// Runs `action` from the main loop while a modal window is up.
void Later(std::function<void()> action)
{
    auto* heap = new std::function<void()>(std::move(action));
    g_timeout_add(50, [](gpointer data) -> gboolean {
        auto* f = static_cast<std::function<void()>*>(data);
        (*f)();
        delete f;
        return FALSE;
    }, heap);
}

class GtkWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display";
    }
    void SetUp() override
    {
        namespace fs = std::filesystem;
        fs::copy(std::string(CORVAN_SOURCE_DIR) + "/data/images", dir / "images");
        ParseConfig();
        InstallGtkUiHooks();
    }
    void TearDown() override { ResetUiHooks(); }
    TempDir dir;
};

}  // namespace

TEST_F(GtkWindowsTest, MessageWindowAnswersWithTheButtonPressed)
{
    std::string markup;
    int x = -1, y = -1, labelWidth = 0, labelHeight = 0;
    bool wraps = false;
    Later([&] {
        GtkWidget* dialog = FindToplevel(GTK_TYPE_MESSAGE_DIALOG);
        ASSERT_NE(dialog, nullptr);
        Screenshot("message");
        GtkWidget* label = GTK_MESSAGE_DIALOG(dialog)->label;
        markup = gtk_label_get_label(GTK_LABEL(label));
        gtk_widget_get_size_request(label, &labelWidth, &labelHeight);
        wraps = gtk_label_get_line_wrap(GTK_LABEL(label));
        gtk_window_get_position(GTK_WINDOW(dialog), &x, &y);
        gtk_button_clicked(GTK_BUTTON(FindButton(dialog, GTK_STOCK_CANCEL)));
    });
    EXPECT_EQ(ShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL, "\nDELETE <ALL> & GO?"), RESPONSE_CANCEL);
    EXPECT_EQ(markup, "<span font_desc=\"Sans 10\">\nDELETE &lt;ALL&gt; &amp; GO?</span>");
    EXPECT_EQ(x, screen_width / 2 - 160);
    EXPECT_EQ(y, screen_height / 2 - 120);
    EXPECT_EQ(labelWidth, message_width - 100);
    EXPECT_EQ(labelHeight, -1);  // as high as the text: the window, not the label, is sized
    EXPECT_TRUE(wraps);
    RunPending();
    EXPECT_EQ(FindToplevel(GTK_TYPE_MESSAGE_DIALOG), nullptr);  // destroyed after use

    Later([&] {
        GtkWidget* dialog = FindToplevel(GTK_TYPE_MESSAGE_DIALOG);
        ASSERT_NE(dialog, nullptr);
        ASSERT_NE(FindButton(dialog, GTK_STOCK_OK), nullptr);
        gtk_button_clicked(GTK_BUTTON(FindButton(dialog, "SET START")));
    });
    EXPECT_EQ(ShowMessageSpecial(MSG_QUESTION, "START STITCHING?", "SET START", -99), -99);

    Later([&] { gtk_widget_destroy(FindToplevel(GTK_TYPE_MESSAGE_DIALOG)); });
    EXPECT_EQ(ShowMessage(MSG_ERROR, BUTTONS_OK, "GONE"), RESPONSE_DELETE);
}

TEST_F(GtkWindowsTest, StatusWindowStopIsOnlyAFlag)
{
    StatusWindow* w = CreateStatusWindow("IMPORTING");
    auto* gw = static_cast<GtkStatusWindow*>(w->window);
    ASSERT_NE(gw, nullptr);
    EXPECT_STREQ(gtk_progress_bar_get_text(GTK_PROGRESS_BAR(gw->progressBar)), "Converting Pattern");
    StatusWindowSetText(w, "Gathering Points");
    EXPECT_STREQ(gtk_progress_bar_get_text(GTK_PROGRESS_BAR(gw->progressBar)), "Gathering Points");
    Screenshot("status");

    gtk_button_clicked(GTK_BUTTON(FindButton(gw->window, "STOP")));
    UpdateStatusWindow(w, 500);
    EXPECT_EQ(w->abortRequested, 1u);
    EXPECT_TRUE(GTK_WIDGET_VISIBLE(gw->window));
    CloseStatusWindow(w);
    RunPending();
}

TEST_F(GtkWindowsTest, WaitingWindowAnimatesAndCancels)
{
    static int undone = 0;
    restoreUndoOnCancel = [] { ++undone; };
    WaitingWindow* w = CreateWaitingWindow("\n\nUPDATING PATTERNS", 1);
    w->undoOnCancel = 1;
    auto* gw = static_cast<GtkWaitingWindow*>(w->window);
    ASSERT_NE(gw, nullptr);
    EXPECT_EQ(gtk_image_get_storage_type(GTK_IMAGE(gw->animation)), GTK_IMAGE_ANIMATION);
    WaitingWindowSetInfo(w, "PATTERN 3 OF 7");
    EXPECT_TRUE(GTK_WIDGET_VISIBLE(gw->cancelButton));
    int width = 0, height = 0;
    gtk_widget_get_size_request(gw->cancelButton, &width, &height);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, menubar_height);
    gtk_widget_get_size_request(gw->window, &width, &height);
    EXPECT_EQ(width, screen_width);
    EXPECT_EQ(height, screen_height);
    Screenshot("waiting");

    gtk_button_clicked(GTK_BUTTON(gw->cancelButton));
    EXPECT_EQ(undone, 1);
    EXPECT_EQ(w->window, nullptr);
    EXPECT_EQ(keepWaitingWindowOpen, 0);
    CloseWaitingWindow(w);  // its owner closing afterwards is harmless
    restoreUndoOnCancel = nullptr;
    RunPending();

    // The large picture set, without Cancel; a missing picture leaves an empty image.
    icon_style = 1;
    w = CreateWaitingWindow("\n\nLOADING LAYOUT FILE", 0);
    gw = static_cast<GtkWaitingWindow*>(w->window);
    EXPECT_FALSE(GTK_WIDGET_VISIBLE(gw->cancelButton));
    // The large picture and a message of three lines are more than 240 lines: the small
    // picture is used (and Cancel is as wide).
    gtk_widget_get_size_request(gw->cancelButton, &width, &height);
    EXPECT_EQ(width, 100);
    CloseWaitingWindow(w);
    std::filesystem::remove(dir / "images/waitingIcon200.gif");
    std::filesystem::remove(dir / "images/waitingIcon100.gif");
    w = CreateWaitingWindow("\n\nLOADING LAYOUT FILE", 0);
    gw = static_cast<GtkWaitingWindow*>(w->window);
    EXPECT_EQ(gtk_image_get_storage_type(GTK_IMAGE(gw->animation)), GTK_IMAGE_EMPTY);
    CloseWaitingWindow(w);
    RunPending();
}

namespace {

// Paints `window` in full now, the way an expose from the X server would, and reads the
// pixel at (x, y) of it back from the screen.
guint32 PixelAfterRepaint(GtkWidget* window, int x, int y)
{
    gdk_window_invalidate_rect(window->window, nullptr, TRUE);
    gdk_window_process_updates(window->window, TRUE);
    GdkPixbuf* p = gdk_pixbuf_get_from_drawable(nullptr, window->window, nullptr, x, y, 0, 0, 1, 1);
    if (p == nullptr)
        return 0xFFFFFFFF;
    const guchar* px = gdk_pixbuf_get_pixels(p);
    const guint32 rgb = (guint32(px[0]) << 16) | (guint32(px[1]) << 8) | px[2];
    g_object_unref(p);
    return rgb;
}

// `inner` (allocated in `window`'s coordinates) lies wholly inside the window.
::testing::AssertionResult Inside(GtkWidget* inner, GtkWidget* window)
{
    const GtkAllocation& a = inner->allocation;
    const GtkAllocation& w = window->allocation;
    if (a.x >= 0 && a.y >= 0 && a.width > 0 && a.height > 0 && a.x + a.width <= w.width &&
        a.y + a.height <= w.height)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << a.width << "x" << a.height << "+" << a.x << "+"
                                         << a.y << " in " << w.width << "x" << w.height;
}

// The window lies on the 320 x 240 screen, and its 5-pixel black frame survives a repaint:
// it is drawn after the window's own drawing.
void ExpectOnTheScreenAndFramed(GtkWidget* window)
{
    int x = -1, y = -1;
    gtk_window_get_position(GTK_WINDOW(window), &x, &y);
    EXPECT_GE(x, 0);
    EXPECT_GE(y, 0);
    EXPECT_LE(x + window->allocation.width, 320);
    EXPECT_LE(y + window->allocation.height, 240);
    const int w = window->allocation.width, h = window->allocation.height;
    for (auto [px, py] : {std::pair{0, h / 2}, {4, h / 3}, {w / 2, 0}, {w / 3, 4}, {w - 1, h / 2},
                          {w - 5, h / 3}, {w / 2, h - 1}, {w / 3, h - 5}})
        EXPECT_EQ(PixelAfterRepaint(window, px, py), 0x000000u) << px << "," << py;
    EXPECT_NE(PixelAfterRepaint(window, 6, h / 2), 0x000000u);  // only 5 pixels wide
}

// The longest texts the program shows in each kind of window.
const char* const kLongestMessage =
    "USB DRIVE NOT DETECTED.\n\nIF INSERTED, TRY WAITING A FEW MORE SECONDS FOR THE DRIVE TO "
    "BE FOUND OR REMOVE AND REINSERT THE USB DRIVE\n";
const char* const kLongestWait = "\n\nSEARCHING FOR UPDATE";

void ExpectMessageWindowFits(const std::string& text, bool textFits)
{
    bool checked = false;
    Later([&] {
        GtkWidget* dialog = FindToplevel(GTK_TYPE_MESSAGE_DIALOG);
        ASSERT_NE(dialog, nullptr);
        RunPending();
        ExpectOnTheScreenAndFramed(dialog);
        GtkWidget* label = GTK_MESSAGE_DIALOG(dialog)->label;
        EXPECT_TRUE(Inside(label, dialog));
        int textWidth = 0, textHeight = 0;  // every line of the text is inside the label
        pango_layout_get_pixel_size(gtk_label_get_layout(GTK_LABEL(label)), &textWidth, &textHeight);
        EXPECT_EQ(textHeight <= label->allocation.height, textFits);
        EXPECT_LE(textWidth, label->allocation.width);
        GtkWidget* ok = FindButton(dialog, GTK_STOCK_OK);
        GtkWidget* cancel = FindButton(dialog, GTK_STOCK_CANCEL);
        ASSERT_NE(ok, nullptr);
        ASSERT_NE(cancel, nullptr);
        EXPECT_TRUE(Inside(ok, dialog));
        EXPECT_TRUE(Inside(cancel, dialog));
        EXPECT_GE(cancel->allocation.y, label->allocation.y + std::min(textHeight, label->allocation.height));
        Screenshot(std::string("message_fits_") + std::to_string(icon_style) + (textFits ? "" : "_cut"));
        checked = true;
        gtk_button_clicked(GTK_BUTTON(ok));
    });
    EXPECT_EQ(ShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL, text), RESPONSE_OK);
    EXPECT_TRUE(checked);
}

void ExpectWaitingWindowFits()
{
    WaitingWindow* w = CreateWaitingWindow(kLongestWait, 1);
    auto* gw = static_cast<GtkWaitingWindow*>(w->window);
    ASSERT_NE(gw, nullptr);
    WaitingWindowSetInfo(w, "Merging Pattern 10 of 10\n");
    RunPending();
    ExpectOnTheScreenAndFramed(gw->window);
    EXPECT_NE(std::string(gtk_label_get_text(GTK_LABEL(gw->messageLabel))).find("SEARCHING FOR UPDATE"),
              std::string::npos);
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(gw->infoLabel)), "Merging Pattern 10 of 10");
    for (GtkWidget* part : {gw->messageLabel, gw->animation, gw->infoLabel, gw->cancelButton})
        EXPECT_TRUE(Inside(part, gw->window));
    // Top to bottom, nothing squeezed onto its neighbour.
    GtkRequisition message;
    gtk_widget_size_request(gw->messageLabel, &message);
    EXPECT_GE(gw->messageLabel->allocation.height, message.height);
    EXPECT_LE(gw->messageLabel->allocation.y + gw->messageLabel->allocation.height,
              gw->animation->allocation.y);
    EXPECT_LE(gw->animation->allocation.y + gw->animation->allocation.height,
              gw->infoLabel->allocation.y);
    EXPECT_LE(gw->infoLabel->allocation.y + gw->infoLabel->allocation.height,
              gw->cancelButton->allocation.y);
    EXPECT_EQ(gw->cancelButton->allocation.height, menubar_height);
    EXPECT_GE(gw->animation->allocation.height, 100);
    Screenshot(std::string("waiting_fits_") + std::to_string(icon_style));
    gtk_button_clicked(GTK_BUTTON(gw->cancelButton));
    RunPending();
}

}  // namespace

TEST_F(GtkWindowsTest, TheLongestMessagesFitTheScreenInBothStylesAndAreFramed)
{
    screen_width = 320, screen_height = 240;
    InstallMainWindowHooks();  // the frame and the cursor on every message and waiting window
    InstallGtkUiHooks();
    ASSERT_NE(drawFrameHandler, nullptr);
    for (int style : {0, 1}) {
        SCOPED_TRACE(style == 1 ? "large style" : "small style");
        icon_style = style;
        gtk_rc_parse((std::string(CORVAN_SOURCE_DIR) + (style == 1 ? "/data/gtkrc" : "/data/gtkrc_5")).c_str());
        ExpectMessageWindowFits(kLongestMessage, true);
        // A path of any depth inside a question: the text is cut, the buttons stay.
        ExpectMessageWindowFits("UPDATE FILE FOUND:\n/media/usb/" + std::string(400, 'x') +
                                    "/qcc_update.tar.gz\nPROCEED WITH UPDATE?",
                                false);
        ExpectWaitingWindowFits();
    }
}
