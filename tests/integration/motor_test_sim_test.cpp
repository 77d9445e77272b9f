// The motor diagnostics against mc1sim: what the controller receives in a motor test, a
// slipping axis caught by its encoder count, the stitch controller, the button test and the
// command-line tool a technician runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "base/settings.h"
#include "base/sensitivity.h"
#include "machine/controller.h"
#include "machine/motor_test.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"
#include "support/scripted_ui.h"
#include "support/sim_controller.h"
#include "support/tool_run.h"

namespace {

#define START_SIM(sim, ...)                    \
    SimController sim{__VA_ARGS__};            \
    ASSERT_TRUE(sim.ok()) << sim.problem();    \
    ASSERT_GE(OpenPort(), 0) << sim.ttyPath(); \
    sim.NewJournal()

bool IsPoll(const std::string& e) { return e.rfind("CheckBuffer", 0) == 0; }

// "Move X Y F C -> 11" as (x, y) thousandths; false for other entries.
bool ParseMove(const std::string& e, double* x, double* y)
{
    long X, Y;
    if (std::sscanf(e.c_str(), "Move %ld %ld", &X, &Y) != 2)
        return false;
    *x = X / 100.0;
    *y = Y / 100.0;
    return true;
}

}  // namespace

TEST(MotorTestOnSimulator, XTestFromWhereTheCarriageStands)
{
    START_SIM(sim, {"--time-scale", "20"});
    ScriptedUi ui;
    maxSpeed = 50;
    acceleration = 40.0f;
    DisableX();
    DisableY();
    ASSERT_EQ(sim.Control("hand 500 700"), "ok 500 700");
    sim.NewJournal();
    const std::string state = sim.Control("state");
    const int xkp = int(SimController::Number(state, "XKp"));
    TestLog log;
    testing::internal::CaptureStdout();
    MotorTestResult r = RunMotorTest(MotorAxis::X, log);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(r.ran && r.passed);
    EXPECT_NEAR(r.countsX, 10000, 5) << "3998.4 thousandths of the test move";
    char line[32];
    std::snprintf(line, sizeof line, "X: %0.0f\n", r.countsX);
    EXPECT_NE(printed.find(line), std::string::npos) << printed;
    ASSERT_GE(log.text.size(), 16u);
    EXPECT_EQ(log.text.substr(log.text.size() - 16), "X motor passed!\n");

    std::vector<std::string> commands;
    std::vector<std::pair<double, double>> moves;
    for (const std::string& e : sim.NewJournal()) {
        double x, y;
        if (ParseMove(e, &x, &y)) {
            moves.push_back({x, y});
            if (commands.back() != "Move")
                commands.push_back("Move");
        } else if (!IsPoll(e) && e.rfind("Get", 0) != 0) {
            commands.push_back(e);
        } else if (e.rfind("GetXY", 0) == 0 && commands.back() != "GetXY") {
            // The wait reads the position while the buffer holds moves (a stall shows as a
            // carriage that no longer moves): one line for the reads in a row.
            commands.push_back(e.substr(0, 5));
        }
    }
    const std::string k = std::to_string(xkp);
    const std::vector<std::string> expected = {
        "SetSpeed 80", "Halt", "ClearMCBuffer", "HandOver", "EnableX", "EnableY", "Resume", "GetXY",
        "SetMaxErr 200", "SetXKp " + k, "SetYKp 5", "SetXKi 0", "SetYKi 0", "SetXKd 0", "SetYKd 0", "Move",
        "GetXY", "DisableX", "DisableY", "HandOver", "SetSpeed 50", "SetMaxErr " + std::to_string(Err),
        "SetXKp " + k, "SetYKp " + std::to_string(YKp), "SetXKi " + std::to_string(XKi),
        "SetYKi " + std::to_string(YKi), "SetXKd " + std::to_string(XKd), "SetYKd " + std::to_string(YKd)};
    EXPECT_EQ(commands, expected);
    ASSERT_EQ(moves.size(), 50u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_NEAR(moves[i].first, 500 + i * 81.6, 0.05) << i;
        EXPECT_NEAR(moves[i].second, 700 - i * 77.52, 0.05) << i;
    }
    EXPECT_NEAR(SimController::Number(sim.Control("state"), "x"), 500 + 49 * 81.6, 1);
}

