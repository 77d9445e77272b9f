// The real keyboard and number pad, driven from inside their nested main loops, in the large
// icon style on a 320 x 240 screen.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <functional>
#include <string>

#include "base/screen_config.h"
#include "base/ui_hooks.h"
#include "files/keyboard.h"
#include "files/keyboard_dialog.h"
#include "support/temp_dir.h"

namespace {
void RunPending()
{
    while (gtk_events_pending())
        gtk_main_iteration();
}

// Runs `action` from the main loop once the modal window is up and drawn.
void Later(std::function<void()> action)
{
    g_timeout_add(50, [](gpointer data) -> gboolean {
        auto* f = static_cast<std::function<void()>*>(data);
        RunPending();
        (*f)();
        delete f;
        return FALSE;
    }, new std::function<void()>(std::move(action)));
}

GtkWidget* Find(GtkWidget* root, const std::function<bool(GtkWidget*)>& match)
{
    GtkWidget* found = nullptr;
    GList* all = root == nullptr ? gtk_window_list_toplevels()
                 : GTK_IS_CONTAINER(root) ? gtk_container_get_children(GTK_CONTAINER(root))
                                          : nullptr;
    for (GList* l = all; l != nullptr && found == nullptr; l = l->next) {
        GtkWidget* w = GTK_WIDGET(l->data);
        found = match(w) ? w : Find(w, match);
    }
    g_list_free(all);
    return found;
}
GtkWidget* Window(const std::string& title)
{
    return Find(nullptr, [&](GtkWidget* w) {
        const gchar* t = GTK_IS_WINDOW(w) ? gtk_window_get_title(GTK_WINDOW(w)) : nullptr;
        return GTK_WIDGET_VISIBLE(w) && t != nullptr && title == t;
    });
}
// A button by its label, or a keyboard key ("#n") by its index.
GtkWidget* Button(GtkWidget* root, const std::string& label)
{
    return Find(root, [&](GtkWidget* w) {
        if (!GTK_IS_BUTTON(w))
            return false;
        if (label[0] == '#' && label.size() > 1)
            return label.substr(1) == gtk_widget_get_name(w);
        const gchar* l = gtk_button_get_label(GTK_BUTTON(w));
        return l != nullptr && label == l;
    });
}
std::string Key(char c) { return "#" + std::to_string(std::string(kNormalKeys).find(c)); }
void Click(GtkWidget* root, const std::string& label)
{
    GtkWidget* b = Button(root, label);
    ASSERT_NE(b, nullptr) << label;
    gtk_button_clicked(GTK_BUTTON(b));
    RunPending();
}
bool OnScreen(GtkWidget* w)
{
    int x = 0, y = 0;
    gdk_window_get_origin(w->window, &x, &y);
    x += GTK_WIDGET_NO_WINDOW(w) ? w->allocation.x : 0;
    y += GTK_WIDGET_NO_WINDOW(w) ? w->allocation.y : 0;
    return x >= 0 && y >= 0 && x + w->allocation.width <= 320 && y + w->allocation.height <= 240;
}

struct KeyboardTest : ::testing::Test {
    static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display"; }
    void SetUp() override
    {
        std::filesystem::copy(std::string(CORVAN_SOURCE_DIR) + "/data/images", dir / "images");
        ParseConfig();
        screen_width = 320, screen_height = 240, icon_style = 1;
        gtk_rc_parse((std::string(CORVAN_SOURCE_DIR) + "/data/gtkrc").c_str());
        InstallKeyboard();
    }
    void TearDown() override { ResetUiHooks(); }
    TempDir dir;
};
}  // namespace

TEST_F(KeyboardTest, TypingContinuesThePrefillOnAKeyboardWhollyOnScreen)
{
    bool onScreen = false, markup = true;
    Later([&] {
        GtkWidget* k = Window("Keyboard");
        ASSERT_NE(k, nullptr);
        onScreen = OnScreen(k) && OnScreen(Button(k, GTK_STOCK_OK)) &&
                   OnScreen(Button(k, GTK_STOCK_CANCEL)) && OnScreen(Button(k, "#39"));
        Click(k, Key('a'));  // focusing the entry selected all of it: keys must not wipe it
        Click(k, Key('b'));
        gtk_toggle_button_set_active(
            GTK_TOGGLE_BUTTON(Find(k, [](GtkWidget* w) { return GTK_IS_TOGGLE_BUTTON(w); })), TRUE);
        markup = gtk_label_get_use_markup(GTK_LABEL(gtk_bin_get_child(GTK_BIN(Button(k, "&")))));
        Click(k, "&");        // Shift then goes off again
        Click(k, Key(','));
        Click(k, GTK_STOCK_OK);
    });
    std::string text = "./patterns/";
    EXPECT_EQ(ShowKeyboard(text, "<&>"), 1);
    EXPECT_EQ(text, "./patterns/ab&,");
    EXPECT_TRUE(onScreen);
    EXPECT_FALSE(markup);
}

TEST_F(KeyboardTest, CancelDestructionAndASecondWindowAllAnswerCancel)
{
    int nested = -1;
    double nestedPad = -1;
    Later([&] {
        GtkWidget* k = Window("Keyboard");
        Click(k, Key('x'));
        std::string other = "other";
        nested = ShowKeyboard(other, "AGAIN:");  // a second keyboard or pad is not shown
        nestedPad = NumberEntry("12.5", 1, 0);
        Click(k, GTK_STOCK_CANCEL);
    });
    std::string text = "\xC3\xA9t\xC3\xA9";
    EXPECT_EQ(ShowKeyboard(text, "NAME:"), 0);
    EXPECT_EQ(text, "\xC3\xA9t\xC3\xA9x");  // what was typed, kept for the caller
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(nestedPad, 12.5);
    Later([&] { gtk_widget_destroy(Window("Keyboard")); });
    EXPECT_EQ(ShowKeyboard(text, "NAME:"), 0);
    Later([&] { Click(Window("Keyboard"), GTK_STOCK_OK); });
    EXPECT_EQ(ShowKeyboard(text, "NAME:"), 1);  // usable again
}

TEST_F(KeyboardTest, NumberPadReplacesTheShownValueAndKeepsOKOnScreen)
{
    bool onScreen = false;
    Later([&] {
        GtkWidget* pad = Window("ENTER NUMBER");
        ASSERT_NE(pad, nullptr);
        onScreen = OnScreen(Button(pad, GTK_STOCK_OK)) && OnScreen(Button(pad, "<-"));
        for (const char* key : {"2", ".", "5", GTK_STOCK_OK})
            Click(pad, key);
    });
    EXPECT_DOUBLE_EQ(NumberEntry("10", 1, 0), 2.5);
    EXPECT_TRUE(onScreen);
    Later([&] { gtk_widget_destroy(Window("ENTER NUMBER")); });
    EXPECT_DOUBLE_EQ(NumberEntry("-45", 1, 0), -45.0);
}
