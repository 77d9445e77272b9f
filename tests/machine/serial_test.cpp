// The serial link over a real pseudo-terminal: the test plays the controller on the master.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cmath>
#include <ctime>
#include <thread>

#include "machine/serial.h"
#include "support/pty_pair.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace {

// Opens the program's end of `pty` and fails the test when that does not work.
void Open(PtyPair& pty)
{
    ASSERT_GE(OpenPort(), 0) << pty.slavePath();
    ASSERT_EQ(sp >= 0, true);
}

time_t WallSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec;
}

}  // namespace

TEST(SerialDevice, ChosenBySwitchNumberUnlessOverridden)
{
    unsetenv("CORVAN_SERIAL");
    spNumber = 1;
    EXPECT_STREQ(SerialDevicePath(), "/dev/ttyUSB0");
    spNumber = 2;
    EXPECT_STREQ(SerialDevicePath(), "/dev/s3c2410_serial2");
    spNumber = 0;
    EXPECT_STREQ(SerialDevicePath(), "/dev/s3c2410_serial1");
    spNumber = 7;
    EXPECT_STREQ(SerialDevicePath(), "/dev/s3c2410_serial1");
    setenv("CORVAN_SERIAL", "/tmp/some-tty", 1);
    EXPECT_STREQ(SerialDevicePath(), "/tmp/some-tty");
    setenv("CORVAN_SERIAL", "", 1);  // empty means not set
    EXPECT_STREQ(SerialDevicePath(), "/dev/s3c2410_serial1");
    unsetenv("CORVAN_SERIAL");
}

TEST(SerialOpen, MissingDeviceShowsTheMessageAndLeavesThePortClosed)
{
    TempDir dir;
    const std::string missing = dir / "no-such-tty";
    setenv("CORVAN_SERIAL", missing.c_str(), 1);
    spNumber = 2;
    crc = 1234;
    ScriptedUi ui;
    ui.Expect("UNABLE TO OPEN SERIAL PORT: " + missing, RESPONSE_CLOSE);
    testing::internal::CaptureStdout();
    EXPECT_LT(OpenPort(), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Open Serial 2\nCould Not Open Port: -1\n");
    EXPECT_LT(sp, 0);
    EXPECT_EQ(crc, 0);
    unsetenv("CORVAN_SERIAL");
}

TEST(SerialOpen, DefaultDeviceNamedInTheMessage)
{
    if (access("/dev/ttyUSB0", F_OK) == 0)
        GTEST_SKIP() << "a real adapter is attached";
    unsetenv("CORVAN_SERIAL");
    spNumber = 1;
    ScriptedUi ui;
    ui.Expect("UNABLE TO OPEN SERIAL PORT: /dev/ttyUSB0", RESPONSE_CLOSE);
    testing::internal::CaptureStdout();
    EXPECT_LT(OpenPort(), 0);
    testing::internal::GetCapturedStdout();
}

TEST(SerialOpen, PlainFileIsRefusedLikeAMissingPort)
{
    TempDir dir;
    dir.Write("not-a-tty", "hello");
    const std::string path = dir / "not-a-tty";
    setenv("CORVAN_SERIAL", path.c_str(), 1);
    ScriptedUi ui;
    ui.Expect("UNABLE TO OPEN SERIAL PORT: " + path, RESPONSE_CLOSE);
    testing::internal::CaptureStdout();
    EXPECT_LT(OpenPort(), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_LT(sp, 0);
    unsetenv("CORVAN_SERIAL");
}

TEST(SerialOpen, AppliesTheLineSettings)
{
    PtyPair pty;
    crc = 99;
    Open(pty);
    EXPECT_EQ(crc, 0);

    termios tio{};
    ASSERT_EQ(tcgetattr(sp, &tio), 0);
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B57600));
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B57600));
    EXPECT_EQ(tio.c_iflag, static_cast<tcflag_t>(IGNPAR));
    EXPECT_EQ(tio.c_oflag, 0u);
    EXPECT_EQ(tio.c_lflag, 0u);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CSTOPB), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_cc[VMIN], 1);
    EXPECT_EQ(tio.c_cc[VTIME], 5);

    int flags = fcntl(sp, F_GETFL);
    EXPECT_TRUE(flags & O_ASYNC);
    EXPECT_FALSE(flags & O_NONBLOCK);
    EXPECT_EQ(fcntl(sp, F_GETOWN), getpid());
}

TEST(SerialOpen, InputNotificationOnlyClearsTheFlag)
{
    PtyPair pty;
    Open(pty);
    processByte = 1;
    pty.Send({0x41});
    for (int i = 0; i < 200 && processByte != 0; ++i)
        usleep(1000);
    EXPECT_EQ(processByte, 0);  // and the process is still alive
    unsigned char c = 0;
    EXPECT_EQ(GetChar(100, &c, 0), 0);
    EXPECT_EQ(c, 0x41);
}

