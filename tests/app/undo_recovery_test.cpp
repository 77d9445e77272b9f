// The undo snapshot, the crash handler's recovery layout and its loading at start.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include "base/interface.h"
#include "base/message_windows.h"
#include "app/startup.h"
#include "patterns/layout.h"
#include "patterns/layout_file.h"
#include "patterns/layout_recovery.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "app/undo.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

// A quilting area, one box and `placements` placements of one pattern.
void SmallLayout(int placements)
{
    ResetLayout();
    extents = new PatternBox();
    for (auto [x, y] : {std::pair<float, float>{0, 0}, {0, 10}, {20, 10}, {20, 0}})
        AddPatternBoxPoint(extents, x, y, 0, 1);
    SetPatternBoxOrigin(extents);
    currentBox = CreatePatternBox();
    Pattern* p = newPattern();
    addData(p, "pX0Y0", 1);
    addData(p, "pX2Y1", 1);
    StorePattern(0, p);
    for (int i = 0; i < placements; ++i)
        NewPatternLayoutNode(0, -1, 0, 1.0f * i, 0.0f);
}

int Placements()
{
    int n = 0;
    for (const LayoutNode* node = patternLayout; node != nullptr; node = node->next)
        ++n;
    return n;
}

}  // namespace

TEST(Undo, SnapshotRestoresOnceAndDropsTheLayoutName)
{
    TempDir dir;
    mkdir("tmp", 0777);
    SmallLayout(3);
    interface_.current_layout = "./Layout/named";
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    CreateUndoFile();
    EXPECT_TRUE(dir.Exists("tmp/undo.qlf"));
    EXPECT_EQ(ui.undoSnapshots, std::vector<bool>{true});
    EXPECT_EQ(interface_.current_layout, "");

    RemoveLayoutNode(patternLayout);  // the change to undo
    interface_.current_layout = "set meanwhile";
    EXPECT_EQ(RestoreUndoFile(), 1);
    EXPECT_EQ(Placements(), 3);
    EXPECT_FALSE(dir.Exists("tmp/undo.qlf"));
    EXPECT_EQ(ui.undoSnapshots, (std::vector<bool>{true, false}));
    EXPECT_EQ(interface_.current_layout, "");
    EXPECT_EQ(keepWaitingWindowOpen, 0);  // the loading window is closed again

    RemoveLayoutNode(patternLayout);
    EXPECT_EQ(RestoreUndoFile(), 1);  // nothing left to restore
    EXPECT_EQ(Placements(), 2);
    EXPECT_EQ(ui.undoSnapshots.size(), 2u) << "no snapshot, nothing to tell the Undo entry";
    std::string log = testing::internal::GetCapturedStdout();
    const std::string path = dir / "tmp/undo.qlf";
    EXPECT_NE(log.find("checking for undo file: " + path + "\nLoad Undo Layout File: \t " + path +
                       " \n"),
              std::string::npos);
    EXPECT_NE(log.find("Undo file removed\n"), std::string::npos);
    EXPECT_NE(log.find("undo file: " + path + " not found\n"), std::string::npos);
    ResetLayout();
}

TEST(Undo, EveryLoadDropsTheSelection)
{
    TempDir dir;
    mkdir("tmp", 0777);
    SmallLayout(2);
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    CreateUndoFile();
    // Undo, and a layout opened from a file, free every placement the selection could name.
    interface_.selectedNode = patternLayout;
    EXPECT_EQ(RestoreUndoFile(), 1);
    EXPECT_EQ(interface_.selectedNode, nullptr);
    ASSERT_EQ(SaveLayout("named", kOverwriteWithoutAsking, kNameIsPath), 1);
    interface_.selectedNode = patternLayout->next;
    EXPECT_EQ(LoadLayout("named.qlf", kDiscardCurrentLayout, kSkipQuestion), 1);
    EXPECT_EQ(interface_.selectedNode, nullptr);
    EXPECT_EQ(Placements(), 2);
    testing::internal::GetCapturedStdout();
    ResetLayout();
}

TEST(Undo, FailedRestoreKeepsTheSnapshotAndCancelRestoresIt)
{
    TempDir dir;
    mkdir("tmp", 0777);
    dir.Write("tmp/undo.qlf", std::string("\x01\x00\x00", 3));  // cut inside the extents
    ScriptedUi ui;
    testing::internal::CaptureStdout();
    ui.Expect("ERROR READING LAYOUT FILE.", RESPONSE_OK);
    RestoreUndoFile();
    EXPECT_TRUE(dir.Exists("tmp/undo.qlf"));
    EXPECT_TRUE(ui.undoSnapshots.empty());  // still possible

    // Cancel of a waiting window that asked for undo rolls the operation back.
    SmallLayout(2);
    CreateUndoFile();
    SmallLayout(5);
    uiHooks.restoreUndoOnCancel = RestoreUndoOnCancel;
    WaitingWindow* w = CreateWaitingWindow("\n\nUPDATING PATTERNS", 1);
    w->undoOnCancel = 1;
    CancelWaitingWindow(w);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(Placements(), 2);
    EXPECT_FALSE(dir.Exists("tmp/undo.qlf"));
    ResetLayout();
}

TEST(Recovery, LoadedAtStartWithoutAQuestionThenDeleted)
{
    TempDir dir;
    mkdir("Layout", 0777);
    ScriptedUi ui;  // any question would fail the test
    testing::internal::CaptureStdout();
    EXPECT_EQ(RecoverLayoutAtStart(), 0);
    SmallLayout(4);
    ASSERT_EQ(SaveLayout("./Layout/recovery", kOverwriteWithoutAsking, kNameIsPath), 1);
    ResetLayout();
    EXPECT_EQ(RecoveryLayoutPresent(), 1);
    EXPECT_EQ(RecoverLayoutAtStart(), 1);
    EXPECT_EQ(Placements(), 4);
    EXPECT_FALSE(dir.Exists("Layout/recovery.qlf"));
    EXPECT_TRUE(ui.waitingMessages.empty());
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Recover Layout\n"),
              std::string::npos);
    ResetLayout();
}

TEST(Recovery, CrashSavesTheLayoutOrDeletesAnOldRecoveryLayout)
{
    TempDir dir;
    mkdir("Layout", 0777);
    SmallLayout(3);
    SetSignals();
    EXPECT_EXIT(raise(SIGSEGV), testing::ExitedWithCode(0), "");
    ASSERT_TRUE(dir.Exists("Layout/recovery.qlf"));
    EXPECT_FALSE(dir.Exists("Layout/recovery.qlf.part"));
    ResetLayout();
    {
        ScriptedUi ui;
        ASSERT_EQ(LoadLayout("./Layout/recovery.qlf", kDiscardCurrentLayout, kSkipQuestion), 1);
    }
    EXPECT_EQ(Placements(), 3);

    // A crash while a recovery layout exists (its loading may be what crashed) deletes it.
    EXPECT_EXIT(raise(SIGSEGV), testing::ExitedWithCode(0), "");
    EXPECT_FALSE(dir.Exists("Layout/recovery.qlf"));

    // A real fault, not a signal sent from outside, takes the same way out.
    void* readOnly = mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(readOnly, MAP_FAILED);
    EXPECT_EXIT(*static_cast<volatile int*>(readOnly) = 1, testing::ExitedWithCode(0), "");
    munmap(readOnly, 4096);
    EXPECT_TRUE(dir.Exists("Layout/recovery.qlf"));
    ResetLayout();
}
