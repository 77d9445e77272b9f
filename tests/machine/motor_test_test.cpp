// The motor diagnostics against a scripted controller: the pass mark on exact positions, the
// stitch controller's odd replies, and a controller that goes quiet in the middle of a test.
#include <gtest/gtest.h>

#include "base/sensitivity.h"
#include "base/settings.h"
#include "machine/controller.h"
#include "machine/motor_test.h"
#include "machine/run_state.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"
#include "support/pty_pair.h"
#include "support/scripted_peer.h"
#include "support/scripted_ui.h"

namespace {

std::string Int32(int32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
    return s;
}

std::string WithInt(int command, int32_t v) { return Bytes({command}) + Int32(v); }

const int kConstants[8] = {31, 1, 32, 2, 3, 250, 100, 4};  // XKp XKi YKp YKi YKd Err TOut XKd

// The controller's side of a motor test up to the end of the moves: its constants, the start
// position, and every move taken.
std::vector<PeerStep> UpToTheMoves(int startX, int startY)
{
    std::string constants;
    for (int c : kConstants)
        constants += Int32(c);
    std::vector<PeerStep> steps = {
        {8, constants},                                     // the eight constant queries
        {5 + 6 + 1, Int32(startX) + Int32(startY)},         // SetSpeed, six bytes, GetXY
        {7 * 5 + 17, Bytes({MOVE_ACCEPTED})},               // SetMaxErr, six PID values, move 1
    };
    for (int i = 1; i < 50; ++i)
        steps.push_back({17, Bytes({MOVE_ACCEPTED})});
    return steps;
}

// The commands that end every motor test: the axes released, speed, maximum error and the
// six PID constants from the settings.
std::string Epilogue()
{
    return Bytes({Byte(ControllerCommand::DisableX), Byte(ControllerCommand::DisableY), Byte(ControllerCommand::HandOver)}) + WithInt(Byte(ControllerCommand::SetSpeed), 50) +
           WithInt(Byte(ControllerCommand::SetMaxErr), 250) + WithInt(Byte(ControllerCommand::SetXKp), 31) + WithInt(Byte(ControllerCommand::SetYKp), 32) +
           WithInt(Byte(ControllerCommand::SetXKi), 1) + WithInt(Byte(ControllerCommand::SetYKi), 2) + WithInt(Byte(ControllerCommand::SetXKd), 4) +
           WithInt(Byte(ControllerCommand::SetYKd), 3);
}

struct Measured {
    std::string text;
    MotorTestResult result;
    std::string received;
};

Measured MeasureOnce(MotorAxis axis, int dx_thou, int dy_thou)
{
    PtyPair pty;
    EXPECT_GE(OpenPort(), 0);
    std::vector<PeerStep> steps = UpToTheMoves(1000, 2000);
    steps.push_back({1, Bytes({BUFFER_FINISHED})});
    steps.push_back({1, Int32(1000 + dx_thou) + Int32(2000 + dy_thou)});
    ScriptedPeer peer(pty, steps);
    ScriptedUi ui;
    maxSpeed = 50;
    TestLog log;
    testing::internal::CaptureStdout();
    Measured m;
    m.result = RunMotorTest(axis, log);
    testing::internal::GetCapturedStdout();
    m.text = log.text;
    m.received = peer.Received();
    return m;
}

}  // namespace

TEST(MotorTest, PassMarkIsMoreThan8500CountsOnTheTestedAxis)
{
    Measured pass = MeasureOnce(MotorAxis::X, 3400, -3000);
    EXPECT_EQ(pass.text,
              "Testing X Motor\nMoving X Motor at 80% \nEncoder counts: \tX: 8503 Y: 7503 \nX motor passed!\n");
    EXPECT_TRUE(pass.result.ran);
    EXPECT_TRUE(pass.result.passed);
    EXPECT_EQ(XKp, 31) << "the controller's constants are stored";
    EXPECT_EQ(Err, 250);
    // The origin stays: no SetHome between the speed and reading the start position.
    EXPECT_EQ(pass.received.substr(8, 12),
              WithInt(Byte(ControllerCommand::SetSpeed), 80) + Bytes({Byte(ControllerCommand::Halt), Byte(ControllerCommand::ClearBuffer), Byte(ControllerCommand::HandOver),
                                                  Byte(ControllerCommand::EnableX), Byte(ControllerCommand::EnableY), Byte(ControllerCommand::Resume), Byte(ControllerCommand::GetXY)}));
    EXPECT_EQ(pass.received.substr(pass.received.size() - Epilogue().size()), Epilogue());
    // The tested axis keeps its gain, the other gets 5, integral and derivative off.
    EXPECT_NE(pass.received.find(WithInt(Byte(ControllerCommand::SetMaxErr), 200) + WithInt(Byte(ControllerCommand::SetXKp), 31) +
                                 WithInt(Byte(ControllerCommand::SetYKp), 5) + WithInt(Byte(ControllerCommand::SetXKi), 0)),
              std::string::npos);

    Measured fail = MeasureOnce(MotorAxis::X, 3390, -3000);
    EXPECT_NE(fail.text.find("X: 8478 "), std::string::npos) << fail.text;
    EXPECT_EQ(fail.text.substr(fail.text.size() - 16), "X motor failed!\n");
    EXPECT_TRUE(fail.result.ran);
    EXPECT_FALSE(fail.result.passed);

    Measured y = MeasureOnce(MotorAxis::Y, -3000, -3400);
    EXPECT_EQ(y.text,
              "Testing Y Motor\nMoving Y Motor at 80% \nEncoder counts: \tX: 7503 Y: 8503 \nY motor passed!\n");
    EXPECT_NE(y.received.find(WithInt(Byte(ControllerCommand::SetXKp), 5) + WithInt(Byte(ControllerCommand::SetYKp), 32)), std::string::npos);
    Measured yFail = MeasureOnce(MotorAxis::Y, 3400, 3390);
    EXPECT_EQ(yFail.text.substr(yFail.text.size() - 16), "Y motor failed!\n");
}

