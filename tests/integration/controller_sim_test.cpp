// The controller commands, the stitch control and the start-up logic against mc1sim over a
// real pseudo-terminal. mc1sim is an independent reading of the protocol, so these tests
// catch a byte the program gets wrong even where the program's own tests agree with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "base/interface.h"
#include "app/machine_start.h"
#include "base/settings.h"
#include "app/settings_load.h"
#include "app/startup.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"
#include "support/scripted_ui.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"

namespace {

#define START_SIM(sim, ...)                            \
    SimController sim{__VA_ARGS__};                    \
    ASSERT_TRUE(sim.ok()) << sim.problem();            \
    ASSERT_GE(OpenPort(), 0) << sim.ttyPath();         \
    sim.NewJournal()

bool Contains(const std::vector<std::string>& journal, const std::string& entry)
{
    return std::find(journal.begin(), journal.end(), entry) != journal.end();
}

long CountOf(const std::vector<std::string>& journal, const std::string& entry)
{
    return std::count(journal.begin(), journal.end(), entry);
}

long MsSince(std::chrono::steady_clock::time_point start)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count());
}

int32_t Record(const std::string& file, int record)
{
    int32_t v = 0;
    std::memcpy(&v, file.data() + 4 * record, 4);
    return v;
}

// Polls the buffer until the controller reports it finished; the last status seen.
int WaitUntilFinished(int pollLimit)
{
    unsigned char status = 0;
    int code = 0;
    for (int i = 0; i < pollLimit; ++i) {
        if (CheckBuffer(&status, &code) == 0 && status == BUFFER_FINISHED)
            break;
        usleep(20000);
    }
    return status;
}

}  // namespace

TEST(StartUpWithSimulator, SettingsFileFollowsTheControllersConstants)
{
    TempDir dir;
    SimController sim;
    ASSERT_TRUE(sim.ok()) << sim.problem();
    ScriptedUi ui;  // no message may appear
    testing::internal::CaptureStdout();
    EXPECT_EQ(InitThreads(), 0);
    EXPECT_EQ(LoadSettings(), SettingsSource::Controller);
    ReadMotorDirection();
    testing::internal::GetCapturedStdout();

    const std::string state = sim.Control("state");
    const std::string file = dir.Read("defaults.mrv");
    ASSERT_EQ(file.size(), 44u);
    const std::pair<int, const char*> expected[] = {
        {REC_STITCH_REP, "lock_stitches"}, {REC_TOUT, "TOut"}, {REC_STITCH_LEN, "stitch_length"},
        {REC_SPEED, "speed"}, {REC_XKP, "XKp"}, {REC_XKI, "XKi"}, {REC_YKP, "YKp"},
        {REC_YKI, "YKi"}, {REC_XKD, "XKd"}, {REC_YKD, "YKd"}, {REC_ERR, "MaxErr"},
    };
    for (const auto& [record, key] : expected)
        EXPECT_EQ(Record(file, record), SimController::Number(state, key)) << key;
    EXPECT_EQ(minimumSpeed, SimController::Number(state, "minimum_speed"));
    EXPECT_EQ(interface_.motorDirection, SimController::Number(state, "direction"));

    // All motion is stopped before anything is asked.
    const std::vector<std::string> journal = sim.NewJournal();
    ASSERT_GE(journal.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(journal.begin(), journal.begin() + 3),
              (std::vector<std::string>{"Stop", "ClearMCBuffer", "Resume"}));
}

TEST(SimulatorSettings, ConstantsAndStitchSettingsComeBackAsSent)
{
    START_SIM(sim);
    SetXKp(31);
    SetXKi(9);
    SetYKp(32);
    SetYKi(10);
    SetYKd(44);
    SetMaxErr(77);
    SetTOut(120);
    SetXKd(45);
    int values[8] = {};
    ASSERT_EQ(GetConstants(values), 0);
    EXPECT_EQ(std::vector<int>(values, values + 8),
              (std::vector<int>{31, 9, 32, 10, 44, 77, 120, 45}));

    SetStitches(12);
    SetSpeed(55);
    SetMinimumSpeed(3);
    SetLockStitch(6);
    SetSlow(2.5f);
    int length = 0, fastest = 0, slowest = 0, locks = 0;
    ASSERT_EQ(GetStitchSettings(&length, &fastest, &slowest, &locks), 0);
    EXPECT_EQ((std::vector<int>{length, fastest, slowest, locks}), (std::vector<int>{12, 55, 3, 6}));
    EXPECT_EQ(SimController::Number(sim.Control("state"), "slow"), 2.5);
}

