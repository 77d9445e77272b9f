// The controller commands against a scripted peer on a real pseudo-terminal: exact bytes on
// the wire, reply handling, failure codes and the console texts a technician relies on.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

#include "base/settings.h"
#include "machine/controller.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"
#include "support/pty_pair.h"
#include "support/scripted_peer.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

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

std::string Int(int32_t v) { return LittleEndianBytes(v); }
std::string Float(float v) { return LittleEndianBytes(v); }

}  // namespace

TEST(ControllerPortClosed, EveryOperationReturnsItsClosedValueAtOnce)
{
    ClosePort();
    ScriptedUi ui;  // no message may appear
    needleUpConfirm = 1;
    needleUpTime = 5000.0f;
    const auto start = std::chrono::steady_clock::now();
    testing::internal::CaptureStdout();

    EXPECT_EQ(SetXKp(3), 0);
    EXPECT_EQ(SetSlow(2.0f), 0);
    EXPECT_EQ(AllStop(), 0);
    EXPECT_EQ(Resume(), 0);
    EXPECT_EQ(SendCommand(Byte(ControllerCommand::RunStart)), 0);
    int x = 7, y = 7;
    EXPECT_EQ(GetXY(&x, &y), 0);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    int constants[8] = {};
    EXPECT_EQ(GetConstants(constants), 2);
    unsigned char status = 9;
    int code = 9;
    EXPECT_EQ(CheckBuffer(&status, &code), 1);
    EXPECT_EQ(status, 9);
    crc = 5;
    EXPECT_EQ(SendMove(1.0, 2.0, 3.0), 0);
    EXPECT_EQ(crc, 5);
    EXPECT_EQ(sendMoveActive, 0);
    EXPECT_EQ(GetErrors(&code), 0);
    EXPECT_EQ(code, 0);
    unsigned char byte = 9;
    EXPECT_EQ(GetMotorDirection(&byte), 2);
    EXPECT_EQ(GetStitcher(&byte), 2);
    EXPECT_EQ(byte, 9);
    float version = 4.0f;
    EXPECT_EQ(GetMotorVersion(&version), -1);
    EXPECT_EQ(GetStitcherVersion(&version), -1);
    EXPECT_EQ(version, 4.0f);
    int a = 0, b = 0, c = 0, d = 0;
    EXPECT_EQ(GetStitchSettings(&a, &b, &c, &d), 2);

    for (int type : {0, 3, 11}) {
        needleUpMethod = type;
        EXPECT_EQ(StitchOn(), 0);
        EXPECT_EQ(robotIsStitching, 0);
        EXPECT_EQ(NeedleUp(), 1);
        robotIsStitching = 1;
        EXPECT_EQ(StitchOff(), 0);
        EXPECT_EQ(robotIsStitching, 1);
        robotIsStitching = 0;
    }
    EXPECT_EQ(WaitForNeedle(), 0);
    EXPECT_EQ(PauseForNeedle(), -1);
    EXPECT_EQ(PseudoButtonPress(ControllerCommand::ButtonNeedleUp, 1, 0, 100, 100), 0);
    EXPECT_EQ(PseudoButtonRelease("0x49 0 1"), 1);

    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("ERROR: Serial Port Not Enabled\n"), std::string::npos);
    // Not one of the time-outs above may have been waited for.
    EXPECT_LT(MsSince(start), 500);
}

