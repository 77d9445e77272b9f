// The setup screen's logic against mc1sim: what each edit sends and keeps, the factory
// reset, the machine types, the motor direction and reading the pages from a silent or a
// slow controller. The simulator's journal decides what reached the line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "base/settings.h"
#include "app/setup.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "support/scripted_ui.h"
#include "support/sim_controller.h"
#include "support/temp_dir.h"

namespace {

#define START_SIM(sim, ...)                            \
    SimController sim{__VA_ARGS__};                    \
    ASSERT_TRUE(sim.ok()) << sim.problem();            \
    ASSERT_GE(OpenPort(), 0) << sim.ttyPath();         \
    sim.NewJournal()

int32_t IntRecord(const std::string& file, int record)
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

std::vector<std::string> Without(std::vector<std::string> journal, const std::string& prefix)
{
    journal.erase(std::remove_if(journal.begin(), journal.end(),
                                 [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }),
                  journal.end());
    return journal;
}

// A settings file of the factory values to start from.
struct SetupSim : ::testing::Test {
    void SetUp() override
    {
        SetFactoryDefaultValues();
        ASSERT_TRUE(WriteSettingsFileAtomically());
        testing::internal::CaptureStdout();
    }
    void TearDown() override { testing::internal::GetCapturedStdout(); }
    TempDir dir;
};

}  // namespace

TEST_F(SetupSim, EditCodesClampSendAndKeep)
{
    START_SIM(sim);
    // Max Speed released at 47: the nearest ten, in the global, the derived value, the file
    // and on the line.
    EditResult r = ApplyEditCode('9', 47);
    EXPECT_TRUE(r.applied);
    EXPECT_EQ(r.text, "50");
    EXPECT_EQ(speed, 50);
    EXPECT_EQ(maxSpeed, 50.0f);
    EXPECT_EQ(IntRecord(dir.Read("defaults.mrv"), REC_SPEED), 50);
    EXPECT_EQ(sim.NewJournal(), std::vector<std::string>{"SetSpeed 50"});

    // Entries clamp to their ranges and show what was applied; none of them is sent.
    const struct {
        char code;
        double typed;
        const char* shown;
        int record;
    } entries[] = {{'d', 12.5, "10.000", REC_X_MARGIN},  {'i', 5, "10", REC_LEAD_LINE_SPEED},
                   {'k', 2000, "1000", REC_NEEDLE_UP_PRESS}, {'n', -5, "0", REC_STITCH_REG_TIME},
                   {'j', 0.001, "0.015", REC_MOVE_INCREMENT}, {'g', 1e12, "100", REC_ACCELERATION}};
    for (const auto& e : entries) {
        EXPECT_EQ(ApplyEditCode(e.code, e.typed).text, e.shown) << e.code;
        const std::string file = dir.Read("defaults.mrv");
        ASSERT_EQ(file.size(), 104u);
        if (e.code == 'i')
            EXPECT_EQ(IntRecord(file, e.record), 10);
        else
            EXPECT_FLOAT_EQ(FloatRecord(file, e.record), std::stof(e.shown)) << e.code;
    }
    EXPECT_EQ(xMargin, 10.0f);
    EXPECT_EQ(leadLineSpeed, 10);
    EXPECT_TRUE(sim.NewJournal().empty());

    // Gains go to the controller only; out-of-range numbers saturate instead of wrapping,
    // and a number that is not a number changes nothing at all.
    const std::string before = dir.Read("defaults.mrv");
    EXPECT_EQ(ApplyEditCode('0', 45).text, "45");
    EXPECT_EQ(ApplyEditCode('1', 1e12).text, std::to_string(INT_MAX));
    EXPECT_EQ(ApplyEditCode('3', -1e12).text, std::to_string(INT_MIN));
    EditResult nan = ApplyEditCode('0', std::nan(""));
    EXPECT_FALSE(nan.applied);
    EXPECT_EQ(nan.text, "45");
    EXPECT_FALSE(ApplyEditCode('4', INFINITY).applied);
    EXPECT_EQ(XKp, 45);
    EXPECT_EQ(dir.Read("defaults.mrv"), before);
    EXPECT_EQ(sim.NewJournal(), (std::vector<std::string>{"SetXKp 45", "SetYKp 2147483647",
                                                          "SetMaxErr -2147483648"}));

    // Slider rules: length and lock truncate, the minimum speed derives minSpeed.
    EXPECT_EQ(ApplyEditCode('8', 7.9).text, "7");
    EXPECT_EQ(ApplyEditCode('b', 0.6).text, "0");
    EXPECT_EQ(ApplyEditCode('a', 2).text, "2");
    EXPECT_NEAR(minSpeed, 3.3333f, 1e-3);
    EXPECT_EQ(ApplyEditCode('c', 4).text, "4.000");
    const std::string after = dir.Read("defaults.mrv");
    EXPECT_EQ(IntRecord(after, REC_STITCH_LEN), 7);
    EXPECT_EQ(IntRecord(after, REC_STITCH_REP), 0);
    EXPECT_EQ(sim.NewJournal(), (std::vector<std::string>{"SetStitches 7", "SetLockStitch 0",
                                                          "SetMinimumSpeed 2", "SetSlow 4.000"}));
}