TEST(SerialClosed, EveryOperationReturnsAtOnceWithItsClosedValue)
{
    ClosePort();
    unsigned char c = 0x55;
    int i = 1234;
    float f = 2.5f;
    char buf[8] = {};
    EXPECT_EQ(ClearPort(), 0);
    EXPECT_EQ(ClearBuffer(), 2);
    EXPECT_EQ(WriteBlock("ab", 2), 0);
    EXPECT_LT(WriteData("ab", 2), 0);
    EXPECT_EQ(GetChar(1000, &c, 0), SERIAL_CLOSED);
    EXPECT_EQ(c, 0x55);
    EXPECT_EQ(GetInt(1000, &i), SERIAL_CLOSED);
    EXPECT_EQ(i, 1234);
    EXPECT_EQ(GetFloat(1000, &f), SERIAL_CLOSED);
    EXPECT_EQ(f, 2.5f);
    EXPECT_EQ(ReadBlock(1000, buf, 8), -1);
    EXPECT_EQ(WaitForData(5), -1);
    EXPECT_EQ(DoNothing(5000), -1);
}

TEST(SerialSend, BytesGoOutRawAndUnchanged)
{
    PtyPair pty;
    Open(pty);
    // Line ends and zero bytes must not be translated on the way out.
    const std::string packet("\x01\n\r\x00\xff\x7f", 6);
    EXPECT_EQ(WriteBlock(packet.data(), 6), 6);
    EXPECT_EQ(WriteData(packet.data(), 6), 6);
    EXPECT_EQ(pty.Receive(12), packet + packet);
}

TEST(SerialReceive, LineBytesArriveUntranslated)
{
    PtyPair pty;
    Open(pty);
    pty.Send({'\r', '\n', 0x03, 0x11, 0x13});  // CR, LF, ^C, XON, XOFF
    unsigned char buf[5] = {};
    ASSERT_EQ(ReadBlock(500, buf, 5), 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 5), std::string("\r\n\x03\x11\x13"));
}

TEST(SerialReceive, ClearPortAndClearBufferDiscardWhatIsWaiting)
{
    PtyPair pty;
    Open(pty);
    EXPECT_EQ(ClearPort(), 0);
    pty.Send(std::string(300, 'x'));
    EXPECT_EQ(ClearPort(), 300);
    EXPECT_EQ(PtyPair::WaitingForProgram(), 0);
    pty.Send({1, 2, 3});
    EXPECT_EQ(ClearBuffer(), 3);
    EXPECT_EQ(ClearBuffer(), 0);
}

TEST(SerialGetChar, FramingCases)
{
    PtyPair pty;
    Open(pty);
    unsigned char c = 0xEE;

    // A zero with another byte behind it: both consumed, framing error reported.
    pty.Send({0x00, 0x05});
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetChar(500, &c, 0), SERIAL_FRAMING);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Buffer[0] == 0x00. Next Byte: 0x05\n");
    EXPECT_EQ(PtyPair::WaitingForProgram(), 0);

    // A lone zero is a real zero.
    pty.Send({0x00});
    c = 0xEE;
    EXPECT_EQ(GetChar(500, &c, 0), SERIAL_OK);
    EXPECT_EQ(c, 0x00);

    // Zero accepted on request: the next byte stays for the next call.
    pty.Send({0x00, 0x05});
    EXPECT_EQ(GetChar(500, &c, 1), SERIAL_OK);
    EXPECT_EQ(c, 0x00);
    EXPECT_EQ(GetChar(500, &c, 0), SERIAL_OK);
    EXPECT_EQ(c, 0x05);

    // A time-out of 0 gives up at once, even with a byte waiting.
    pty.Send({0x07});
    EXPECT_EQ(GetChar(0, &c, 0), SERIAL_TIMEOUT);
    EXPECT_EQ(PtyPair::WaitingForProgram(), 1);

    ClearPort();
    EXPECT_EQ(GetChar(30, &c, 0), SERIAL_TIMEOUT);
}

TEST(SerialGetChar, PicksUpAByteThatArrivesWhileWaiting)
{
    PtyPair pty;
    Open(pty);
    std::thread late([&] {
        usleep(50000);
        pty.SendNoWait({0x42});
    });
    unsigned char c = 0;
    EXPECT_EQ(GetChar(5000, &c, 0), SERIAL_OK);
    EXPECT_EQ(c, 0x42);
    late.join();
}