TEST(MotorTestOnSimulator, SlippingAxisFailsAndTestAllReportsTheStitcher)
{
    START_SIM(sim, {"--time-scale", "20"});
    ScriptedUi ui;
    maxSpeed = 50;
    acceleration = 40.0f;
    needleUpMethod = MACHINE_TYPE_SERIAL;
    testing::internal::CaptureStdout();

    TestLog all;
    TestAllResult a = TestAllMotors(all);
    EXPECT_EQ(all.text, "Testing All Motors\nTest All Motors Passed!\nStitcher Communication: Passed\n");
    EXPECT_TRUE(a.AllPassed());

    ASSERT_EQ(sim.Control("slip x 0.8"), "ok");
    TestLog log;
    MotorTestResult r = RunMotorTest(MotorAxis::X, log);
    EXPECT_TRUE(r.ran);
    EXPECT_FALSE(r.passed);
    EXPECT_NEAR(r.countsX, 8000, 5);
    EXPECT_EQ(log.text.substr(log.text.size() - 16), "X motor failed!\n");

    ASSERT_EQ(sim.Control("stitcher none"), "ok");
    TestLog quiet;
    EXPECT_EQ(CheckStitcher(quiet), StitcherCheck::TimedOut);
    EXPECT_EQ(quiet.text, "Stitcher Communication: Failed (Communication Timed Out)\n");
    testing::internal::GetCapturedStdout();
}

TEST(MotorTestOnSimulator, PortDPressesEachButtonASecondApart)
{
    START_SIM(sim);
    ScriptedUi ui;
    TestLog log;
    std::vector<long> appended;
    log.onChange = [&] { appended.push_back(Monotonic_ms()); };
    EXPECT_TRUE(TestPortD(log));
    EXPECT_EQ(log.text, "Testing Port D\nCommand Button On\nCommand Button Off\nStitch Regulation Button On\n"
                        "Stitch Regulation Button Off\nNeedle Up Button On\nNeedle Up Button Off\n");
    EXPECT_EQ(sim.NewJournal(), (std::vector<std::string>{"Button J 1", "Button J 0", "Button H 1", "Button H 0",
                                                         "Button I 1", "Button I 0"}));
    ASSERT_EQ(appended.size(), 7u);
    for (size_t i = 2; i < appended.size(); ++i)
        EXPECT_GE(appended[i] - appended[i - 1], 900) << "each press follows the one before by a second";
}

TEST(MotorTestTool, ExitStatusFollowsTheTests)
{
    SimController sim({"--time-scale", "20"});
    ASSERT_TRUE(sim.ok()) << sim.problem();
    ToolRun all = RunCorvanTool({"motor-test", "--device", sim.ttyPath(), "all"});
    EXPECT_EQ(all.status, 0) << all.out << all.err;
    EXPECT_NE(all.out.find("Testing X Motor\n"), std::string::npos) << "each line printed as it comes";
    EXPECT_NE(all.out.find("Y motor passed!\n"), std::string::npos);
    EXPECT_NE(all.out.find("Testing All Motors\nTest All Motors Passed!\nStitcher Communication: Passed\n"),
              std::string::npos)
        << all.out;

    ASSERT_EQ(sim.Control("slip y 0.8"), "ok");
    ToolRun slip = RunCorvanTool({"motor-test", "--device", sim.ttyPath(), "all"});
    EXPECT_EQ(slip.status, 1) << slip.out << slip.err;
    EXPECT_NE(slip.out.find("Y motor failed!\n"), std::string::npos);
    EXPECT_NE(slip.out.find("Testing All Motors\nTest All Motors Failed!\n"), std::string::npos)
        << "a motor that falls short is no pass: " << slip.out;

    ToolRun badAxis = RunCorvanTool({"motor-test", "--device", sim.ttyPath(), "z"});
    EXPECT_EQ(badAxis.status, 2);
    EXPECT_NE(badAxis.err.find("the test is x, y or all, not 'z'"), std::string::npos) << badAxis.err;
    ToolRun noDevice = RunCorvanTool({"motor-test", "x"});
    EXPECT_EQ(noDevice.status, 2);
    EXPECT_NE(noDevice.err.find("no device given"), std::string::npos);
    ToolRun missing = RunCorvanTool({"motor-test", "--device", "/nonexistent/tty", "x"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot open /nonexistent/tty"), std::string::npos) << missing.err;
}