TEST(SimulatorMotion, QueuedMovesRunToTheLastPointAndFinish)
{
    TempDir dir;  // SetHome leaves the moved-home mark in the working folder
    START_SIM(sim, {"--time-scale", "20"});
    SetHome();
    Halt();
    SetSpeed(40);
    EXPECT_EQ(SendMove(500.0, 0.0, 100.0), 0);
    EXPECT_EQ(SendMove(500.0, 500.0, 100.0), 0);
    EXPECT_EQ(SendMove(1000.0, 1250.0, 50.0), 0);
    unsigned char status = 0;
    int code = 0;
    ASSERT_EQ(CheckBuffer(&status, &code), 0);
    EXPECT_EQ(status, 96);  // halted: all three wait in the buffer

    Resume();
    EXPECT_EQ(WaitUntilFinished(250), BUFFER_FINISHED);
    int x = -1, y = -1;
    EXPECT_EQ(GetXY(&x, &y), 0);
    EXPECT_EQ(x, 1000);
    EXPECT_EQ(y, 1250);
    EXPECT_TRUE(Contains(sim.NewJournal(), "Move 100000 125000 50000 275000 -> 11"));
}

TEST(SimulatorMotion, ReleasedCarriageFollowsTheHandAndHomeResets)
{
    TempDir dir;  // SetHome leaves the moved-home mark in the working folder
    START_SIM(sim);
    DisableX();
    DisableY();
    SendCommand(Byte(ControllerCommand::HandOver));
    usleep(50000);
    EXPECT_EQ(sim.Control("hand 500 700"), "ok 500 700");
    int x = 0, y = 0;
    EXPECT_EQ(GetXY(&x, &y), 0);
    EXPECT_EQ(x, 500);
    EXPECT_EQ(y, 700);
    SetHome();
    EXPECT_EQ(GetXY(&x, &y), 0);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(sim.NewJournal(),
              (std::vector<std::string>{"DisableX", "DisableY", "HandOver", "GetXY -> 500 700",
                                        "SetHome", "GetXY -> 0 0"}));
}

TEST(SimulatorFaults, RefusedMovesErrorStatusAndLostReplies)
{
    START_SIM(sim);
    Halt();
    EXPECT_EQ(sim.Control("nak 1"), "ok");
    EXPECT_EQ(SendMove(10.0, 10.0, 100.0), 1);
    EXPECT_EQ(SendMove(10.0, 10.0, 100.0), 0);

    unsigned char status = 0;
    int code = 0;
    // New firmware: the code that follows the status stands.
    EXPECT_EQ(sim.Control("error 5"), "ok");
    EXPECT_EQ(CheckBuffer(&status, &code), 4);
    EXPECT_EQ(code, 5);
    std::vector<std::string> journal = sim.NewJournal();
    EXPECT_TRUE(Contains(journal, "CheckBuffer -> 254 5"));
    EXPECT_FALSE(Contains(journal, "GetErrors -> 5"));

    // Old firmware: the code is asked for again.
    EXPECT_EQ(sim.Control("version motor 1.26"), "ok");
    EXPECT_EQ(sim.Control("error 3"), "ok");
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckBuffer(&status, &code), 4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Get Errors\n");
    EXPECT_EQ(code, 3);
    EXPECT_TRUE(Contains(sim.NewJournal(), "GetErrors -> 3"));

    EXPECT_EQ(sim.Control("drop 1"), "ok");
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckBuffer(&status, &code), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: Get Buffer Length Timed Out\n");

    EXPECT_EQ(sim.Control("garbage 1"), "ok");
    testing::internal::CaptureStdout();
    EXPECT_EQ(SendMove(20.0, 20.0, 100.0), 2);
    // The line is drained before the next command, not at once (a late reply may follow).
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: CRC Response = 165\n");
    EXPECT_EQ(SendMove(20.0, 20.0, 100.0), 0);
}

TEST(SimulatorQueries, DirectionVersionsAndStitchController)
{
    START_SIM(sim, {"--stitcher-version", "1.45"});
    needleUpMethod = MACHINE_TYPE_SERIAL;
    unsigned char byte = 0;
    EXPECT_EQ(GetMotorDirection(&byte), 0);
    EXPECT_EQ(byte, 100);
    SendCommand(Byte(ControllerCommand::ReverseDirection));
    usleep(100000);
    EXPECT_EQ(GetMotorDirection(&byte), 0);
    EXPECT_EQ(byte, MOTOR_REVERSED);

    float version = 0.0f;
    EXPECT_EQ(GetMotorVersion(&version), 0);
    EXPECT_FLOAT_EQ(version, 1.30f);
    EXPECT_EQ(GetStitcherVersion(&version), 0);
    EXPECT_FLOAT_EQ(version, 1.45f);

    EXPECT_EQ(GetStitcher(&byte), 0);
    EXPECT_EQ(byte, STITCHER_READY);
    EXPECT_EQ(sim.Control("stitcher 33"), "ok");
    EXPECT_EQ(GetStitcher(&byte), 0);
    EXPECT_EQ(byte, STITCHER_NOT_ROBOT);
    int code = 9;
    EXPECT_EQ(GetErrors(&code), 0);
    EXPECT_EQ(code, 0);
}