TEST_F(SetupSim, FactoryResetWritesWholeFileAndSendsInOrder)
{
    START_SIM(sim);
    ScriptedUi ui;
    const std::string question =
        "THIS WILL RESET ALL PARAMETERS TO THE FACTORY DEFAULT SETTINGS.\n\n DO YOU WANT TO "
        "CONTINUE?\n";
    ApplyEditCode('9', 90);
    ApplyEditCode('k', 500);
    sim.NewJournal();
    const std::string tuned = dir.Read("defaults.mrv");

    // Cancel and closing the window send nothing and keep the file.
    ui.Expect(question, RESPONSE_CANCEL).Expect(question, RESPONSE_DELETE);
    EXPECT_FALSE(ResetFactoryDefaults());
    EXPECT_FALSE(ResetFactoryDefaults());
    EXPECT_EQ(speed, 90);
    EXPECT_EQ(dir.Read("defaults.mrv"), tuned);

    // A settings file that cannot be replaced: a message, nothing changed anywhere.
    unlink("defaults.mrv");
    mkdir("defaults.mrv", 0777);
    ui.Expect(question, RESPONSE_OK)
        .Expect("COULD NOT WRITE THE SETTINGS FILE.\nNO PARAMETERS HAVE BEEN CHANGED.", RESPONSE_OK);
    EXPECT_FALSE(ResetFactoryDefaults());
    EXPECT_EQ(speed, 90);
    EXPECT_EQ(needleUpPress, 500.0f);
    EXPECT_TRUE(sim.NewJournal().empty());
    rmdir("defaults.mrv");

    ui.Expect(question, RESPONSE_OK);
    EXPECT_TRUE(ResetFactoryDefaults());
    const std::string file = dir.Read("defaults.mrv");
    ASSERT_EQ(file.size(), 104u);
    const int32_t ints[11] = {4, 100, 5, 40, 30, 8, 30, 8, 40, 40, 100};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(IntRecord(file, i), ints[i]) << i;
    const float floats[5] = {0, 0, 0, 40, 40};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(FloatRecord(file, 11 + i), floats[i]) << 11 + i;
    EXPECT_EQ(IntRecord(file, 16), 60);
    EXPECT_FLOAT_EQ(FloatRecord(file, 17), 0.1f);
    EXPECT_EQ(IntRecord(file, 18), 0);
    EXPECT_EQ(IntRecord(file, 19), 1);
    for (int i = 20; i < 24; ++i)
        EXPECT_EQ(FloatRecord(file, i), 0.0f) << i;
    EXPECT_EQ(IntRecord(file, 24), 0);
    EXPECT_EQ(IntRecord(file, 25), 0);
    EXPECT_EQ(sim.NewJournal(),
              (std::vector<std::string>{"SetXKp 30", "SetYKp 30", "SetXKi 8", "SetYKi 8",
                                        "SetXKd 40", "SetYKd 40", "SetSpeed 40",
                                        "SetMinimumSpeed 2", "SetTOut 100", "SetMaxErr 100",
                                        "SetStitches 5", "SetLockStitch 4", "SetSlow 5.000"}));
    // No temporary file is left beside it.
    EXPECT_EQ(system("ls -A | grep -q defaults.mrv."), 256);
}

