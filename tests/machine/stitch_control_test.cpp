// Stitch control for each kind of machine, the needle confirmations and the error report,
// against a scripted peer on a real pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>

#include "base/settings.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"
#include "support/pty_pair.h"
#include "support/scripted_peer.h"
#include "support/scripted_ui.h"

namespace {

void Open(PtyPair& pty)
{
    ASSERT_GE(OpenPort(), 0) << pty.slavePath();
}

long MsSince(std::chrono::steady_clock::time_point start)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count());
}

void UseMachine(int type, float press_ms, float wait_ms, int confirm)
{
    needleUpMethod = type;
    needleUpPress = stitchRegPress = press_ms;
    needleUpTime = stitchRegTime = wait_ms;
    needleUpConfirm = confirm;
}

}  // namespace

TEST(ControllerErrorReport, FourWaysToReportAnErrorStatus)
{
    ScriptedUi ui;
    ui.Expect("MOTOR CONTROLLER HAS AN ERROR.\nUNABLE TO RETRIEVE", RESPONSE_OK)
        .Expect("MOTOR CONTROLLER HAD AN ERROR\nBUT IT HAS BEEN CLEARED", RESPONSE_OK)
        .Expect("X MOTOR FAILURE\nSTITCH CONTROLLER GENERATED AN ERROR", RESPONSE_DELETE)
        .Expect("X MOTOR FAILURE\nY MOTOR FAILURE\nSTITCH CONTROLLER GENERATED AN ERROR", RESPONSE_OK)
        .Expect("MOTOR CONTROLLER HAS UNKNOWN ERROR\n8", RESPONSE_OK)
        .Expect("MOTOR CONTROLLER HAS UNKNOWN ERROR\n-2", RESPONSE_OK);
    errorAns = 0;
    ReportControllerError(-1);
    ReportControllerError(0);
    EXPECT_EQ(errorAns, 0);
    ReportControllerError(3);
    EXPECT_EQ(errorAns, RESPONSE_DELETE);
    ReportControllerError(7);
    EXPECT_EQ(errorAns, RESPONSE_OK);
    ReportControllerError(8);
    ReportControllerError(-2);
}