TEST(MotorTest, ControllerSilentAfterTheMovesAbortsAndRestoresEverything)
{
    PtyPair pty;
    ASSERT_GE(OpenPort(), 0);
    ScriptedPeer peer(pty, UpToTheMoves(0, 0));
    ScriptedUi ui;
    SetSensitivity(kMaskNormal);
    ui.masks.clear();
    maxSpeed = 50;
    TestLog log;
    int changes = 0;
    log.onChange = [&] { ++changes; };
    testing::internal::CaptureStdout();
    EXPECT_EQ(TestXMotor(log), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.text, "Testing X Motor\nMoving X Motor at 80% \nX Motor Error.  Test Aborted.\n");
    EXPECT_EQ(changes, 3);
    const std::string got = peer.Received();
    const std::string tail = Bytes({Byte(ControllerCommand::RunStart)}) + Epilogue();
    ASSERT_GE(got.size(), tail.size());
    EXPECT_EQ(got.substr(got.size() - tail.size()), tail);
    EXPECT_TRUE(ui.screens.empty()) << "the page the test runs on stays";
    EXPECT_EQ(ui.masks, (std::vector<unsigned>{kMaskAllOff, kMaskNormal}));
    EXPECT_EQ(CurrentSensitivity(), kMaskNormal);
    EXPECT_EQ(allStop, RUN_GO);
    EXPECT_FALSE(DiagnosticRunning());
}

TEST(MotorTest, SecondCheckWhileOneRunsIsIgnored)
{
    PtyPair pty;
    ASSERT_GE(OpenPort(), 0);
    std::vector<PeerStep> steps = UpToTheMoves(0, 0);
    steps.push_back({1, Bytes({BUFFER_FINISHED})});
    steps.push_back({1, Int32(3400) + Int32(0)});
    ScriptedPeer peer(pty, steps);
    ScriptedUi ui;
    TestLog log, second;
    int nestedRan = -1;
    bool nestedPortD = true;
    TestAllResult nestedAll;
    nestedAll.ran = true;
    // Events run while the test waits: a tap on another button arrives then.
    uiHooks.runPendingEvents = [&] {
        if (nestedRan != -1)
            return;
        nestedRan = TestYMotor(second);
        nestedPortD = TestPortD(second);
        nestedAll = TestAllMotors(second);
    };
    testing::internal::CaptureStdout();
    EXPECT_TRUE(RunMotorTest(MotorAxis::X, log).passed);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(nestedRan, 0);
    EXPECT_FALSE(nestedPortD);
    EXPECT_FALSE(nestedAll.ran);
    EXPECT_TRUE(second.text.empty());
    EXPECT_EQ(peer.Received().find(WithInt(Byte(ControllerCommand::SetYKp), 32) + WithInt(Byte(ControllerCommand::SetXKi), 0)), std::string::npos)
        << "no Y test was started";
}

TEST(StitcherCheck, RepliesOfTheStitchController)
{
    struct Case {
        std::string reply;
        int machineType;
        const char* line;
        StitcherCheck check;
    };
    const Case cases[] = {
        {Bytes({1}), MACHINE_TYPE_SERIAL, "Stitcher Communication: Passed\n", StitcherCheck::Passed},
        {Bytes({33}), MACHINE_TYPE_SERIAL, "Stitcher Communication: Failed\n", StitcherCheck::Failed},
        {Bytes({0, 1}), MACHINE_TYPE_SERIAL, "Stitcher Communication: Failed (Framing Error)\n",
         StitcherCheck::FramingError},
        {"", MACHINE_TYPE_AR18, "Stitcher is using PortD\n", StitcherCheck::UsingPortD},
    };
    for (const Case& c : cases) {
        PtyPair pty;
        ASSERT_GE(OpenPort(), 0);
        needleUpMethod = c.machineType;
        ScriptedPeer peer(pty, {{1, c.reply}});
        TestLog log;
        EXPECT_EQ(CheckStitcher(log), c.check) << c.line;
        EXPECT_EQ(log.text, c.line);
        EXPECT_EQ(peer.Received(), c.machineType == MACHINE_TYPE_SERIAL ? Bytes({Byte(ControllerCommand::GetStitcher)}) : "")
            << c.line;
    }
    needleUpMethod = MACHINE_TYPE_SERIAL;
    TestLog closed;
    EXPECT_EQ(CheckStitcher(closed), StitcherCheck::PortDisabled);
    EXPECT_EQ(closed.text, "Stitcher Communication: Failed (Serial Port Disabled)\n");
}
