// ./screen.conf and the geometry derived from it.
#include <gtest/gtest.h>

#include <string>

#include "base/screen_config.h"
#include "support/temp_dir.h"

namespace {

std::string ParseQuietly()
{
    testing::internal::CaptureStdout();
    ParseConfig();
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(ScreenConfig, DefaultsWithoutAFile)
{
    TempDir dir;
    screen_width = 1;
    EXPECT_EQ(ParseQuietly(), "");
    EXPECT_EQ(screen_width, 320);
    EXPECT_EQ(screen_height, 240);
    EXPECT_EQ(menubar_width, 160);
    EXPECT_EQ(confirm_button_size, 32);
    EXPECT_EQ(icon_style, 0);
    EXPECT_EQ(setup_spinbox_height, 22);
    EXPECT_EQ(array_dialog_width, 300);
    EXPECT_EQ(file_selection_height, 240);
    EXPECT_EQ(pop_menu_x, 225);
    EXPECT_EQ(view_area_width, 320);
    EXPECT_EQ(view_area_height, 200);
    EXPECT_EQ(toolbar_height, 40);
    EXPECT_EQ(toolbar_width, 160);
}

TEST(ScreenConfig, KeysSetTheirGlobalsAndTheDerivedValuesFollow)
{
    TempDir dir;
    dir.Write("screen.conf", "screen_width = 480\n");
    ParseQuietly();
    EXPECT_EQ(view_area_width, 480);
    EXPECT_EQ(toolbar_width, 320);
    EXPECT_EQ(pop_menu_x, 385);

    dir.Write("screen.conf",
              "pop_menu_x = 10\nscreen_width = 800\tmenubar_height   =60 icon_style =1\n"
              "view_area_width = 5\ntoolbar_width = 5\nsetup_slider_height = -3\n");
    ParseQuietly();
    EXPECT_EQ(pop_menu_x, 10);  // stands whatever the width
    EXPECT_EQ(screen_width, 800);
    EXPECT_EQ(menubar_height, 60);
    EXPECT_EQ(icon_style, 1);
    EXPECT_EQ(setup_slider_height, -3);
    // Derived values cannot be set from the file.
    EXPECT_EQ(view_area_width, 800);
    EXPECT_EQ(view_area_height, 180);
    EXPECT_EQ(toolbar_height, 60);
    EXPECT_EQ(toolbar_width, 640);
}

TEST(ScreenConfig, MalformedItemsAreSkippedAndReadingGoesOn)
{
    TempDir dir;
    dir.Write("screen.conf",
              "menubar_width = 100\n"
              "screen_height = \n"          // number missing: not the last number again
              "icon_style 1\n"              // no '='
              "screen_width=400\n"          // one word, not an item
              "no_such_key = 7\n"
              "message_width = 12px\n"      // number then junk
              "message_height = 99999999999999999999999\n"
              "trace_button_width = -\n"
              "confirm_button_size = 40\n");
    ParseQuietly();
    EXPECT_EQ(menubar_width, 100);
    EXPECT_EQ(screen_height, 240);
    EXPECT_EQ(icon_style, 0);
    EXPECT_EQ(screen_width, 320);
    EXPECT_EQ(message_width, 12);
    EXPECT_EQ(message_height, 240);
    EXPECT_EQ(trace_button_width, 60);
    EXPECT_EQ(confirm_button_size, 40);
}

TEST(ScreenConfig, OverLongKeysJunkAndHugeFilesDoNoHarm)
{
    TempDir dir;
    // A key far beyond 127 characters, one that starts like a real key, then real items.
    dir.Write("screen.conf", std::string(5000, 'k') + " = 5\nscreen_width" + std::string(200, 'x') +
                                 " = 999\nscreen_height = 123\n");
    std::string out = ParseQuietly();
    EXPECT_EQ(screen_width, 320);
    EXPECT_EQ(screen_height, 123);
    EXPECT_NE(out.find("longer than 127"), std::string::npos);

    // Binary junk, NUL bytes included, followed by one good item.
    std::string junk;
    for (int round = 0; round < 40; ++round)
        for (int b = 0; b < 256; ++b)
            junk += static_cast<char>((b * 37 + round) & 0xFF);
    dir.Write("screen.conf", junk + "\n\nmenubar_height = 44\n");
    ParseQuietly();
    EXPECT_EQ(menubar_height, 44);

    // Several MiB: only the start is read, and the program says so.
    std::string huge = "screen_height = 111\n";
    while (huge.size() < (3u << 20))
        huge += "pattern_list_width = 1\n";
    huge += "screen_width = 500\n";
    dir.Write("screen.conf", huge);
    out = ParseQuietly();
    EXPECT_EQ(screen_height, 111);
    EXPECT_EQ(pattern_list_width, 1);
    EXPECT_EQ(screen_width, 320);
    EXPECT_NE(out.find("only the first"), std::string::npos);
}

TEST(ScreenConfig, AFolderInPlaceOfTheFileLeavesTheDefaults)
{
    TempDir dir;
    dir.Write("screen.conf/x", "screen_width = 1\n");
    ParseQuietly();
    EXPECT_EQ(screen_width, 320);
    EXPECT_EQ(pop_menu_x, 225);
}
