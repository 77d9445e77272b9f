// Trace recording through its position seam, and saving a recording.
#include <gtest/gtest.h>

#include <deque>

#include "base/sensitivity.h"
#include "machine/serial.h"
#include "machine/trace.h"
#include "patterns/pattern.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "patterns/navigation_mask.h"

namespace {

using Reading = std::optional<std::pair<int32_t, int32_t>>;
const Reading kFail = std::nullopt;
Reading At(int32_t x, int32_t y) { return std::make_pair(x, y); }
const char* const kAbort = "NO RESPONSE FROM MOTOR CONTROLLER.\nABORTING RECORD.";

// Readings come from `script`; the recording is stopped once it is used up.
class Trace : public ::testing::Test {
protected:
    void SetUp() override
    {
        BeginTraceScreen();
        uiHooks.runPendingEvents = [this] {
            ++passes;
            if (onEvents) onEvents();
            else if (script.empty()) traceWidgets.startActive = false;
        };
        tracePositionSource = [this] {
            Reading r = script.empty() ? At(7, 7) : script.front();
            if (!script.empty()) script.pop_front();
            return r;
        };
    }
    void TearDown() override
    {
        tracePositionSource = nullptr;
        BeginTraceScreen();
    }
    TempDir dir;
    ScriptedUi ui;
    std::deque<Reading> script;
    std::function<void()> onEvents;
    int passes = 0;
};

}  // namespace

TEST_F(Trace, TenFailedReadingsAreToleratedTheEleventhEndsTheRecordingPointsKept)
{
    script = {At(0, 0), kFail, kFail, At(1000, 0), kFail, kFail, kFail, At(1000, 0),
              kFail, kFail, kFail, kFail, kFail, At(1000, 2000)};
    EXPECT_EQ(RecordTrace(), 3) << "ten failures spread over the recording";
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(passes, 1 + 14) << "events run on every pass, failed ones too";
    EXPECT_EQ(ui.masks.front(), kMaskAllOff);
    EXPECT_EQ(CurrentSensitivity(), NavigationMask());

    script = {At(250, 500), At(250, 500), At(250, 501)};
    script.insert(script.end(), 11, kFail);
    script.push_back(At(9000, 9000));
    onEvents = [] {};
    ui.Expect(kAbort, RESPONSE_OK);
    EXPECT_EQ(RecordTrace(), 2);
    EXPECT_EQ(script.size(), 1u) << "nothing read after the eleventh failure";
    EXPECT_TRUE(traceWidgets.saveSensitive);
    ui.Type("./patterns/kept");
    dir.Write("patterns/.keep", "");
    EXPECT_EQ(OnBtnSaveClicked(), 1);
    EXPECT_EQ(dir.Read("patterns/kept.qcc"), "p X0.250 Y0.500\np X0.250 Y0.501\n");

    // A closed port is a failed reading, not a position at (0, 0).
    tracePositionSource = nullptr;
    ClosePort();
    passes = 0;
    ui.Expect(kAbort, RESPONSE_OK);
    EXPECT_EQ(RecordTrace(), 0);
    EXPECT_EQ(passes, 1 + 11);
}

TEST_F(Trace, TogglingOffAndOnWithinOnePassKeepsOneRecording)
{
    int depth = 0, maxDepth = 0;
    script = {At(0, 0), At(5, 0), At(10, 0), At(15, 0)};
    onEvents = [&] {
        maxDepth = std::max(maxDepth, ++depth);
        if (passes == 3) {
            OnBtnStartTraceToggled(false);
            OnBtnStartTraceToggled(true);
        }
        if (script.empty()) traceWidgets.startActive = false;
        --depth;
    };
    OnBtnStartTraceToggled(true);
    EXPECT_EQ(maxDepth, 1) << "no second loop inside the first";
    EXPECT_EQ(tmpPattern->pointCount, 4) << "the same recording went on";
}

TEST_F(Trace, SavingOffersTheFolderRefusesWhatIsNoPlainNameAndAsksBeforeOverwriting)
{
    script = {At(3, 3), At(3, 3)};
    ASSERT_EQ(RecordTrace(), 1);
    ui.Expect("NOTHING HAS BEEN RECORDED.", RESPONSE_OK);
    EXPECT_EQ(OnBtnSaveClicked(), 0) << "one point reads back as no pattern";

    script = {At(0, 0), At(1000, 0)};
    ASSERT_EQ(RecordTrace(), 2);
    dir.Write("patterns/old.qcc", "old");
    std::deque<std::pair<std::string, int>> typed = {
        {"sq", 1}, {"", 1}, {"../x", 1}, {"a/b", 1}, {"..", 1}, {std::string(64, 'n'), 1},
        {"old", 1}, {"x", 0}, {"x.qcc", 1}, {"old.qcc", 1}};
    uiHooks.showKeyboard = [&](std::string& text, const std::string& prompt) {
        EXPECT_EQ(prompt, "SAVE AS:");
        EXPECT_EQ(text, "./patterns/");
        text += typed.front().first;
        const int r = typed.front().second;
        typed.pop_front();
        return r;
    };
    EXPECT_EQ(OnBtnSaveClicked(), 1);
    EXPECT_EQ(dir.Read("patterns/sq.qcc"), "p X0.000 Y0.000\np X1.000 Y0.000\n");
    for (int i = 0; i < 5; ++i) ui.Expect("INVALID PATTERN NAME.", RESPONSE_OK);
    ui.Expect("FILE EXIXTS!\nOVERWRITE?", RESPONSE_NO);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(OnBtnSaveClicked(), 0) << i;
    EXPECT_EQ(dir.Read("patterns/old.qcc"), "old");
    EXPECT_FALSE(dir.Exists("x.qcc"));
    EXPECT_EQ(OnBtnSaveClicked(), 1) << "typed with its extension";
    EXPECT_TRUE(dir.Exists("patterns/x.qcc"));
    ui.Expect("FILE EXIXTS!\nOVERWRITE?", RESPONSE_YES);
    EXPECT_EQ(OnBtnSaveClicked(), 1);
    EXPECT_NE(dir.Read("patterns/old.qcc"), "old");
}
