// The setup screen's questions that need no controller: the access word, the stitch-button
// and advanced toggles, recalibration and restart. Only the answers that mean yes act.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "base/settings.h"
#include "app/setup.h"
#include "base/process_run.h"
#include "patterns/layout.h"
#include "patterns/layout_recovery.h"
#include "patterns/pattern.h"
#include "patterns/pattern_box.h"
#include "support/scripted_ui.h"
#include "support/settings_kept.h"
#include "support/small_layouts.h"
#include "support/temp_dir.h"

namespace {

struct SetupTest : ::testing::Test {
    void SetUp() override
    {
        processHooks.exitProgram = [this](int status) { exits.push_back(status); };
        processHooks.rebootSystem = [this]() { ++reboots; return 0; };
        processHooks.syncFileSystems = [this]() { ++syncs; };
        testing::internal::CaptureStdout();
    }
    void TearDown() override
    {
        testing::internal::GetCapturedStdout();
        ResetProcessHooks();
    }
    TempDir dir;
    SettingsKept kept;
    ScriptedUi ui;
    std::vector<int> exits;
    int reboots = 0, syncs = 0;
};

}  // namespace

TEST_F(SetupTest, AccessWordIsExactAndCancelRefuses)
{
    for (const char* wrong : {"TARVEL", "Tarvel", "tarvel ", " tarvel", "", "tarve", "tarvels"})
        ui.Type(wrong);
    ui.Type("tarvel", 0).Type("tarvel");
    for (int i = 0; i < 7; ++i)
        EXPECT_FALSE(AskAccessWord()) << i;
    EXPECT_FALSE(AskAccessWord());  // the right word, but the keyboard was cancelled
    EXPECT_TRUE(AskAccessWord());
}

TEST_F(SetupTest, TogglesWriteTheirRecordsOnlyWhenConfirmed)
{
    const std::string on =
        "THIS WILL ADD STITCHING AND NEEDLE UP BUTTONS TO THE MAIN TOOLBAR.\n\n DO YOU WANT TO "
        "CONTINUE?\n";
    ui.Expect(on, RESPONSE_NO).Expect(on, RESPONSE_DELETE).Expect(on, RESPONSE_YES);
    EXPECT_FALSE(ChangeStitchButtons(true));
    EXPECT_FALSE(ChangeStitchButtons(true));
    EXPECT_FALSE(dir.Exists("defaults.mrv"));
    EXPECT_TRUE(ChangeStitchButtons(true));
    int v = 0;
    EXPECT_EQ(ReadDefaultInt(REC_STITCH_BUTTONS_ON, &v), 1);
    EXPECT_EQ(v, 1);

    ChangeShowAdvancedFeatures(false);
    EXPECT_EQ(stitchButtonsOn, 0);
    EXPECT_EQ(ReadDefaultInt(REC_SHOW_ADVANCED_FEATURES, &v), 1);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(ReadDefaultInt(REC_STITCH_BUTTONS_ON, &v), 1);
    EXPECT_EQ(v, 0);
    SetNeedleUpConfirmValue(false);
    EXPECT_EQ(ReadDefaultInt(REC_NEEDLE_UP_CONFIRM, &v), 1);
    EXPECT_EQ(v, 0);
}

TEST_F(SetupTest, CalibrateOnlyOnYes)
{
    dir.Write("media/mmc0/calibration/pointercal", "1 2 3 4 5 6 7");
    const std::string question = "SYSTEM WILL REBOOT TO RESET CALIBRATION.\nCONTINUE?";
    ui.Expect(question, RESPONSE_NO).Expect(question, RESPONSE_DELETE);
    EXPECT_FALSE(ResetCalibration());
    EXPECT_FALSE(ResetCalibration());
    EXPECT_TRUE(dir.Exists("media/mmc0/calibration/pointercal"));
    EXPECT_EQ(reboots, 0);
    ui.Expect(question, RESPONSE_YES);
    EXPECT_TRUE(ResetCalibration());
    EXPECT_FALSE(dir.Exists("media/mmc0/calibration/pointercal"));
    EXPECT_EQ(syncs, 1);
    EXPECT_EQ(reboots, 1);
}

TEST_F(SetupTest, RestartKeepsAnUnsavedLayout)
{
    const std::string question = "DO YOU WANT TO RESTART THE PROGRAM?\n";
    ui.Expect(question, RESPONSE_CANCEL).Expect(question, RESPONSE_DELETE);
    EXPECT_FALSE(RestartProgram());
    EXPECT_FALSE(RestartProgram());
    EXPECT_TRUE(exits.empty());

    // Nothing laid out: nothing to keep.
    ResetLayout();  // whatever earlier cases in the same process laid out
    ui.Expect(question, RESPONSE_OK);
    EXPECT_TRUE(RestartProgram());
    EXPECT_EQ(exits, std::vector<int>{0});
    EXPECT_FALSE(RecoveryLayoutPresent());

    mkdir("Layout", 0777);
    AreaBoxAndOnePlacement();
    ui.Expect(question, RESPONSE_OK);
    EXPECT_TRUE(RestartProgram());
    EXPECT_EQ(exits, (std::vector<int>{0, 0}));
    ASSERT_TRUE(RecoveryLayoutPresent());
    // The next start brings it back.
    ResetLayout();
    EXPECT_EQ(RecoverLayoutAtStart(), 1);
    ASSERT_NE(patternLayout, nullptr);
    EXPECT_EQ(patternLayout->next, nullptr);
}
