// Save Layout, Save Layout As and the pop-up's Save, answered by a scripted user: the files
// they write, the questions they ask, the current layout they leave.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "app/interface.h"
#include "app/main_menu.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

// A 40 x 20 area with one box and one placed two-point pattern.
LayoutNode* AreaWithOnePlacement()
{
    ResetLayout();
    extents = new PatternBox();
    AddPatternBoxPoint(extents, 0, 0, 1, 0);
    AddPatternBoxPoint(extents, 40, 0, 0, 0);
    AddPatternBoxPoint(extents, 40, 20, 0, 0);
    AddPatternBoxPoint(extents, 0, 20, 0, 0);
    SetPatternBoxOrigin(extents);
    currentBox = CreatePatternBox();
    PatternBox* box = GetPatternBox(currentBox);
    AddPatternBoxPoint(box, 5, 13, 1, 0);
    AddPatternBoxPoint(box, 15, 13, 0, 0);
    AddPatternBoxPoint(box, 15, 5, 0, 0);
    AddPatternBoxPoint(box, 5, 5, 0, 0);
    SetPatternBoxOrigin(box);
    Pattern* p = newPattern();
    addData(p, "p X1 Y1", 1);
    addData(p, "p X3 Y2", 1);
    StorePattern(0, p);
    return NewPatternLayoutNode(0, -1, 0, 2.5f, 1.5f);
}

const char kOverwrite[] = "THIS WILL OVERWRITE THE CURRENT LAYOUT:\n";
const char kContinue[] = "\nWOULD YOU LIKE TO CONTINUE?";

}  // namespace

TEST(SaveLayoutMenu, SaveAsThenSaveWritesTheTypedNameAndAsksOnlyOnce)
{
    TempDir dir;
    mkdir("Layout", 0777);
    AreaWithOnePlacement();
    ScriptedUi ui;
    std::string prompt;
    auto scripted = uiHooks.showKeyboard;
    uiHooks.showKeyboard = [&](std::string& text, const std::string& p) {
        prompt = p;
        EXPECT_EQ(text, "");  // starts empty
        return scripted(text, p);
    };
    testing::internal::CaptureStdout();

    ui.Type("my quilt #2.");
    EXPECT_EQ(menuEditSaveLayoutAs(), 1);
    EXPECT_EQ(prompt, "SAVE AS:");
    ASSERT_TRUE(dir.Exists("Layout/myquilt2.qlf"));
    const std::string first = dir.Read("Layout/myquilt2.qlf");
    EXPECT_EQ(interface_.current_layout, "./Layout/myquilt2");

    // Save asks about the current layout by its name and writes it with no second question.
    patternLayout->x = 7.0f;
    ui.Expect(std::string(kOverwrite) + "myquilt2" + kContinue, RESPONSE_OK);
    EXPECT_EQ(menuEditSaveLayout(), 1);
    EXPECT_NE(dir.Read("Layout/myquilt2.qlf"), first);
    // ... and Cancel there writes nothing.
    dir.Write("Layout/myquilt2.qlf", "kept");
    ui.Expect(std::string(kOverwrite) + "myquilt2" + kContinue, RESPONSE_CANCEL);
    EXPECT_EQ(menuEditSaveLayout(), 0);
    EXPECT_EQ(dir.Read("Layout/myquilt2.qlf"), "kept");

    // Save As onto an existing file asks first; declining keeps the file and the name.
    ui.Type("my quilt 2").Expect("FILE EXISTS!\nOVERWRITE FILE?", RESPONSE_CANCEL);
    interface_.current_layout = "./Layout/other";
    EXPECT_EQ(menuEditSaveLayoutAs(), 0);
    EXPECT_EQ(dir.Read("Layout/myquilt2.qlf"), "kept");
    EXPECT_EQ(interface_.current_layout, "./Layout/other");

    // A cancelled keyboard writes nothing and keeps the name.
    ui.Type("fresh", 0);
    EXPECT_EQ(menuEditSaveLayoutAs(), 0);
    EXPECT_FALSE(dir.Exists("Layout/fresh.qlf"));
    EXPECT_EQ(interface_.current_layout, "./Layout/other");

    // No current layout: Save behaves as Save As.
    interface_.current_layout.clear();
    ui.Type("second");
    EXPECT_EQ(menuEditSaveLayout(), 1);
    EXPECT_TRUE(dir.Exists("Layout/second.qlf"));
    EXPECT_EQ(interface_.current_layout, "./Layout/second");

    // Names refused with a message: nothing written, the current name unchanged.
    ui.Type("").Expect("FILENAME IS EMPTY", RESPONSE_OK);
    ui.Type("..").Expect("FILENAME IS EMPTY", RESPONSE_OK);
    ui.Type(std::string(124, 'n')).Expect("FILENAME IS TOO LONG", RESPONSE_OK);
    ui.Type("a/b");
    EXPECT_EQ(menuEditSaveLayoutAs(), 0);
    EXPECT_EQ(menuEditSaveLayoutAs(), 0);
    EXPECT_EQ(menuEditSaveLayoutAs(), 0);
    EXPECT_EQ(interface_.current_layout, "./Layout/second");
    EXPECT_EQ(menuEditSaveLayoutAs(), 1);  // "a/b" is the plain name "ab"
    EXPECT_TRUE(dir.Exists("Layout/ab.qlf"));
    testing::internal::GetCapturedStdout();
}