TEST(ControllerCommands, ArgumentCommandsSendByteAndLittleEndianValue)
{
    PtyPair pty;
    Open(pty);
    struct Case {
        int (*send)(int);
        int byte;
    } cases[] = {
        {SetXKp, 1}, {SetXKi, 2}, {SetXKd, 3}, {SetYKp, 4}, {SetYKi, 5}, {SetYKd, 6},
        {SetMaxErr, 8}, {SetTOut, 9}, {SetStitches, 53}, {SetLockStitch, 54},
        {SetSpeed, 55}, {SetMinimumSpeed, 57},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.send(-2), 1);
        EXPECT_EQ(pty.ReceiveAll(), Bytes({c.byte, 0xFE, 0xFF, 0xFF, 0xFF})) << c.byte;
        EXPECT_EQ(c.send(0x01020304), 1);
        EXPECT_EQ(pty.ReceiveAll(), Bytes({c.byte, 4, 3, 2, 1})) << c.byte;
    }
    EXPECT_EQ(SetSlow(1.5f), 1);
    EXPECT_EQ(pty.ReceiveAll(), Bytes({68, 0x00, 0x00, 0xC0, 0x3F}));
}

TEST(ControllerCommands, OneByteCommandsAndTheThreePartStop)
{
    TempDir dir;  // SetHome leaves the moved-home mark in the working folder
    PtyPair pty;
    Open(pty);
    EXPECT_EQ(DisableX() + EnableX() + DisableY() + EnableY() + Resume() + SetHome() + Halt() +
                  ClearMCBuffer() + ClearExtents() + SetExtents() + SendCommand(Byte(ControllerCommand::HandOver)),
              11);
    EXPECT_EQ(pty.ReceiveAll(), Bytes({21, 22, 23, 24, 25, 26, 44, 45, 47, 46, 48}));

    EXPECT_EQ(AllStop(), 1);
    EXPECT_EQ(pty.ReceiveAll(), Bytes({19, 45, 25}));
}

TEST(ControllerMove, PacketLayoutChecksumAndAcceptance)
{
    PtyPair pty;
    Open(pty);
    ScriptedPeer peer(pty, {{17, Bytes({MOVE_ACCEPTED})},
                            {17, Bytes({MOVE_ACCEPTED})},
                            {17, Bytes({MOVE_ACCEPTED})}});

    EXPECT_EQ(SendMove(1000.0, 2500.5, 100.0), 0);
    EXPECT_EQ(crc, 450050);
    EXPECT_EQ(sendMoveActive, 0);
    // Conversions truncate toward zero, and the checksum wraps around in 32 bits.
    EXPECT_EQ(SendMove(-1.239, 20000000.0, 0.0009), 0);
    const uint32_t wrapped = static_cast<uint32_t>(-123) + 2000000000u + 0u;
    EXPECT_EQ(crc, static_cast<int32_t>(wrapped));
    // Values the wire cannot carry saturate instead of being garbage.
    EXPECT_EQ(SendMove(std::numeric_limits<double>::quiet_NaN(), -1e300, 1e300), 0);

    const std::string expected =
        Bytes({33}) + Int(100000) + Int(250050) + Int(100000) + Int(450050) +
        Bytes({33}) + Int(-123) + Int(2000000000) + Int(0) + Int(static_cast<int32_t>(wrapped)) +
        Bytes({33}) + Int(0) + Int(std::numeric_limits<int32_t>::min()) +
        Int(std::numeric_limits<int32_t>::max()) + Int(-1);
    EXPECT_EQ(peer.Received(), expected);
}