TEST(StitchControlSerial, StitchingActsOnlyOnAChange)
{
    PtyPair pty;
    Open(pty);
    UseMachine(MACHINE_TYPE_SERIAL, 0, 0, 1);
    robotIsStitching = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(StitchOn(), 1);
    EXPECT_EQ(StitchOn(), 1);
    EXPECT_EQ(robotIsStitching, 1);
    EXPECT_EQ(StitchOff(), 1);
    EXPECT_EQ(StitchOff(), 1);
    EXPECT_EQ(robotIsStitching, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Stitching Off\n");
    EXPECT_EQ(pty.ReceiveAll(), Bytes({29, 30}));
}

TEST(StitchControlSerial, NeedleUpWaitsForTheStitchControllersAnswer)
{
    PtyPair pty;
    Open(pty);
    UseMachine(MACHINE_TYPE_SERIAL, 0, 0, 1);
    ScriptedUi ui;
    ScriptedPeer peer(pty, {{1, Bytes({0x42, NEEDLE_IS_UP})}});
    testing::internal::CaptureStdout();
    EXPECT_EQ(NeedleUp(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WFN\nWFN returned something weird: 0X42\nWFN return true\n");
    EXPECT_EQ(peer.Received(), Bytes({49}));
    EXPECT_GT(ui.pendingEventRuns, 0);  // the screen stays alive while waiting

    pty.Send({NEEDLE_NOT_UP});
    testing::internal::CaptureStdout();
    EXPECT_EQ(WaitForNeedle(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "WFN\nWFN return false\n");
}

TEST(StitchControlSerial, SilentStitchControllerEndsTheWaitInFiveSeconds)
{
    PtyPair pty;
    Open(pty);
    const auto start = std::chrono::steady_clock::now();
    testing::internal::CaptureStdout();
    EXPECT_EQ(WaitForNeedle(), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    const long elapsed = MsSince(start);
    EXPECT_GE(elapsed, 4995);
    EXPECT_LT(elapsed, 5500);  // the last read is cut to the time left
    EXPECT_EQ(out.rfind("WFN\nWFN: GetChar() timed out\n", 0), 0u);
    EXPECT_EQ(out.substr(out.size() - 8), "WFN End\n");
}

TEST(StitchControlAr18, RegulatorHeldWhileStitchingAndNoNeedleUp)
{
    PtyPair pty;
    Open(pty);
    UseMachine(MACHINE_TYPE_AR18, 100, 300, 0);
    robotIsStitching = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(StitchOn(), 1);
    EXPECT_EQ(pty.ReceiveAll(), Bytes({'H', 1}));
    EXPECT_EQ(NeedleUp(), 1);
    EXPECT_EQ(pty.ReceiveAll(), "");

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(StitchOff(), 1);
    EXPECT_GE(MsSince(start), 295);  // the needle is given needleUpTime to come to rest
    EXPECT_EQ(pty.ReceiveAll(), Bytes({'H', 0}));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Stitching On AR18\nNo needle up on AR18\nWait for waitTime\nStitching Off 18\n");
}

TEST(StitchControlButtons, MomentaryPressesWithTheirTimes)
{
    PtyPair pty;
    Open(pty);
    UseMachine(5, 0, 0, 0);
    stitchRegPress = 120;
    stitchRegTime = 200;
    needleUpPress = 80;
    needleUpTime = 150;
    robotIsStitching = 0;
    testing::internal::CaptureStdout();

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(StitchOn(), 1);
    EXPECT_GE(MsSince(start), 315);  // held stitchRegPress, then stitchRegTime after release
    EXPECT_EQ(pty.ReceiveAll(), Bytes({'H', 1, 'H', 0}));

    start = std::chrono::steady_clock::now();
    EXPECT_EQ(StitchOff(), 1);
    EXPECT_GE(MsSince(start), 115);
    EXPECT_EQ(pty.ReceiveAll(), Bytes({'H', 1, 'H', 0}));

    // Without confirmation the needle is simply given needleUpTime.
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(NeedleUp(), 1);
    EXPECT_GE(MsSince(start), 225);
    EXPECT_EQ(pty.ReceiveAll(), Bytes({'I', 1, 'I', 0}));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Stitching On\nStitching Off\nNeedle Up\nPFN\nPFN End\n");
}

TEST(StitchControlButtons, NeedleCountsAsUpOnlyAfterItWasSeenDown)
{
    PtyPair pty;
    Open(pty);
    UseMachine(2, 0, 2000, 1);
    ScriptedPeer peer(pty, {{1, Bytes({1})}, {1, Bytes({1})}, {1, Bytes({0})}, {1, Bytes({1})}});
    testing::internal::CaptureStdout();
    EXPECT_EQ(PauseForNeedle(), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("PFN\nPFN Needle Up Received: 0x1 after ", 0), 0u) << out;
    EXPECT_EQ(peer.Received(), Bytes({'K', 'K', 'K', 'K'}));
}

TEST(StitchControlButtons, NeedleThatNeverCyclesTimesOut)
{
    PtyPair pty;
    Open(pty);
    UseMachine(2, 0, 300, 1);
    // Always up: never seen down, so never confirmed.
    std::vector<PeerStep> alwaysUp(100, PeerStep{1, Bytes({1})});
    ScriptedPeer peer(pty, alwaysUp);
    const auto start = std::chrono::steady_clock::now();
    testing::internal::CaptureStdout();
    EXPECT_EQ(PauseForNeedle(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "PFN\nPFN Needle Up: Timeout after 300 msec\n");
    EXPECT_LT(MsSince(start), 600);
    EXPECT_GT(peer.StepsDone(), 3u);  // polled all along, every 10 ms or so
}

TEST(StitchControlButtons, NoPollOrReleaseWhileAMoveIsInFlight)
{
    PtyPair pty;
    Open(pty);
    UseMachine(2, 0, 100, 1);
    sendMoveActive = 1;
    EXPECT_EQ(PseudoButtonRelease("0x49 0 1"), 1);
    EXPECT_EQ(PauseForNeedle(), 0);
    EXPECT_EQ(pty.ReceiveAll(), "");
    sendMoveActive = 0;

    EXPECT_EQ(PseudoButtonRelease("0x49 0 1"), 0);
    EXPECT_EQ(PseudoButtonRelease("0x4A 1"), 0);
    EXPECT_EQ(pty.ReceiveAll(), Bytes({0x49, 0, 0x4A, 1}));
    // Texts that do not hold a button and a state are refused.
    EXPECT_EQ(PseudoButtonRelease(""), 1);
    EXPECT_EQ(PseudoButtonRelease("0x49"), 1);
    EXPECT_EQ(PseudoButtonRelease("button up"), 1);
    EXPECT_EQ(PseudoButtonRelease(nullptr), 1);
    EXPECT_EQ(pty.ReceiveAll(), "");
}