TEST(SaveLayoutMenu, SaveGoesBackToTheFileTheLayoutWasLoadedFrom)
{
    TempDir dir;
    mkdir("Layout", 0777);
    AreaWithOnePlacement();
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    ASSERT_EQ(SaveLayout("./Layout/old/q", 0, 1), 0);  // no folder yet
    mkdir("Layout/old", 0777);
    ASSERT_EQ(SaveLayout("./Layout/old/q", 0, 1), 1);
    dir.Write("Layout/oldq.qlf", "another layout");

    ui.AllowUnexpected();  // the load's question
    ASSERT_EQ(LoadLayout("./Layout/old/q.qlf", 1, 1), 1);
    ui.AllowUnexpected(false);
    ASSERT_EQ(interface_.current_layout, "./Layout/old/q");
    patternLayout->x = 9.0f;
    const std::string before = dir.Read("Layout/old/q.qlf");
    ui.Expect(std::string(kOverwrite) + "old/q" + kContinue, RESPONSE_OK);
    EXPECT_EQ(menuEditSaveLayout(), 1);
    EXPECT_EQ(dir.Read("Layout/oldq.qlf"), "another layout");
    EXPECT_NE(dir.Read("Layout/old/q.qlf"), before);

    // A name with a full stop, loaded from the layout folder, is not shortened either.
    ASSERT_EQ(SaveLayout("./Layout/v1.5", 0, 1), 1);
    interface_.current_layout = "./Layout/v1.5";
    ui.Expect(std::string(kOverwrite) + "v1.5" + kContinue, RESPONSE_OK);
    EXPECT_EQ(menuEditSaveLayout(), 1);
    EXPECT_FALSE(dir.Exists("Layout/v15.qlf"));
    testing::internal::GetCapturedStdout();
}

TEST(SaveLayoutMenu, AFileThatCannotBeWrittenIsReportedAndNotMadeCurrent)
{
    TempDir dir;
    mkdir("Layout", 0777);
    AreaWithOnePlacement();
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    // A folder where the file's temporary copy goes: no open succeeds, even for root.
    mkdir("Layout/stuck.qlf.part", 0777);
    interface_.current_layout = "./Layout/before";
    ui.Type("stuck").Expect("COULD NOT SAVE LAYOUT FILE.", RESPONSE_OK);
    EXPECT_EQ(menuEditSaveLayoutAs(), 0);
    EXPECT_EQ(interface_.current_layout, "./Layout/before");
    EXPECT_FALSE(dir.Exists("Layout/stuck.qlf"));

    interface_.current_layout = "./Layout/stuck";
    ui.Expect(std::string(kOverwrite) + "stuck" + kContinue, RESPONSE_OK)
        .Expect("COULD NOT SAVE LAYOUT FILE.", RESPONSE_OK);
    EXPECT_EQ(menuEditSaveLayout(), 0);

    // A layout folder that is gone altogether.
    rmdir("Layout/stuck.qlf.part");
    rmdir("Layout");
    ui.Type("anything").Expect("COULD NOT SAVE LAYOUT FILE.", RESPONSE_OK);
    EXPECT_EQ(menuEditSaveLayoutAs(), 0);
    testing::internal::GetCapturedStdout();
}

TEST(PopupSave, SavesTheSelectedPatternAndDropsItsThumbnail)
{
    TempDir dir;
    mkdir("patterns", 0777);
    LayoutNode* node = AreaWithOnePlacement();
    ScriptedUi ui;
    testing::internal::CaptureStdout();

    interface_.selectedNode = nullptr;
    EXPECT_EQ(popupSavePattern(), 0);  // no selection: no keyboard either

    interface_.selectedNode = node;
    dir.Write("thumbnails/star.png", "an older star");
    ui.Type("star");
    EXPECT_EQ(popupSavePattern(), 1);
    EXPECT_EQ(dir.Read("patterns/star.qcc"), "p X1.000 Y1.000\np X3.000 Y2.000\n");
    EXPECT_FALSE(dir.Exists("thumbnails/star.png"));

    ui.Type("star", 0);  // Cancel
    dir.Write("patterns/star.qcc", "old");
    EXPECT_EQ(popupSavePattern(), 0);
    EXPECT_EQ(dir.Read("patterns/star.qcc"), "old");

    // A file that cannot be written is reported; nothing else changes.
    mkdir("patterns/stuck.qcc", 0777);
    dir.Write("thumbnails/stuck.png", "kept");
    ui.Type("stuck")
        .Expect("FILE EXIXTS!\n\nOVERWRITE?", RESPONSE_YES)
        .Expect("COULD NOT SAVE PATTERN FILE.", RESPONSE_OK);
    EXPECT_EQ(popupSavePattern(), 0);
    EXPECT_EQ(dir.Read("thumbnails/stuck.png"), "kept");

    // A selection that is no longer part of the layout is not followed.
    ResetLayout();
    EXPECT_EQ(popupSavePattern(), 0);
    interface_.selectedNode = nullptr;
    testing::internal::GetCapturedStdout();
}