TEST(ControllerMove, RejectedUnexpectedAndMissingReplies)
{
    PtyPair pty;
    Open(pty);

    // A checksum rejection leaves whatever else is waiting for the caller.
    pty.Send({MOVE_BAD_CHECKSUM, 0xAA, 0xBB});
    EXPECT_EQ(SendMove(1.0, 1.0, 1.0), 1);
    EXPECT_EQ(PtyPair::WaitingForProgram(), 2);
    ClearPort();

    // Anything else means the line is out of step: the input is emptied before the next
    // command, once the line is quiet (a late acknowledgement may still come).
    pty.Send({7, 0x11, 0x22, 0x33});
    testing::internal::CaptureStdout();
    EXPECT_EQ(SendMove(1.0, 1.0, 1.0), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: CRC Response = 7\n");
    EXPECT_EQ(PtyPair::WaitingForProgram(), 3);
    EXPECT_EQ(sendMoveActive, 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(SettleLine(), 3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "3 stale bytes cleared from the line\n");
    EXPECT_EQ(PtyPair::WaitingForProgram(), 0);

    // A framing error and silence both count as no reply.
    pty.Send({0x00, 0x05});
    testing::internal::CaptureStdout();
    EXPECT_EQ(SendMove(1.0, 1.0, 1.0), 3);
    EXPECT_EQ(SendMove(1.0, 1.0, 1.0), 3);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Buffer[0] == 0x00. Next Byte: 0x05\n"), std::string::npos);
    EXPECT_NE(out.find("ERROR: Could not retrieve CRC Response\nERROR: Could not retrieve CRC Response\n"),
              std::string::npos);
    EXPECT_EQ(sendMoveActive, 0);
}

TEST(ControllerBuffer, StatusTimeOutAndFramingError)
{
    PtyPair pty;
    Open(pty);
    unsigned char status = 0;
    int code = 77;

    pty.Send({37});
    EXPECT_EQ(CheckBuffer(&status, &code), 0);
    EXPECT_EQ(status, 37);
    EXPECT_EQ(code, 77);
    EXPECT_EQ(pty.ReceiveAll(), Bytes({34}));

    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckBuffer(&status, &code), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: Get Buffer Length Timed Out\n");
    EXPECT_EQ(SettleLine(), 0);  // what the next query would do first: nothing came late

    pty.Send({0x00, 0x63});
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckBuffer(&status, &code), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Buffer[0] == 0x00. Next Byte: 0x63\n"
              "ERROR: Framing Error Detected While Getting Buffer Length\n");
}

TEST(ControllerBuffer, ErrorStatusKeepsTheCodeOnNewFirmware)
{
    PtyPair pty;
    Open(pty);
    ScriptedPeer peer(pty, {{1, Bytes({254}) + Int(5)}, {1, Float(1.30f)}});
    unsigned char status = 0;
    int code = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckBuffer(&status, &code), 4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(status, 254);
    EXPECT_EQ(code, 5);
    EXPECT_EQ(peer.Received(), Bytes({34, 60}));
}

TEST(ControllerBuffer, ErrorStatusAsksAgainOnOldFirmware)
{
    PtyPair pty;
    Open(pty);
    ScriptedPeer peer(pty, {{1, Bytes({254}) + Int(5)}, {1, Float(1.26f)}, {1, Int(6)}});
    unsigned char status = 0;
    int code = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckBuffer(&status, &code), 4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Get Errors\n");
    EXPECT_EQ(code, 6);
    EXPECT_EQ(peer.Received(), Bytes({34, 60, 52}));
}

TEST(ControllerBuffer, ErrorStatusWithoutAnyCodeIsUnretrievable)
{
    PtyPair pty;
    Open(pty);
    // Status 254, then silence: no code, no version (taken as new firmware).
    ScriptedPeer silent(pty, {{1, Bytes({254})}});
    unsigned char status = 0;
    int code = 0;
    EXPECT_EQ(CheckBuffer(&status, &code), 4);
    EXPECT_EQ(code, -1);
}

TEST(ControllerBuffer, OldFirmwareThatCannotTellTheCodeIsUnretrievableNotCleared)
{
    PtyPair pty;
    Open(pty);
    // A version reply cut short counts as version 0.0, so the code is asked for again;
    // when that fails too, the operator must not be told the error was cleared.
    ScriptedPeer peer(pty, {{1, Bytes({254}) + Int(5)}, {1, Bytes({1, 2})}});
    unsigned char status = 0;
    int code = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckBuffer(&status, &code), 4);
    // The two bytes of the cut version are drained before the code is asked for.
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Get Errors\n2 stale bytes cleared from the line\n");
    EXPECT_EQ(code, -1);
}

