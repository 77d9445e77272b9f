// The keyboard's text model and the number pad's rules, without widgets.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "app/ui_hooks.h"
#include "files/keyboard.h"
#include "support/temp_dir.h"

namespace {

std::string Type(const std::string& keys, bool eraseFirst = true, const std::string& shown = "10")
{
    bool erase = eraseFirst;
    std::string text = shown;
    for (char k : keys)
        text = NumberPadKey(text, erase, k == '<' ? kNumberPadBackspace : k);
    return text;
}

int IndexOf(char c, const char* set)
{
    for (int i = 0; i < kKeyCount; ++i)
        if (set[i] == c)
            return i;
    return -1;
}

}  // namespace

TEST(Keyboard, KeySetsAndShift)
{
    EXPECT_EQ(std::string(kNormalKeys), "1234567890qwertyuiopasdfghjkl-zxcvbnm,.+");
    EXPECT_EQ(std::string(kShiftedKeys), "!@#$%^&*()QWERTYUIOPASDFGHJKL=ZXCVBNM<>?");
    EXPECT_EQ(KeyCharacter(-1, false), 0);
    EXPECT_EQ(KeyCharacter(40, true), 0);

    KeyboardModel k;
    EXPECT_EQ(k.buttonPressed, 99);
    k.shift = true;
    k.PressKey(IndexOf('q', kNormalKeys));
    EXPECT_EQ(k.entry.text, "Q");
    EXPECT_FALSE(k.shift);  // one character only
    k.PressKey(IndexOf('q', kNormalKeys));
    k.shift = true;
    k.PressKey(IndexOf(',', kNormalKeys));
    k.PressSpace();
    k.shift = true;
    k.PressKey(IndexOf('&', kShiftedKeys));
    EXPECT_EQ(k.entry.text, "Qq< &");
    EXPECT_EQ(k.entry.cursor, 5);
    EXPECT_EQ(k.buttonPressed, 6);
    k.PressKey(40);  // no such key: nothing happens
    EXPECT_EQ(k.entry.text, "Qq< &");
}

TEST(Keyboard, InsertAndBackspaceWorkOnCharactersAndSelections)
{
    // Typing continues where the cursor is: a prefilled folder keeps its text.
    EntryText e{"./patterns/", 11, 11};
    EntryInsert(e, "a");
    EntryInsert(e, "b");
    EXPECT_EQ(e.text, "./patterns/ab");

    // A key replaces the selection, whichever way it was dragged.
    e = {"quilt", 1, 4};
    EntryInsert(e, "X");
    EXPECT_EQ(e.text, "qXt");
    EXPECT_EQ(e.cursor, 2);
    EXPECT_EQ(e.selectionBound, 2);
    e = {"quilt", 4, 1};
    EntryBackspace(e);
    EXPECT_EQ(e.text, "qt");
    EXPECT_EQ(e.cursor, 1);

    // Characters, not bytes: "é" is two bytes and one character.
    e = {"caf\xC3\xA9!", 4, 4};
    EXPECT_EQ(CharacterCount(e.text), 5);
    EntryBackspace(e);
    EXPECT_EQ(e.text, "caf!");
    e = {"\xC3\xA9\xE2\x82\xAC", 1, 1};  // "é€"
    EntryInsert(e, "x");
    EXPECT_EQ(e.text, "\xC3\xA9x\xE2\x82\xAC");
    EXPECT_EQ(e.cursor, 2);

    // Backspace at the start, and cursors past the end, change nothing harmful.
    e = {"abc", 0, 0};
    EntryBackspace(e);
    EXPECT_EQ(e.text, "abc");
    e = {"abc", 99, -5};
    EntryInsert(e, "Z");
    EXPECT_EQ(e.text, "Z");  // the whole (clamped) selection replaced

    // A long multibyte prefill: the cursor at its end, one backspace removes one character.
    std::string longText;
    for (int i = 0; i < 1000; ++i)
        longText += "\xC3\xBC";  // ü
    e = {longText, 1000, 1000};
    EntryBackspace(e);
    EXPECT_EQ(e.text.size(), 1998u);
    EXPECT_EQ(CharacterCount(e.text), 999);
}

TEST(NumberPad, KeysFollowTheRules)
{
    EXPECT_EQ(Type("2.5"), "2.5");  // the first key replaces the shown value
    EXPECT_EQ(Type("1.0015"), "1.001");
    EXPECT_EQ(Type("1.0010"), "1.0010");
    EXPECT_EQ(Type("1.001"), "1.001");
    EXPECT_EQ(Type("1.2.3"), "1.23");  // a second "." is ignored
    EXPECT_EQ(Type("."), ".");
    EXPECT_EQ(Type("<", false), "1");
    EXPECT_EQ(Type("<<<", false), "");
    EXPECT_EQ(Type("7", false), "107");
    EXPECT_EQ(Type("x"), "");  // not a key: the shown value still goes
    // Thirty digits stop at nine before the point and twelve characters in all.
    EXPECT_EQ(Type(std::string(30, '9')), "999999999");
    EXPECT_EQ(Type("123456789.123456"), "123456789.12");
    EXPECT_EQ(NumberPadResult(Type(std::string(30, '9')), true, "", 0, false), 999999999.0);
}

TEST(NumberPad, Results)
{
    EXPECT_DOUBLE_EQ(NumberPadResult("2.5", true, "10", 0, false), 2.5);
    EXPECT_DOUBLE_EQ(NumberPadResult("400", true, "0", 1, false), 360.0);
    EXPECT_DOUBLE_EQ(NumberPadResult("90", true, "0", 1, true), 270.0);
    EXPECT_DOUBLE_EQ(NumberPadResult("0", true, "45", 1, true), 360.0);
    EXPECT_DOUBLE_EQ(NumberPadResult("400", true, "0", 0, false), 400.0);  // not an angle
    EXPECT_DOUBLE_EQ(NumberPadResult("7", false, "-45", 1, true), -45.0);   // Cancel
    EXPECT_DOUBLE_EQ(NumberPadResult("7", false, "10.5", 0, false), 10.5);
    for (const char* bad : {"", "abc", "nan", "inf", "-inf", "1e400", "."})
        EXPECT_EQ(NumberPadResult(bad, true, "3", 0, false), 0.0) << bad;
    for (const char* bad : {"", "abc", "nan", "1e400"})
        EXPECT_EQ(NumberPadResult("3", false, bad, 0, false), 0.0) << bad;
    // A start text beyond what the pad can show still comes back within an int.
    EXPECT_EQ(NumberPadResult("x", false, std::string(30, '9'), 0, false), 999999999.999);
}

// The toolkit sets the locale from the environment; a decimal comma must not cut "2.5" to 2.
TEST(NumberPad, ReadsNumbersTheSameUnderADecimalCommaLocale)
{
    TempDir dir;
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        const std::string cmd = "localedef -i de_DE -f UTF-8 '" + dir.path() +
                                "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0) {
            setenv("LOCPATH", dir.path().c_str(), 1);
            std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        }
    }
    if (*std::localeconv()->decimal_point != ',')
        GTEST_SKIP() << "no locale with a decimal comma";
    EXPECT_EQ(std::strtod("2.5", nullptr), 2.0);  // the trap itself
    EXPECT_DOUBLE_EQ(NumberFromText("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(NumberPadResult("2.5", true, "0", 0, false), 2.5);
    ResetUiHooks();
    EXPECT_DOUBLE_EQ(UiNumberEntry("12.75", 1, 0), 12.75);  // the seam's fallback alike
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
}
