// The real keyboard and number pad, driven from inside their nested main loops, in the large
// icon style on a 320 x 240 screen.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/screen_config.h"
#include "app/ui_hooks.h"
#include "files/keyboard.h"
#include "files/keyboard_dialog.h"
#include "support/temp_dir.h"

namespace {

void RunPending()
{
    while (gtk_events_pending())
        gtk_main_iteration();
}

// Runs `action` from the main loop while a modal window is up.
void Later(std::function<void()> action)
{
    auto* heap = new std::function<void()>(std::move(action));
    g_timeout_add(50, [](gpointer data) -> gboolean {
        auto* f = static_cast<std::function<void()>*>(data);
        RunPending();  // the window placed and drawn
        (*f)();
        delete f;
        return FALSE;
    }, heap);
}

GtkWidget* FindWindow(const char* title)
{
    GtkWidget* found = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* l = windows; l != nullptr; l = l->next) {
        GtkWidget* w = GTK_WIDGET(l->data);
        const gchar* t = gtk_window_get_title(GTK_WINDOW(w));
        if (GTK_WIDGET_VISIBLE(w) && t != nullptr && std::string(t) == title)
            found = w;
    }
    g_list_free(windows);
    return found;
}

// The first widget below `root` that `match` accepts.
GtkWidget* Find(GtkWidget* root, const std::function<bool(GtkWidget*)>& match)
{
    if (match(root))
        return root;
    if (!GTK_IS_CONTAINER(root))
        return nullptr;
    GtkWidget* found = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    for (GList* l = children; l != nullptr && found == nullptr; l = l->next)
        found = Find(GTK_WIDGET(l->data), match);
    g_list_free(children);
    return found;
}

GtkWidget* Button(GtkWidget* root, const std::string& label)
{
    return Find(root, [&](GtkWidget* w) {
        const gchar* l = GTK_IS_BUTTON(w) ? gtk_button_get_label(GTK_BUTTON(w)) : nullptr;
        return l != nullptr && label == l;
    });
}

GtkWidget* Key(GtkWidget* keyboard, int index)
{
    return Find(keyboard, [&](GtkWidget* w) {
        return GTK_IS_BUTTON(w) && std::to_string(index) == gtk_widget_get_name(w);
    });
}

int IndexOf(char c) { return int(std::string(kNormalKeys).find(c)); }

GtkWidget* Entry(GtkWidget* root)
{
    return Find(root, [](GtkWidget* w) { return GTK_IS_ENTRY(w); });
}

void Click(GtkWidget* button)
{
    ASSERT_NE(button, nullptr);
    gtk_button_clicked(GTK_BUTTON(button));
    RunPending();
}

// Whether the widget lies wholly on the 320 x 240 screen.
bool OnScreen(GtkWidget* widget)
{
    int x = 0, y = 0;
    gdk_window_get_origin(widget->window, &x, &y);
    if (GTK_WIDGET_NO_WINDOW(widget)) {
        x += widget->allocation.x;
        y += widget->allocation.y;
    }
    return x >= 0 && y >= 0 && x + widget->allocation.width <= screen_width &&
           y + widget->allocation.height <= screen_height;
}

class KeyboardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display"; }
    void SetUp() override
    {
        std::filesystem::copy(std::string(CORVAN_SOURCE_DIR) + "/data/images", dir / "images");
        ParseConfig();
        screen_width = 320;
        screen_height = 240;
        icon_style = 1;
        gtk_rc_parse((std::string(CORVAN_SOURCE_DIR) + "/data/gtkrc").c_str());
        InstallKeyboard();
    }
    void TearDown() override { ResetUiHooks(); }
    TempDir dir;
};

}  // namespace

TEST_F(KeyboardTest, TypingContinuesThePrefillAndTheWholeKeyboardIsOnScreen)
{
    bool allOnScreen = false, markup = true;
    std::string relabelled, promptShown;
    Later([&] {
        GtkWidget* k = FindWindow("Keyboard");
        ASSERT_NE(k, nullptr);
        allOnScreen = OnScreen(k) && OnScreen(Button(k, GTK_STOCK_OK)) &&
                      OnScreen(Button(k, GTK_STOCK_CANCEL)) && OnScreen(Key(k, 39));
        GtkWidget* prompt = Find(k, [](GtkWidget* w) { return GTK_IS_LABEL(w); });
        promptShown = gtk_label_get_text(GTK_LABEL(prompt));
        // Focusing the entry selected it all once; keys must not wipe the prefill.
        Click(Key(k, IndexOf('a')));
        Click(Key(k, IndexOf('b')));
        GtkToggleButton* shift = GTK_TOGGLE_BUTTON(
            Find(k, [](GtkWidget* w) { return GTK_IS_TOGGLE_BUTTON(w); }));
        gtk_toggle_button_set_active(shift, TRUE);
        RunPending();
        GtkWidget* amp = Key(k, IndexOf('7'));
        relabelled = gtk_button_get_label(GTK_BUTTON(amp));
        GtkWidget* label = gtk_bin_get_child(GTK_BIN(amp));
        markup = gtk_label_get_use_markup(GTK_LABEL(label));
        Click(amp);                     // "&", then Shift is off again
        Click(Key(k, IndexOf(',')));    // ","
        Click(Button(k, GTK_STOCK_OK));
    });
    std::string text = "./patterns/";
    EXPECT_EQ(ShowKeyboard(text, "<&>"), 1);
    EXPECT_EQ(text, "./patterns/ab&,");
    EXPECT_TRUE(allOnScreen);
    EXPECT_EQ(promptShown, "<&>");
    EXPECT_EQ(relabelled, "&");
    EXPECT_FALSE(markup);
    RunPending();
    EXPECT_EQ(FindWindow("Keyboard"), nullptr);
}