TEST(ControllerQueries, PositionIsReadAfterStaleInputIsDropped)
{
    PtyPair pty;
    Open(pty);
    pty.Send({0x99, 0x98, 0x97});  // a late reply to something earlier
    ScriptedPeer peer(pty, {{1, Int(1234) + Int(-56)}});
    int x = 0, y = 0;
    EXPECT_EQ(GetXY(&x, &y), 0);
    EXPECT_EQ(x, 1234);
    EXPECT_EQ(y, -56);
    EXPECT_EQ(peer.Received(), Bytes({15}));
}

TEST(ControllerQueries, PositionWithMissingYKeepsX)
{
    PtyPair pty;
    Open(pty);
    ScriptedPeer peer(pty, {{1, Int(1234) + Bytes({1, 2})}});
    int x = 0, y = 9;
    EXPECT_EQ(GetXY(&x, &y), SERIAL_TIMEOUT);
    EXPECT_EQ(x, 1234);
    EXPECT_EQ(y, 0);
}

TEST(ControllerQueries, ConstantsInTheOrderReceived)
{
    PtyPair pty;
    Open(pty);
    std::string reply;
    for (int v : {30, 8, 31, 9, 41, 100, 101, 40})
        reply += Int(v);
    ScriptedPeer peer(pty, {{8, reply}});
    ScriptedUi ui;
    int values[8] = {};
    EXPECT_EQ(GetConstants(values), 0);
    EXPECT_EQ(std::vector<int>(values, values + 8),
              (std::vector<int>{30, 8, 31, 9, 41, 100, 101, 40}));
    EXPECT_EQ(peer.Received(), Bytes({11, 12, 36, 37, 38, 39, 40, 41}));
}

TEST(ControllerQueries, ConstantsSilenceShowsTheMessageButAShortReplyDoesNot)
{
    PtyPair pty;
    Open(pty);
    {
        ScriptedUi ui;
        ui.Expect("COULD NOT RETRIEVE VALUES.\nCOMMUNICATIONS TIMED OUT.", RESPONSE_OK);
        int values[8] = {};
        EXPECT_EQ(GetConstants(values), 1);
    }
    pty.ReceiveAll();
    ScriptedPeer peer(pty, {{8, Int(1) + Int(2) + Int(3)}});
    ScriptedUi quiet;
    int values[8] = {};
    EXPECT_EQ(GetConstants(values), 1);
}

