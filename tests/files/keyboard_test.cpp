// The keyboard's text model and the number pad's rules, without widgets.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "base/ui_hooks.h"
#include "files/keyboard.h"
#include "support/temp_dir.h"

namespace {
std::string Pad(const std::string& keys, const std::string& shown = "10")
{
    bool erase = true;
    std::string text = shown;
    for (char k : keys)
        text = NumberPadKey(text, erase, k == '<' ? kNumberPadBackspace : k);
    return text;
}
int Key(char c) { return int(std::string(kNormalKeys).find(c)); }
}  // namespace

TEST(Keyboard, ShiftActsOnOneCharacterAndKeysWorkOnCharactersNotBytes)
{
    KeyboardModel k;
    k.shift = true;
    k.PressKey(Key('q'));
    EXPECT_FALSE(k.shift);
    k.PressKey(Key('q'));
    k.shift = true;
    k.PressKey(Key(','));
    k.PressSpace();
    EXPECT_EQ(k.entry.text, "Qq< ");
    EXPECT_EQ(k.buttonPressed, Key(','));

    EntryText e{"quilt", 4, 1};  // a selection dragged backwards is replaced
    EntryInsert(e, "X");
    EXPECT_EQ(e.text, "qXt");
    EXPECT_EQ(e.cursor, 2);
    e = {"caf\xC3\xA9!", 4, 4};  // backspace removes the whole two-byte "é"
    EntryBackspace(e);
    EXPECT_EQ(e.text, "caf!");
    e = {"ab", 0, 0};
    EntryBackspace(e);
    e.cursor = e.selectionBound = 99;  // clamped to the end
    EntryInsert(e, "\xE2\x82\xAC");
    EXPECT_EQ(e.text, "ab\xE2\x82\xAC");
    EXPECT_EQ(e.cursor, 3);
}

TEST(NumberPad, KeysAndResults)
{
    EXPECT_EQ(Pad("2.5"), "2.5");  // the first key replaces the shown value
    EXPECT_EQ(Pad("1.0015"), "1.001");
    EXPECT_EQ(Pad("1.0010"), "1.0010");
    EXPECT_EQ(Pad("1.2.3"), "1.23");
    EXPECT_EQ(Pad("7<<"), "");
    EXPECT_EQ(Pad(std::string(30, '9')), "999999999");  // fits an int
    EXPECT_EQ(Pad("123456789.123456"), "123456789.12");
    EXPECT_DOUBLE_EQ(NumberPadResult("400", true, "0", 1, false), 360.0);
    EXPECT_DOUBLE_EQ(NumberPadResult("90", true, "0", 1, true), 270.0);
    EXPECT_DOUBLE_EQ(NumberPadResult("0", true, "45", 1, true), 360.0);
    EXPECT_DOUBLE_EQ(NumberPadResult("7", false, "10.5", 0, false), 10.5);  // Cancel
    for (const char* bad : {"", "abc", "nan", "-inf", "1e400", "."}) {
        EXPECT_EQ(NumberPadResult(bad, true, "3", 0, false), 0.0) << bad;
        EXPECT_EQ(NumberPadResult("3", false, bad, 0, false), 0.0) << bad;
    }
}

// The toolkit sets the locale from the environment; a decimal comma must not cut "2.5" to 2.
TEST(NumberPad, ReadsNumbersTheSameUnderADecimalCommaLocale)
{
    TempDir dir;
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::system(("localedef -i de_DE -f UTF-8 '" + dir.path() + "/de_DE.UTF-8' 2>/dev/null")
                        .c_str()) == 0) {
        setenv("LOCPATH", dir.path().c_str(), 1);
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    }
    if (*std::localeconv()->decimal_point != ',')
        GTEST_SKIP() << "no locale with a decimal comma";
    EXPECT_DOUBLE_EQ(NumberPadResult("2.5", true, "0", 0, false), 2.5);
    ResetUiHooks();
    EXPECT_DOUBLE_EQ(UiNumberEntry("12.75", 1, 0), 12.75);  // the seam's fallback alike
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
}