TEST_F(SetupSim, MachineTypesAndMotorDirection)
{
    START_SIM(sim);
    ScriptedUi ui;
    // Type 11 confirmed: its row in the globals and records 18 to 23.
    ui.Expect("DO YOU WANT TO SET THE MACHINE TYPE TO:\n\nArlen 18 ?", RESPONSE_OK);
    EXPECT_TRUE(ChooseMachineType(11));
    std::string file = dir.Read("defaults.mrv");
    EXPECT_EQ(IntRecord(file, 18), 11);
    EXPECT_EQ(IntRecord(file, 19), 0);
    for (int i = 20; i < 24; ++i)
        EXPECT_EQ(FloatRecord(file, i), 100.0f) << i;

    // Cancel or closing the window: the old type, nothing written.
    ui.Expect("DO YOU WANT TO SET THE MACHINE TYPE TO:\n\nArlen ?", RESPONSE_CANCEL)
        .Expect("DO YOU WANT TO SET THE MACHINE TYPE TO:\n\nArlen ?", RESPONSE_DELETE);
    EXPECT_FALSE(ChooseMachineType(1));
    EXPECT_FALSE(ChooseMachineType(1));
    EXPECT_EQ(needleUpMethod, 11);
    EXPECT_EQ(dir.Read("defaults.mrv"), file);

    // The custom type keeps tuned timings; out-of-range indexes take the first row.
    ApplyEditCode('l', 2500);
    ApplyMachineType(10);
    EXPECT_EQ(needleUpTime, 2500.0f);
    EXPECT_EQ(needleUpPress, 100.0f);
    EXPECT_EQ(FloatRecord(dir.Read("defaults.mrv"), 21), 2500.0f);
    ApplyMachineType(42);
    EXPECT_EQ(needleUpConfirm, 1);
    EXPECT_EQ(needleUpTime, 0.0f);
    EXPECT_EQ(IntRecord(dir.Read("defaults.mrv"), 18), 42);
    EXPECT_TRUE(sim.NewJournal().empty());  // machine types are the program's own

    // Reverse: only OK sends byte 65, then reads the new sense.
    ui.Expect("REVERSE MOTOR DIRECTION?", RESPONSE_CANCEL)
        .Expect("REVERSE MOTOR DIRECTION?", RESPONSE_DELETE);
    EXPECT_EQ(ReverseMotorDirection(), -1);
    EXPECT_EQ(ReverseMotorDirection(), -1);
    EXPECT_TRUE(sim.NewJournal().empty());
    ui.Expect("REVERSE MOTOR DIRECTION?", RESPONSE_OK)
        .Expect("MOTOR ENCODERS NOW READING IN REVERSE MODE", RESPONSE_OK);
    EXPECT_EQ(ReverseMotorDirection(), 200);
    EXPECT_STREQ(DirectionLabel(200), "Motor Reversed");
    EXPECT_EQ(sim.NewJournal(),
              (std::vector<std::string>{"ReverseDirection", "GetMotorDirection -> 200"}));
}

TEST_F(SetupSim, PagesReadTheControllerOrShowStandIns)
{
    START_SIM(sim);
    SetXKp(55);
    SetTOut(77);
    SetSpeed(70);
    SetStitches(12);
    SetMinimumSpeed(4);
    SetLockStitch(6);
    SetSlow(7.0f);
    sim.NewJournal();
    // A slow controller (every reply 100 ms late) is still read: start-up's brief look at
    // the line would give up on it.
    ASSERT_EQ(sim.Control("delay 100"), "ok");
    ASSERT_TRUE(ReadSetupConstants());
    EXPECT_EQ(floaters.XKp, 55);
    EXPECT_EQ(floaters.TOut, 77);
    ParameterValues p = ReadParameterValues();
    EXPECT_TRUE(p.settingsRead && p.slowRead);
    EXPECT_EQ(p.stitchLen, 12);
    EXPECT_EQ(p.speed, 70);
    EXPECT_EQ(p.minimumSpeed, 4);
    EXPECT_EQ(p.stitchRep, 6);
    EXPECT_EQ(p.slow, 7.0f);
    EXPECT_EQ(speed, 70);
    EXPECT_EQ(sim.NewJournal().front(), "SetupByte");

    // A silent controller: 100 for every constant, the stand-ins on the sliders, and the
    // globals as they were, so a later run is not changed by looking at the page.
    ASSERT_EQ(sim.Control("silent on"), "ok");
    ScriptedUi ui;
    ui.Expect("COULD NOT RETRIEVE VALUES.\nCOMMUNICATIONS TIMED OUT.", RESPONSE_OK);
    EXPECT_FALSE(ReadSetupConstants());
    EXPECT_EQ(floaters.XKp, 100);
    EXPECT_EQ(floaters.XKd, 100);
    p = ReadParameterValues();
    EXPECT_FALSE(p.settingsRead || p.slowRead);
    EXPECT_EQ(p.stitchLen, 10);
    EXPECT_EQ(p.speed, 50);
    EXPECT_EQ(p.minimumSpeed, 3);
    EXPECT_EQ(p.stitchRep, 2);
    EXPECT_EQ(p.slow, 3.0f);
    EXPECT_EQ(speed, 70);
    EXPECT_EQ(stitchRep, 6);
    EXPECT_EQ(slow, 7.0f);
    EXPECT_EQ(Without(sim.NewJournal(), "(silent)").size(), 0u);
}