TEST(ControllerQueries, SingleByteRepliesAndTheirFailureTexts)
{
    PtyPair pty;
    Open(pty);
    unsigned char byte = 0;

    pty.Send({MOTOR_REVERSED});
    EXPECT_EQ(GetMotorDirection(&byte), 0);
    EXPECT_EQ(byte, MOTOR_REVERSED);
    EXPECT_EQ(pty.ReceiveAll(), Bytes({56}));

    testing::internal::CaptureStdout();
    EXPECT_EQ(GetMotorDirection(&byte), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: Get Motor Direction Timed Out\n");
    EXPECT_EQ(SettleLine(), 0);  // what the next query would do first: nothing came late

    pty.Send({0x00, 0x07});
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetMotorDirection(&byte), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Buffer[0] == 0x00. Next Byte: 0x07\nERROR: Framing Error Detected\n");
    pty.ReceiveAll();
    SettleLine();

    needleUpMethod = MACHINE_TYPE_SERIAL;
    pty.Send({STITCHER_NOT_ROBOT});
    EXPECT_EQ(GetStitcher(&byte), 0);
    EXPECT_EQ(byte, STITCHER_NOT_ROBOT);
    EXPECT_EQ(pty.ReceiveAll(), Bytes({62}));

    // Machines without a stitch controller are always ready, and nothing is asked.
    needleUpMethod = 4;
    byte = 0;
    EXPECT_EQ(GetStitcher(&byte), 0);
    EXPECT_EQ(byte, STITCHER_READY);
    float version = 3.0f;
    EXPECT_EQ(GetStitcherVersion(&version), 0);
    EXPECT_EQ(version, 0.0f);
    EXPECT_EQ(pty.ReceiveAll(), "");
}

TEST(ControllerQueries, StitcherSilenceTimesOutAfterThreeSeconds)
{
    PtyPair pty;
    Open(pty);
    needleUpMethod = MACHINE_TYPE_SERIAL;
    unsigned char byte = 0;
    // An answer after two seconds is still in time.
    std::thread late([&] {
        usleep(2000 * 1000);
        pty.SendNoWait({STITCHER_READY});
    });
    EXPECT_EQ(GetStitcher(&byte), 0);
    late.join();
    EXPECT_EQ(byte, STITCHER_READY);

    testing::internal::CaptureStdout();
    EXPECT_EQ(GetStitcher(&byte), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: Get Stitcher Timed Out\n");
}

TEST(ControllerQueries, VersionsCompleteMissingAndCutShort)
{
    PtyPair pty;
    Open(pty);
    needleUpMethod = MACHINE_TYPE_SERIAL;
    float version = 9.0f;

    pty.Send({0x42, 0x43});  // stale input is dropped before asking
    ScriptedPeer peer(pty, {{1, Float(1.30f)}, {1, Float(2.5f)}, {1, ""}, {1, Bytes({1, 2, 3})}});
    EXPECT_EQ(GetMotorVersion(&version), 0);
    EXPECT_FLOAT_EQ(version, 1.30f);
    EXPECT_EQ(GetStitcherVersion(&version), 0);
    EXPECT_FLOAT_EQ(version, 2.5f);
    EXPECT_EQ(GetMotorVersion(&version), -2);
    EXPECT_FLOAT_EQ(version, 2.5f);
    EXPECT_EQ(GetMotorVersion(&version), -3);
    EXPECT_EQ(version, 0.0f);
    EXPECT_EQ(peer.Received(), Bytes({60, 61, 60, 60}));
}

TEST(ControllerQueries, AVersionThatIsNoNumberIsRefused)
{
    PtyPair pty;
    Open(pty);
    needleUpMethod = MACHINE_TYPE_SERIAL;
    float version = 9.0f;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    ScriptedPeer peer(pty, {{1, Float(nan)}, {1, Float(inf)}, {1, Float(-3.0e38f)}, {1, Float(1.27f)}});
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetMotorVersion(&version), -3);
    EXPECT_EQ(version, 0.0f);
    EXPECT_EQ(GetStitcherVersion(&version), -3);
    EXPECT_EQ(version, 0.0f);
    EXPECT_EQ(GetMotorVersion(&version), -3);
    EXPECT_EQ(version, 0.0f);
    // The line is still in step for a good reply after them.
    EXPECT_EQ(GetMotorVersion(&version), 0);
    EXPECT_FLOAT_EQ(version, 1.27f);
    testing::internal::GetCapturedStdout();
}

TEST(ControllerQueries, ErrorMaskAndStitchSettings)
{
    PtyPair pty;
    Open(pty);
    ScriptedPeer peer(pty, {{1, Int(5)}, {1, ""}, {1, Bytes({12, 40, 0, 3})}});
    int code = 0;
    EXPECT_EQ(GetErrors(&code), 0);
    EXPECT_EQ(code, 5);
    EXPECT_EQ(GetErrors(&code), SERIAL_TIMEOUT);
    EXPECT_EQ(code, 0);

    // A zero among the settings is a value, not a broken frame.
    int length = -1, fastest = -1, slowest = -1, locks = -1;
    EXPECT_EQ(GetStitchSettings(&length, &fastest, &slowest, &locks), 0);
    EXPECT_EQ(length, 12);
    EXPECT_EQ(fastest, 40);
    EXPECT_EQ(slowest, 0);
    EXPECT_EQ(locks, 3);

    // Silence leaves the values alone.
    EXPECT_EQ(GetStitchSettings(&length, &fastest, &slowest, &locks), 1);
    EXPECT_EQ(length, 12);
    EXPECT_EQ(peer.Received(), Bytes({52, 52, 14, 14}));
}