TEST_F(KeyboardTest, CancelDestructionAndASecondKeyboardAllAnswerCancel)
{
    int nested = -1;
    double nestedPad = -1;
    Later([&] {
        GtkWidget* k = FindWindow("Keyboard");
        ASSERT_NE(k, nullptr);
        Click(Key(k, IndexOf('x')));
        // A keyboard or pad asked for while this one is up is not shown.
        std::string other = "other";
        nested = ShowKeyboard(other, "AGAIN:");
        nestedPad = NumberEntry("12.5", 1, 0);
        // Backspace over a selection removes just the selection.
        gtk_editable_select_region(GTK_EDITABLE(Entry(k)), 0, 2);
        Click(Find(k, [&](GtkWidget* w) {
            return GTK_IS_BUTTON(w) && !GTK_IS_TOGGLE_BUTTON(w) &&
                   gtk_button_get_label(GTK_BUTTON(w)) == nullptr;
        }));
        Click(Button(k, GTK_STOCK_CANCEL));
    });
    std::string text = "\xC3\xA9t\xC3\xA9";  // "été"
    EXPECT_EQ(ShowKeyboard(text, "NAME:"), 0);
    EXPECT_EQ(text, "\xC3\xA9x");  // "étéx" less the selected "ét": what was typed, kept
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(nestedPad, 12.5);

    Later([&] { gtk_widget_destroy(FindWindow("Keyboard")); });
    text = "kept";
    EXPECT_EQ(ShowKeyboard(text, "NAME:"), 0);
    EXPECT_EQ(text, "kept");
    // Usable again afterwards.
    Later([&] { Click(Button(FindWindow("Keyboard"), GTK_STOCK_OK)); });
    EXPECT_EQ(ShowKeyboard(text, "NAME:"), 1);
}

TEST_F(KeyboardTest, NumberPadTypesReplacesAndKeepsOKOnScreen)
{
    bool okOnScreen = false;
    std::string shownFirst;
    Later([&] {
        GtkWidget* pad = FindWindow("ENTER NUMBER");
        ASSERT_NE(pad, nullptr);
        okOnScreen = OnScreen(Button(pad, GTK_STOCK_OK)) && OnScreen(Button(pad, "<-"));
        shownFirst = gtk_entry_get_text(GTK_ENTRY(Entry(pad)));
        Click(Button(pad, "2"));
        Click(Button(pad, "."));
        Click(Button(pad, "5"));
        Click(Button(pad, GTK_STOCK_OK));
    });
    EXPECT_DOUBLE_EQ(NumberEntry("10", 1, 0), 2.5);
    EXPECT_TRUE(okOnScreen);
    EXPECT_EQ(shownFirst, "10");

    // Angle mode: "Counterclockwise" ticked; no "." key without allowDecimal.
    bool hasDot = true;
    Later([&] {
        GtkWidget* pad = FindWindow("ENTER NUMBER");
        ASSERT_NE(pad, nullptr);
        hasDot = Button(pad, ".") != nullptr;
        Click(Button(pad, "9"));
        Click(Button(pad, "0"));
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Button(pad, "Counterclockwise")), TRUE);
        Click(Button(pad, GTK_STOCK_OK));
    });
    EXPECT_DOUBLE_EQ(NumberEntry("45", 0, 1), 270.0);
    EXPECT_FALSE(hasDot);

    // Cancel and destruction give the start value back.
    Later([&] {
        Click(Button(FindWindow("ENTER NUMBER"), "7"));
        Click(Button(FindWindow("ENTER NUMBER"), GTK_STOCK_CANCEL));
    });
    EXPECT_DOUBLE_EQ(NumberEntry("10.5", 0, 0), 10.5);
    Later([&] { gtk_widget_destroy(FindWindow("ENTER NUMBER")); });
    EXPECT_DOUBLE_EQ(NumberEntry("-45", 1, 0), -45.0);
}
