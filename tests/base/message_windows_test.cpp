#include <gtest/gtest.h>
#include <glib.h>

#include "base/message_windows.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

TEST(MessageWindowTest, MessagesPassThroughWithTheirAnswers)
{
    ScriptedUi ui;
    ui.Expect("DELETE?", RESPONSE_OK).Expect("DELETE?", RESPONSE_CANCEL);
    EXPECT_EQ(ShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL, "DELETE?"), RESPONSE_OK);
    EXPECT_EQ(ShowMessage(MSG_QUESTION, BUTTONS_OK_CANCEL, "DELETE?"), RESPONSE_CANCEL);

    int seenKind = -1, seenExtra = 0;
    std::string seenButton;
    uiHooks.showMessageSpecial = [&](int kind, const std::string&, const std::string& button,
                                     int response) {
        seenKind = kind;
        seenButton = button;
        seenExtra = response;
        return response;
    };
    EXPECT_EQ(ShowMessageSpecial(MSG_QUESTION, "START?", "SET START", -99), -99);
    EXPECT_EQ(seenKind, MSG_QUESTION);
    EXPECT_EQ(seenButton, "SET START");
    EXPECT_EQ(seenExtra, -99);
}

TEST(MessageWindowTest, UsbStickIsFoundThroughTheSystemRoot)
{
    TempDir dir;
    ScriptedUi ui;
    ui.ExpectContaining("USB DRIVE NOT DETECTED.", RESPONSE_OK);
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckUSBIsIn(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Could not find USB Drive\n");
    dir.Write("media/usb/x", "");
    EXPECT_EQ(CheckUSBIsIn(), 1);
}

TEST(StatusWindowTest, StopSetsTheFlagAndLeavesTheWindowOpen)
{
    ScriptedUi ui;
    int closed = 0, pulses = 0;
    uiHooks.statusClose = [&](void*) { ++closed; };
    uiHooks.statusPulse = [&](void*) { ++pulses; };

    StatusWindow* w = CreateStatusWindow("IMPORTING DXF");
    ASSERT_NE(w, nullptr);
    EXPECT_NE(w->window, nullptr);
    EXPECT_EQ(w->abortRequested, 0u);
    EXPECT_EQ(w->count, 0);
    StatusWindowSetText(w, "Gathering Points");
    UpdateStatusWindow(w, 500);
    EXPECT_EQ(ui.statusTexts, (std::vector<std::string>{"IMPORTING DXF", "Gathering Points"}));
    EXPECT_EQ(pulses, 1);
    EXPECT_EQ(w->count, 500);
    EXPECT_EQ(w->abortRequested, 0u);
    int runsBefore = ui.pendingEventRuns;

    ui.pressStatusStop = true;  // STOP pressed while the events of the next update run
    UpdateStatusWindow(w, 1000);
    EXPECT_EQ(w->abortRequested, 1u);
    EXPECT_GT(ui.pendingEventRuns, runsBefore);
    EXPECT_EQ(closed, 0);

    statWindow = w;
    CloseStatusWindow(w);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(statWindow, nullptr);
    CloseStatusWindow(nullptr);
}

namespace {
int undoRestores = 0;
int workStops = 0;
}  // namespace

class WaitingWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        undoRestores = workStops = 0;
        restoreUndoOnCancel = [] { ++undoRestores; };
        stopWorkOnCancel = [] { ++workStops; };
        uiHooks.waitingClose = [this](void*) { ++closes; };
        uiHooks.setCursor = [this](CursorKind k) { cursors.push_back(k); };
        uiHooks.redrawView = [this] { ++redraws; };
    }
    ScriptedUi ui;
    int closes = 0, redraws = 0;
    std::vector<CursorKind> cursors;
};

TEST_F(WaitingWindowTest, OpensRefreshesAndCloses)
{
    testing::internal::CaptureStdout();
    WaitingWindow* w = CreateWaitingWindow("\n\nLOADING LAYOUT FILE", 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Creating Waiting Window\n");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ui.waitingMessages, std::vector<std::string>{"\n\nLOADING LAYOUT FILE"});
    EXPECT_EQ(w->ownsWindow, 1);
    EXPECT_EQ(w->undoOnCancel, 0);
    EXPECT_EQ(keepWaitingWindowOpen, 1);

    // The main loop's timeout drives the refresh: one blocking iteration runs it.
    int runs = ui.pendingEventRuns;
    g_main_context_iteration(nullptr, TRUE);
    EXPECT_EQ(ui.pendingEventRuns, runs + 1);

    CloseWaitingWindow(w);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(keepWaitingWindowOpen, 0);
    EXPECT_EQ(RefreshWaitingWindow(), 0);
    EXPECT_FALSE(g_main_context_pending(nullptr));  // the timeout is gone
    CloseWaitingWindow(w);                          // twice is harmless
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(workStops, 0);

    // A window the caller does not own is left standing.
    WaitingWindow* borrowed = CreateWaitingWindow("\n\nCOPYING DIRECTORY", 0);
    borrowed->ownsWindow = 0;
    CloseWaitingWindow(borrowed);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(keepWaitingWindowOpen, 0);
}

TEST_F(WaitingWindowTest, CancelStopsTheWorkAndUndoesOnlyWhenAsked)
{
    WaitingWindow* w = CreateWaitingWindow("MERGING PATTERN FILES", 1);
    CancelWaitingWindow(w);
    EXPECT_EQ(workStops, 1);
    EXPECT_EQ(undoRestores, 0);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(keepWaitingWindowOpen, 0);
    EXPECT_EQ(cursors, std::vector<CursorKind>{CursorKind::Normal});
    EXPECT_EQ(redraws, 1);
    CloseWaitingWindow(w);  // the owner closing afterwards changes nothing
    EXPECT_EQ(closes, 1);

    // The button of the window (found by its handle) with undo requested.
    w = CreateWaitingWindow("\n\nUPDATING PATTERNS", 1);
    w->undoOnCancel = 1;
    OnBtnWaitWindowCancelClicked(nullptr);
    OnBtnWaitWindowCancelClicked(reinterpret_cast<void*>(0x1234));  // unknown: ignored
    EXPECT_EQ(workStops, 1);
    OnBtnWaitWindowCancelClicked(w->window);
    EXPECT_EQ(workStops, 2);
    EXPECT_EQ(undoRestores, 1);
    EXPECT_EQ(closes, 2);

    // A seam that reports Cancel by polling is heard at the next refresh.
    w = CreateWaitingWindow("\n\nUPDATING PATTERNS", 1);
    w->undoOnCancel = 1;
    EXPECT_EQ(RefreshWaitingWindow(), 1);
    ui.pressWaitingCancel = true;
    EXPECT_EQ(RefreshWaitingWindow(), 0);
    EXPECT_EQ(undoRestores, 2);
    EXPECT_EQ(closes, 3);
}
