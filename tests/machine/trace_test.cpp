// Trace recording through its position seam, and saving a recording: what a failing
// controller, a standing machine and odd names do.
#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <utility>

#include "app/interface.h"
#include "app/sensitivity.h"
#include "machine/serial.h"
#include "machine/trace.h"
#include "patterns/pattern.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

using Reading = std::optional<std::pair<int32_t, int32_t>>;

class Trace : public ::testing::Test {
protected:
    void SetUp() override
    {
        BeginTraceScreen();
        uiHooks.runPendingEvents = [this] {
            ++passes;
            if (onEvents) onEvents();
        };
        tracePositionSource = [this]() -> Reading {
            ++readings;
            if (script.empty()) return std::make_pair(int32_t(7), int32_t(7));
            Reading r = script.front();
            script.pop_front();
            return r;
        };
    }
    void TearDown() override
    {
        tracePositionSource = nullptr;
        BeginTraceScreen();
    }
    // Stops the recording once the script is used up.
    void StopWhenScriptIsDone()
    {
        onEvents = [this] {
            if (script.empty()) traceWidgets.startActive = false;
        };
    }

    TempDir dir;
    ScriptedUi ui;
    std::deque<Reading> script;
    std::function<void()> onEvents;
    int passes = 0, readings = 0;
};

Reading At(int32_t x, int32_t y) { return std::make_pair(x, y); }

}  // namespace

TEST_F(Trace, TenFailedReadingsAreToleratedTheEleventhEndsTheRecordingPointsKept)
{
    script = {At(0, 0), std::nullopt, std::nullopt, At(1000, 0), std::nullopt, std::nullopt,
              std::nullopt, At(1000, 0), std::nullopt, std::nullopt, std::nullopt,
              std::nullopt, std::nullopt, At(1000, 2000)};
    StopWhenScriptIsDone();
    EXPECT_EQ(RecordTrace(), 3) << "ten failures spread over the recording";
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(passes, 1 + readings) << "events run on every pass, failed ones too";
    EXPECT_EQ(CurrentSensitivity(), NavigationMask());
    EXPECT_EQ(ui.masks.front(), kMaskAllOff);
    EXPECT_EQ(interface_.infoText, std::string("X: 1.000 Y: 2.000"));

    script = {At(250, 500), At(250, 500), At(250, 501)};
    for (int i = 0; i < 11; ++i) script.push_back(std::nullopt);
    script.push_back(At(9000, 9000));  // never read: the recording has ended
    onEvents = nullptr;
    ui.Expect("NO RESPONSE FROM MOTOR CONTROLLER.\nABORTING RECORD.", RESPONSE_OK);
    EXPECT_EQ(RecordTrace(), 2);
    EXPECT_FALSE(traceWidgets.startActive);
    EXPECT_TRUE(traceWidgets.saveSensitive);
    EXPECT_EQ(script.size(), 1u);
    ASSERT_NE(tmpPattern, nullptr);
    EXPECT_FLOAT_EQ(tmpPattern->pointY[1], 0.501f);

    ui.Type("./patterns/kept");
    dir.Write("patterns/.keep", "");
    EXPECT_EQ(OnBtnSaveClicked(), 1);
    EXPECT_EQ(dir.Read("patterns/kept.qcc"), "p X0.250 Y0.500\np X0.250 Y0.501\n");
}

TEST_F(Trace, TogglingOffAndOnWithinOnePassKeepsOneRecording)
{
    int depth = 0, maxDepth = 0, toggles = 0;
    script = {At(0, 0), At(5, 0), At(10, 0), At(15, 0)};
    onEvents = [&] {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (passes == 3 && toggles++ == 0) {
            OnBtnStartTraceToggled(false);
            OnBtnStartTraceToggled(true);  // the loop underneath goes on; no second one
        }
        if (script.empty()) traceWidgets.startActive = false;
        --depth;
    };
    OnBtnStartTraceToggled(true);
    EXPECT_EQ(maxDepth, 1);
    ASSERT_NE(tmpPattern, nullptr);
    EXPECT_EQ(tmpPattern->pointCount, 4) << "the same recording went on";
}

