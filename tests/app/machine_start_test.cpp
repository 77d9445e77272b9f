// The start-up steps that talk to the controller, against a scripted peer.
#include <gtest/gtest.h>

#include <cstring>

#include "base/interface.h"
#include "app/machine_start.h"
#include "base/settings.h"
#include "app/settings_load.h"
#include "app/startup.h"
#include "machine/run_state.h"
#include "machine/serial.h"
#include "support/pty_pair.h"
#include "support/scripted_peer.h"
#include "support/scripted_ui.h"
#include "support/settings_kept.h"
#include "support/temp_dir.h"

namespace {

std::string Constants(std::initializer_list<int32_t> values)
{
    std::string s;
    for (int32_t v : values)
        s += LittleEndianBytes(v);
    return s;
}

int32_t Record(const std::string& file, int record)
{
    int32_t v = 0;
    std::memcpy(&v, file.data() + 4 * record, 4);
    return v;
}

float FloatRecord(const std::string& file, int record)
{
    float v = 0;
    std::memcpy(&v, file.data() + 4 * record, 4);
    return v;
}

const std::string kConstants = Constants({31, 7, 32, 6, 45, 90, 110, 44});

}  // namespace

TEST(StartWithController, NoFileYieldsTheControllersRecordsOnly)
{
    TempDir dir;
    SettingsKept kept;
    PtyPair pty;
    ASSERT_GE(OpenPort(), 0);
    ScriptedPeer peer(pty, {{8, kConstants}, {1, Bytes({9, 55, 3, 2})}});
    acceleration = 40.0f;
    needleUpTime = 0.0f;

    EXPECT_EQ(LoadSettingsFromController(), 1);
    EXPECT_EQ(peer.Received(), Bytes({11, 12, 36, 37, 38, 39, 40, 41, 14}));
    EXPECT_EQ((std::vector<int>{XKp, XKi, YKp, YKi, YKd, Err, TOut, XKd}),
              (std::vector<int>{31, 7, 32, 6, 45, 90, 110, 44}));
    EXPECT_EQ(stitchLen, 9);
    EXPECT_EQ(speed, 55);
    EXPECT_EQ(minimumSpeed, 3);
    EXPECT_EQ(stitchRep, 2);
    EXPECT_EQ(acceleration, 40.0f);  // not in any file: the starting value stands
    EXPECT_EQ(needleUpTime, 0.0f);

    const std::string file = dir.Read("defaults.mrv");
    ASSERT_EQ(file.size(), 44u);
    const int expected[11] = {2, 110, 9, 55, 31, 7, 32, 6, 44, 45, 90};
    for (int record = 0; record <= REC_ERR; ++record)
        EXPECT_EQ(Record(file, record), expected[record]) << record;
}

TEST(StartWithController, FileKeepsItsOwnRecordsAndFollowsTheController)
{
    TempDir dir;
    SettingsKept kept;
    std::string old(104, '\0');
    for (int record = 0; record < 26; ++record) {
        int32_t v = 1000 + record;
        std::memcpy(&old[4 * record], &v, 4);
    }
    const float margin = 1.25f, wait = 700.0f;
    std::memcpy(&old[4 * REC_X_MARGIN], &margin, 4);
    std::memcpy(&old[4 * REC_NEEDLE_UP_TIME], &wait, 4);
    dir.Write("defaults.mrv", old);

    PtyPair pty;
    ASSERT_GE(OpenPort(), 0);
    // The stitch settings never come: their fallbacks are used.
    ScriptedPeer peer(pty, {{8, kConstants}});

    EXPECT_EQ(LoadSettingsFromController(), 1);
    EXPECT_EQ(speed, 40);
    EXPECT_EQ(stitchLen, 5);
    EXPECT_EQ(minimumSpeed, 2);
    EXPECT_EQ(stitchRep, 4);
    EXPECT_EQ(xMargin, margin);
    EXPECT_EQ(needleUpTime, wait);
    EXPECT_EQ(leadLineSpeed, 1000 + REC_LEAD_LINE_SPEED);
    EXPECT_EQ(needleUpMethod, 1000 + REC_NEEDLE_UP_METHOD);
    EXPECT_EQ(showAdvancedFeatures, 1000 + REC_SHOW_ADVANCED_FEATURES);

    const std::string file = dir.Read("defaults.mrv");
    ASSERT_EQ(file.size(), 104u);
    EXPECT_EQ(Record(file, REC_STITCH_REP), 4);
    EXPECT_EQ(Record(file, REC_SPEED), 40);
    EXPECT_EQ(Record(file, REC_XKD), 44);
    EXPECT_EQ(FloatRecord(file, REC_X_MARGIN), margin);
    EXPECT_EQ(file.substr(4 * REC_Y_MARGIN), old.substr(4 * REC_Y_MARGIN));
}

TEST(StartWithController, LoadingTakesTheControllerBranchAndAppliesTheRules)
{
    TempDir dir;
    SettingsKept kept;
    PtyPair pty;
    ASSERT_GE(OpenPort(), 0);
    ScriptedPeer peer(pty, {{8, kConstants}, {1, Bytes({9, 60, 3, 2})}});
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadSettings(), SettingsSource::Controller);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(dir.Read("defaults.mrv").size(), 44u);
    EXPECT_EQ(maxSpeed, 60.0f);
    EXPECT_FLOAT_EQ(minSpeed, 5.0f);
    EXPECT_EQ(leadLineSpeed, 60);
    EXPECT_EQ(moveIncrement, 0.1f);
    EXPECT_EQ(needleUpTime, 100.0f);  // 0 from the start values, raised by the range rule
    EXPECT_EQ(stitchRegTime, 100.0f);
}

TEST(StartWithController, SilentControllerChangesNothing)
{
    TempDir dir;
    SettingsKept kept;
    PtyPair pty;
    ASSERT_GE(OpenPort(), 0);
    ScriptedUi ui;
    ui.Expect("COULD NOT RETRIEVE VALUES.\nCOMMUNICATIONS TIMED OUT.", RESPONSE_OK);
    XKp = -5;
    EXPECT_EQ(LoadSettingsFromController(), 0);
    EXPECT_EQ(XKp, -5);
    EXPECT_FALSE(dir.Exists("defaults.mrv"));
}

TEST(StartWithController, InitThreadsOpensStopsAndClearsTheCursor)
{
    PtyPair pty;
    fpTemp = reinterpret_cast<FullPattern_t*>(&pty);
    EXPECT_EQ(InitThreads(), 0);
    EXPECT_GE(sp, 0);
    EXPECT_EQ(fpTemp, nullptr);
    EXPECT_EQ(pty.ReceiveAll(), Bytes({19, 45, 25}));

    pty.Send({200});
    ReadMotorDirection();
    EXPECT_EQ(interface_.motorDirection, 200);
    // A direction that cannot be read leaves the record alone.
    testing::internal::CaptureStdout();
    ReadMotorDirection();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(interface_.motorDirection, 200);
}

TEST(StartWithController, InitThreadsWithoutAPortRunsOn)
{
    TempDir dir;
    setenv("CORVAN_SERIAL", (dir / "missing-tty").c_str(), 1);
    ScriptedUi ui;
    ui.ExpectContaining("UNABLE TO OPEN SERIAL PORT: ", RESPONSE_CLOSE);
    interface_.motorDirection = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(InitThreads(), 0);
    ReadMotorDirection();
    testing::internal::GetCapturedStdout();
    EXPECT_LT(sp, 0);
    EXPECT_EQ(interface_.motorDirection, 0);
    unsetenv("CORVAN_SERIAL");
}
