// Save Layout, Save Layout As and the pop-up's Save, answered by a scripted user.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/interface.h"
#include "app/main_menu.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"
#include "support/small_layouts.h"
#include "support/temp_dir.h"

namespace {
// A 40 x 20 area, its box and one placed two-point pattern, in a folder with Layout/.
struct SaveTest : ::testing::Test {
    void SetUp() override
    {
        mkdir("Layout", 0777);
        mkdir("patterns", 0777);
        node = AreaBoxAndOnePlacement();
        testing::internal::CaptureStdout();
    }
    void TearDown() override { testing::internal::GetCapturedStdout(); }
    static std::string Question(const std::string& name)
    {
        return "THIS WILL OVERWRITE THE CURRENT LAYOUT:\n" + name + "\nWOULD YOU LIKE TO CONTINUE?";
    }
    TempDir dir;
    ScriptedUi ui;
    LayoutNode* node = nullptr;
};
}  // namespace

TEST_F(SaveTest, SaveAsThenSave)
{
    ui.Type("my quilt #2.");
    EXPECT_EQ(menuEditSaveLayoutAs(), 1);
    EXPECT_TRUE(dir.Exists("Layout/myquilt2.qlf"));
    // Save asks about the current layout and writes it with no second question; Cancel there
    // writes nothing.
    dir.Write("Layout/myquilt2.qlf", "stale");
    ui.Expect(Question("myquilt2"), RESPONSE_OK).Expect(Question("myquilt2"), RESPONSE_CANCEL);
    EXPECT_EQ(menuEditSaveLayout(), 1);
    const std::string written = dir.Read("Layout/myquilt2.qlf");
    EXPECT_GT(written.size(), 100u);
    dir.Write("Layout/myquilt2.qlf", "kept");
    EXPECT_EQ(menuEditSaveLayout(), 0);
    EXPECT_EQ(dir.Read("Layout/myquilt2.qlf"), "kept");

    // Declined overwrite, cancelled keyboard, refused names: nothing written, name unchanged.
    ui.Type("my quilt 2").Expect("FILE EXISTS!\nOVERWRITE FILE?", RESPONSE_CANCEL);
    ui.Type("fresh", 0).Type("..").Expect("FILENAME IS EMPTY", RESPONSE_OK);
    ui.Type(std::string(124, 'n')).Expect("FILENAME IS TOO LONG", RESPONSE_OK);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(menuEditSaveLayoutAs(), 0);
    EXPECT_EQ(dir.Read("Layout/myquilt2.qlf"), "kept");
    EXPECT_FALSE(dir.Exists("Layout/fresh.qlf"));
    EXPECT_EQ(interface_.current_layout, "./Layout/myquilt2");

    interface_.current_layout.clear();  // no current layout: Save is Save As
    ui.Type("a/b");
    EXPECT_EQ(menuEditSaveLayout(), 1);
    EXPECT_EQ(dir.Read("Layout/ab.qlf"), written);
    EXPECT_EQ(interface_.current_layout, "./Layout/ab");
}

TEST_F(SaveTest, SaveGoesBackToTheLoadedFileAndFailuresAreReported)
{
    mkdir("Layout/old", 0777);
    ASSERT_EQ(SaveLayout("./Layout/old/q", kOverwriteWithoutAsking, kNameIsPath), 1);
    dir.Write("Layout/oldq.qlf", "another layout");
    ui.AllowUnexpected();
    ASSERT_EQ(LoadLayout("./Layout/old/q.qlf", kDiscardCurrentLayout, kSkipQuestion), 1);
    ui.AllowUnexpected(false);
    patternLayout->x = 9.0f;
    const std::string before = dir.Read("Layout/old/q.qlf");
    ui.Expect(Question("old/q"), RESPONSE_OK);
    EXPECT_EQ(menuEditSaveLayout(), 1);
    EXPECT_EQ(dir.Read("Layout/oldq.qlf"), "another layout");
    EXPECT_NE(dir.Read("Layout/old/q.qlf"), before);

    // A file that cannot be written (a folder holds its temporary name, even for root).
    mkdir("Layout/stuck.qlf.part", 0777);
    ui.Type("stuck").Expect("COULD NOT SAVE LAYOUT FILE.", RESPONSE_OK);
    EXPECT_EQ(menuEditSaveLayoutAs(), 0);
    EXPECT_EQ(interface_.current_layout, "./Layout/old/q");  // not made current
    interface_.current_layout = "./Layout/stuck";
    ui.Expect(Question("stuck"), RESPONSE_OK).Expect("COULD NOT SAVE LAYOUT FILE.", RESPONSE_OK);
    EXPECT_EQ(menuEditSaveLayout(), 0);
}

TEST_F(SaveTest, PopupSaveWritesTheSelectedPatternAndDropsItsThumbnail)
{
    interface_.selectedNode = nullptr;
    EXPECT_EQ(popupSavePattern(), 0);  // no selection: no keyboard either
    interface_.selectedNode = node;
    dir.Write("thumbnails/star.png", "an older star");
    ui.Type("star").Type("star", 0);
    EXPECT_EQ(popupSavePattern(), 1);
    EXPECT_EQ(dir.Read("patterns/star.qcc"), "p X1.000 Y1.000\np X3.000 Y2.000\n");
    EXPECT_FALSE(dir.Exists("thumbnails/star.png"));
    EXPECT_EQ(popupSavePattern(), 0);  // Cancel

    mkdir("patterns/stuck.qcc", 0777);
    ui.Type("stuck").Expect("FILE EXIXTS!\n\nOVERWRITE?", RESPONSE_YES)
        .Expect("COULD NOT SAVE PATTERN FILE.", RESPONSE_OK);
    EXPECT_EQ(popupSavePattern(), 0);
    ResetLayout();  // a selection no longer in the layout is not followed
    EXPECT_EQ(popupSavePattern(), 0);
    interface_.selectedNode = nullptr;
}