TEST(SimulatorStitching, SerialMachineSwitchesOnceAndConfirmsTheNeedle)
{
    START_SIM(sim, {"--time-scale", "5"});
    needleUpMethod = MACHINE_TYPE_SERIAL;
    robotIsStitching = 0;
    testing::internal::CaptureStdout();
    StitchOn();
    StitchOn();
    EXPECT_EQ(SimController::Word(sim.Control("state"), "stitching"), "true");
    NeedleUp();
    StitchOff();
    StitchOff();
    EXPECT_EQ(sim.Control("needle-fail 1"), "ok");
    NeedleUp();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("WFN return true\n"), std::string::npos) << out;
    EXPECT_NE(out.find("WFN return false\n"), std::string::npos) << out;

    const std::vector<std::string> journal = sim.NewJournal();
    EXPECT_EQ(journal, (std::vector<std::string>{"StitchOn", "NeedleUp -> 250", "StitchOff",
                                                 "NeedleUp -> 251"}));
    EXPECT_EQ(SimController::Word(sim.Control("state"), "stitching"), "false");
}

TEST(SimulatorStitching, Ar18HoldsTheRegulatorAndHasNoNeedleUp)
{
    START_SIM(sim, {"--machine", "held"});
    needleUpMethod = MACHINE_TYPE_AR18;
    needleUpTime = 300.0f;
    robotIsStitching = 0;
    testing::internal::CaptureStdout();
    StitchOn();
    EXPECT_EQ(SimController::Word(sim.Control("state"), "stitching"), "true");
    NeedleUp();
    EXPECT_EQ(sim.NewJournal(), (std::vector<std::string>{"Button H 1"}));

    const auto start = std::chrono::steady_clock::now();
    StitchOff();
    EXPECT_GE(MsSince(start), 295);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(sim.NewJournal(), (std::vector<std::string>{"Button H 0"}));
    EXPECT_EQ(SimController::Word(sim.Control("state"), "stitching"), "false");
}

TEST(SimulatorStitching, ButtonMachineConfirmsOnlyAFullNeedleCycle)
{
    START_SIM(sim, {"--machine", "buttons", "--needle-ms", "300"});
    needleUpMethod = 3;
    needleUpConfirm = 1;
    stitchRegPress = needleUpPress = 50.0f;
    stitchRegTime = 100.0f;
    needleUpTime = 2000.0f;
    robotIsStitching = 0;
    testing::internal::CaptureStdout();

    StitchOn();
    EXPECT_EQ(SimController::Word(sim.Control("state"), "stitching"), "true");
    StitchOff();
    EXPECT_EQ(SimController::Word(sim.Control("state"), "stitching"), "false");
    EXPECT_EQ(sim.NewJournal(), (std::vector<std::string>{"Button H 1", "Button H 0",
                                                          "Button H 1", "Button H 0"}));

    // The press starts a needle cycle: polls see the needle down, then up.
    PseudoButtonPress(ControllerCommand::ButtonNeedleUp, BUTTON_PRESSED, BUTTON_RELEASED, 50, 0);
    EXPECT_EQ(PauseForNeedle(), 1);
    std::vector<std::string> journal = sim.NewJournal();
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ(journal[0], "Button I 1");
    EXPECT_EQ(journal[1], "Button I 0") << "the release names the same button";
    EXPECT_GT(CountOf(journal, "NeedlePoll -> 0"), 0);
    EXPECT_EQ(journal.back(), "NeedlePoll -> 1");

    // Without a press the needle stands up all along: never seen down, never confirmed.
    needleUpTime = 300.0f;
    EXPECT_EQ(PauseForNeedle(), 0);
    journal = sim.NewJournal();
    EXPECT_EQ(CountOf(journal, "NeedlePoll -> 0"), 0);
    EXPECT_GT(CountOf(journal, "NeedlePoll -> 1"), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("PFN Needle Up: Timeout after 300 msec\n"), std::string::npos) << out;
}