TEST_F(Trace, AClosedPortEndsTheRecordingAfterElevenReadingsWithoutSpinning)
{
    tracePositionSource = nullptr;  // the real reading
    ClosePort();
    ui.Expect("NO RESPONSE FROM MOTOR CONTROLLER.\nABORTING RECORD.", RESPONSE_OK);
    EXPECT_EQ(RecordTrace(), 0);
    EXPECT_EQ(passes, 1 + 11);
    ui.Expect("NOTHING HAS BEEN RECORDED.", RESPONSE_OK);
    EXPECT_EQ(OnBtnSaveClicked(), 0);
}

TEST_F(Trace, SavingRefusesWhatIsNoPlainNameAndAsksBeforeOverwriting)
{
    script = {At(0, 0), At(1000, 0), At(1000, 1000)};
    StopWhenScriptIsDone();
    ASSERT_EQ(RecordTrace(), 3);
    dir.Write("patterns/old.qcc", "old");
    std::string offered;
    uiHooks.showKeyboard = [&](std::string& text, const std::string& prompt) {
        EXPECT_EQ(prompt, "SAVE AS:");
        offered = text;
        text += "sq";
        return 1;
    };
    EXPECT_EQ(OnBtnSaveClicked(), 1);
    EXPECT_EQ(offered, "./patterns/");
    EXPECT_EQ(dir.Read("patterns/sq.qcc"), "p X0.000 Y0.000\np X1.000 Y0.000\np X1.000 Y1.000\n");

    std::deque<std::pair<std::string, int>> typed = {
        {"./patterns/", 1}, {"../x", 1}, {"./patterns/a/b", 1}, {"./patterns/..", 1},
        {"./patterns/" + std::string(64, 'n'), 1}, {"./patterns/old", 1}, {"./patterns/x", 0},
        {"./patterns/x.qcc", 1}, {"./patterns/old.qcc", 1}};
    uiHooks.showKeyboard = [&](std::string& text, const std::string&) {
        text = typed.front().first;
        const int r = typed.front().second;
        typed.pop_front();
        return r;
    };
    ui.Expect("INVALID PATTERN NAME.", RESPONSE_OK)
        .Expect("INVALID PATTERN NAME.", RESPONSE_OK)
        .Expect("INVALID PATTERN NAME.", RESPONSE_OK)
        .Expect("INVALID PATTERN NAME.", RESPONSE_OK)
        .Expect("INVALID PATTERN NAME.", RESPONSE_OK)
        .Expect("FILE EXIXTS!\nOVERWRITE?", RESPONSE_NO);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(OnBtnSaveClicked(), 0) << i;
    EXPECT_EQ(dir.Read("patterns/old.qcc"), "old");
    EXPECT_FALSE(dir.Exists("x.qcc"));
    EXPECT_FALSE(dir.Exists("patterns/x.qcc"));
    EXPECT_EQ(OnBtnSaveClicked(), 1) << "a name typed with its extension";
    EXPECT_TRUE(dir.Exists("patterns/x.qcc"));
    EXPECT_FALSE(dir.Exists("patterns/x.qcc.qcc"));
    ui.Expect("FILE EXIXTS!\nOVERWRITE?", RESPONSE_YES);
    EXPECT_EQ(OnBtnSaveClicked(), 1);
    EXPECT_NE(dir.Read("patterns/old.qcc"), "old");

    // A standing machine: one point, which reads back as no pattern, so nothing is written.
    script = {At(3, 3), At(3, 3), At(3, 3)};
    ASSERT_EQ(RecordTrace(), 1);
    ui.Expect("NOTHING HAS BEEN RECORDED.", RESPONSE_OK);
    EXPECT_EQ(OnBtnSaveClicked(), 0);
}