TEST(SerialGetInt, NeedsAllFourBytesAndReadsLittleEndian)
{
    PtyPair pty;
    Open(pty);
    int value = 77;
    pty.Send({0x01, 0x02, 0x03});
    EXPECT_EQ(GetInt(50, &value), SERIAL_TIMEOUT);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(PtyPair::WaitingForProgram(), 3);  // the three bytes were not consumed
    pty.Send({0x04});
    EXPECT_EQ(GetInt(500, &value), SERIAL_OK);
    EXPECT_EQ(value, 0x04030201);

    pty.SendInt(-123456);
    EXPECT_EQ(GetInt(500, &value), SERIAL_OK);
    EXPECT_EQ(value, -123456);
}

TEST(SerialGetFloat, ReadsLittleEndianAndStoresNothingOnTimeOut)
{
    PtyPair pty;
    Open(pty);
    float f = 9.0f;
    pty.Send({0x00, 0x00});
    EXPECT_EQ(GetFloat(50, &f), SERIAL_TIMEOUT);
    EXPECT_EQ(f, 9.0f);
    ClearPort();
    pty.SendFloat(-3.25f);
    EXPECT_EQ(GetFloat(500, &f), SERIAL_OK);
    EXPECT_EQ(f, -3.25f);
    pty.Send({0x00, 0x00, 0xC0, 0x7F});  // a quiet NaN comes through as NaN
    EXPECT_EQ(GetFloat(500, &f), SERIAL_OK);
    EXPECT_TRUE(std::isnan(f));
}

TEST(SerialReadBlock, TakesOnlyWhatIsAskedAndReportsShortReads)
{
    PtyPair pty;
    Open(pty);
    std::string forty;
    for (int i = 0; i < 40; ++i)
        forty += static_cast<char>(i);
    pty.Send(forty);
    char buf[400] = {};
    EXPECT_EQ(ReadBlock(500, buf, 32), 32);
    EXPECT_EQ(std::string(buf, 32), forty.substr(0, 32));
    EXPECT_EQ(PtyPair::WaitingForProgram(), 8);

    // Only 8 of 16 come: the count so far is returned.
    EXPECT_EQ(ReadBlock(50, buf, 16), 8);
    EXPECT_EQ(std::string(buf, 8), forty.substr(32));
    EXPECT_EQ(ReadBlock(20, buf, 16), 0);

    // More than one chunk's worth.
    std::string big;
    for (int i = 0; i < 300; ++i)
        big += static_cast<char>(i * 7);
    pty.Send(big);
    EXPECT_EQ(ReadBlock(500, buf, 300), 300);
    EXPECT_EQ(std::string(buf, 300), big);
}

TEST(SerialReadBlock, TimeOutRestartsAfterEveryChunk)
{
    PtyPair pty;
    Open(pty);
    // Four pieces 150 ms apart: longer in total than the 400 ms time-out, but no gap is.
    std::thread trickle([&] {
        for (int i = 0; i < 4; ++i) {
            usleep(150000);
            pty.SendNoWait(std::string(5, static_cast<char>('a' + i)));
        }
    });
    char buf[20] = {};
    EXPECT_EQ(ReadBlock(400, buf, 20), 20);
    EXPECT_EQ(std::string(buf, 20), "aaaaabbbbbcccccddddd");
    trickle.join();
}

TEST(SerialWaitForData, ReturnsAtOnceWithInputElseAtTheNextWholeSecond)
{
    PtyPair pty;
    Open(pty);
    pty.Send({0x01});
    EXPECT_EQ(WaitForData(5), 0);
    ClearPort();

    // The deadline is a whole second of the wall clock, not a span of 1000 ms.
    time_t before = WallSeconds();
    EXPECT_EQ(WaitForData(1), -2);
    time_t after = WallSeconds();
    EXPECT_EQ(after, before + 1);
}

TEST(SerialDoNothing, WaitsOnlyWithAnOpenPort)
{
    PtyPair pty;
    Open(pty);
    EXPECT_EQ(DoNothing(20), 0);
    EXPECT_EQ(DoNothing(0), 0);
    ClosePort();
    EXPECT_EQ(DoNothing(20), -1);
}

TEST(PtyPeer, AnswersRequestsOnItsOwnThread)
{
    PtyPair pty;
    Open(pty);
    // A peer that answers every byte 'q' with the int 42.
    pty.Answer([](std::string& pending) {
        std::string reply;
        for (char c : pending)
            if (c == 'q')
                reply += LittleEndianBytes(int32_t{42});
        pending.clear();
        return reply;
    });
    int value = 0;
    WriteBlock("q", 1);
    EXPECT_EQ(GetInt(2000, &value), SERIAL_OK);
    EXPECT_EQ(value, 42);
    pty.StopAnswering();
}
