// The serial line to MC1: opening it, its line settings, and the polling receive functions
// every controller command is built on.
//
// Waiting is done with poll() rather than by spinning on FIONREAD, but the results are the
// same: a receive function returns as soon as enough bytes are waiting, and gives up when its
// time-out has passed. Millisecond time-outs run on the monotonic clock so that a clock change
// on the board can neither cut a wait short nor make it endless; WaitForData keeps its
// whole-second deadline on the wall clock.

#include "machine/serial.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "base/console.h"
#include "base/ui_hooks.h"

int sp = -1;
int spNumber = 1;
int processByte = 0;
int crc = 0;
int sendMoveActive = 0;

namespace {

constexpr int kMaxChunk = 128;  // ReadBlock never reads more than this at once

int64_t Monotonic_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int64_t Wall_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void Sleep_ms(int64_t ms)
{
    if (ms <= 0)
        return;
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>((ms % 1000) * 1000000)};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

void SleepUs(long us)
{
    timespec ts{0, us * 1000};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

// Bytes waiting in the port's input queue.
int Waiting()
{
    int n = 0;
    if (ioctl(sp, FIONREAD, &n) < 0)
        return 0;
    return n;
}

// Sleeps until input arrives or `ms` pass. A hung-up line reports "readable" for ever with
// nothing to read (a pseudo-terminal even sets POLLIN then), so when poll wakes us and no
// byte is waiting we sleep instead of polling again, which would spin.
void WaitForInput(int64_t ms)
{
    if (ms <= 0)
        return;
    pollfd p{sp, POLLIN, 0};
    int r = poll(&p, 1, static_cast<int>(std::min<int64_t>(ms, 1000)));
    if (r > 0 && Waiting() == 0)
        Sleep_ms(std::min<int64_t>(ms, 10));
}

// Waits until at least `wanted` bytes are waiting or the monotonic deadline passes; returns
// the number waiting. While only part of the wanted bytes are there, input is already
// "readable", so it naps briefly instead of polling.
int WaitForBytes(int wanted, int64_t deadline)
{
    for (;;) {
        int n = Waiting();
        if (n >= wanted)
            return n;
        int64_t left = deadline - Monotonic_ms();
        if (left <= 0)
            return n;
        if (n == 0)
            WaitForInput(left);
        else
            SleepUs(100);
    }
}

// Reads exactly `len` bytes that are known to be waiting. Returns false on a read error.
bool ReadWaiting(void* buffer, int len)
{
    auto* p = static_cast<unsigned char*>(buffer);
    int got = 0;
    while (got < len) {
        ssize_t r = read(sp, p + got, static_cast<size_t>(len - got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        got += static_cast<int>(r);
    }
    return true;
}

uint32_t LittleEndian32(const unsigned char b[4])
{
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
           static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

int Discard()
{
    unsigned char scratch[256];
    int discarded = 0;
    int n = Waiting();
    while (n > 0) {
        int chunk = std::min<int>(n, sizeof scratch);
        ssize_t r = read(sp, scratch, static_cast<size_t>(chunk));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        discarded += static_cast<int>(r);
        n -= static_cast<int>(r);
    }
    return discarded;
}

// Input notification only has to keep the process alive; all reading is done by polling.
void SerialInput(int)
{
    processByte = 0;
}

void ReportOpenFailure(int result, const char* device)
{
    ConsolePrintf("Could Not Open Port: %d\n", result);
    UiShowMessage(MSG_ERROR, BUTTONS_CLOSE, std::string("UNABLE TO OPEN SERIAL PORT: ") + device);
}

}  // namespace

const char* SerialDevicePath()
{
    const char* overridden = std::getenv("CORVAN_SERIAL");
    if (overridden != nullptr && *overridden != '\0')
        return overridden;
    if (spNumber == 1)
        return "/dev/ttyUSB0";
    if (spNumber == 2)
        return "/dev/s3c2410_serial2";
    return "/dev/s3c2410_serial1";
}

int OpenPort()
{
    if (spNumber == 2) {
        ConsolePrintf("Open Serial 2\n");
    }
    const std::string device = SerialDevicePath();
    ClosePort();
    crc = 0;

    int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        ReportOpenFailure(fd, device.c_str());
        return fd;
    }

    struct sigaction sa {};
    sa.sa_handler = SerialInput;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;
    sigaction(SIGIO, &sa, nullptr);

    fcntl(fd, F_SETOWN, getpid());
    // Replaces the status flags: the descriptor becomes blocking with input notification.
    fcntl(fd, F_SETFL, O_ASYNC);

    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        // Not a terminal (a plain file named in CORVAN_SERIAL, say): the protocol cannot run
        // over it, so treat it like a port that would not open.
        close(fd);
        ReportOpenFailure(-1, device.c_str());
        return -1;
    }
    cfsetispeed(&tio, B57600);
    cfsetospeed(&tio, B57600);
    tio.c_iflag = IGNPAR;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    tio.c_cflag &= ~(PARENB | PARODD | CSTOPB);
    tio.c_cflag |= CLOCAL | CREAD;
    // The protocol is binary: make sure of 8 data bits whatever the driver defaulted to.
    tio.c_cflag &= ~CSIZE;
    tio.c_cflag |= CS8;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 5;
    tcsetattr(fd, TCSANOW, &tio);

    sp = fd;
    return sp;
}

void ForgetLineState();  // below: a new or closed line has nothing out of step

void ClosePort()
{
    if (sp >= 0)
        close(sp);
    sp = -1;
    ForgetLineState();
}

int ClearPort()
{
    if (sp < 0)
        return 0;
    return Discard();
}

int ClearBuffer()
{
    if (sp < 0)
        return 2;
    return Discard();
}

int WriteData(const void* data, int len)
{
    if (sp < 0 || len < 0)
        return -1;
    ssize_t r;
    do {
        r = write(sp, data, static_cast<size_t>(len));
    } while (r < 0 && errno == EINTR);
    return static_cast<int>(r);
}

int WriteBlock(const void* data, int len)
{
    if (sp < 0 || len <= 0)
        return 0;
    const auto* p = static_cast<const unsigned char*>(data);
    int done = 0;
    while (done < len) {
        ssize_t r = write(sp, p + done, static_cast<size_t>(len - done));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        done += static_cast<int>(r);
    }
    return len;
}

namespace {
bool outOfStep = false;
// Replies follow their command within a few milliseconds; this long without a byte means
// nothing late is still on its way.
constexpr int kQuiet_ms = 60;
// A line that keeps sending is given up on after this long: the next read will tell.
constexpr int kSettleLimit_ms = 1000;
}  // namespace

void MarkLineOutOfStep() { outOfStep = true; }

void ForgetLineState() { outOfStep = false; }

bool SerialLineHungUp()
{
    if (sp < 0)
        return false;
    pollfd p{sp, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int SettleLine()
{
    if (sp < 0 || !outOfStep)
        return 0;
    outOfStep = false;
    const int64_t limit = Monotonic_ms() + kSettleLimit_ms;
    int dropped = Discard();
    for (;;) {
        const int64_t quietUntil = std::min<int64_t>(Monotonic_ms() + kQuiet_ms, limit);
        if (WaitForBytes(1, quietUntil) < 1 || Monotonic_ms() >= limit)
            break;
        dropped += Discard();
    }
    if (dropped > 0) {
        ConsolePrintf("%d stale bytes cleared from the line\n", dropped);
    }
    return dropped;
}

int GetChar(int timeout_ms, unsigned char* out, int acceptZero)
{
    if (sp < 0)
        return SERIAL_CLOSED;
    if (timeout_ms <= 0)
        return SERIAL_TIMEOUT;
    if (WaitForBytes(1, Monotonic_ms() + timeout_ms) < 1) {
        outOfStep = true;
        return SERIAL_TIMEOUT;
    }
    unsigned char byte = 0;
    if (!ReadWaiting(&byte, 1)) {
        outOfStep = true;
        return SERIAL_TIMEOUT;
    }
    *out = byte;
    if (byte != 0 || acceptZero != 0 || Waiting() == 0)
        return SERIAL_OK;
    // A zero with more bytes behind it means we are out of step with the controller.
    unsigned char next = 0;
    ReadWaiting(&next, 1);
    ConsolePrintf("Buffer[0] == 0x00. Next Byte: 0x%2.2X\n", next);
    outOfStep = true;
    return SERIAL_FRAMING;
}

int GetInt(int timeout_ms, int* out)
{
    if (sp < 0)
        return SERIAL_CLOSED;
    unsigned char b[4];
    if (WaitForBytes(4, Monotonic_ms() + timeout_ms) < 4 || !ReadWaiting(b, 4)) {
        *out = 0;
        outOfStep = true;
        return SERIAL_TIMEOUT;
    }
    *out = static_cast<int32_t>(LittleEndian32(b));
    return SERIAL_OK;
}

int GetFloat(int timeout_ms, float* out)
{
    if (sp < 0)
        return SERIAL_CLOSED;
    unsigned char b[4];
    if (WaitForBytes(4, Monotonic_ms() + timeout_ms) < 4 || !ReadWaiting(b, 4)) {
        outOfStep = true;
        return SERIAL_TIMEOUT;
    }
    uint32_t bits = LittleEndian32(b);
    std::memcpy(out, &bits, sizeof bits);
    return SERIAL_OK;
}

int ReadBlock(int timeout_ms, void* buffer, int length)
{
    if (sp < 0)
        return -1;
    auto* p = static_cast<unsigned char*>(buffer);
    int got = 0;
    while (got < length) {
        int n = WaitForBytes(1, Monotonic_ms() + timeout_ms);
        if (n < 1)
            return got;
        int chunk = std::min({n, kMaxChunk, length - got});
        if (!ReadWaiting(p + got, chunk))
            return got;
        got += chunk;
    }
    return std::max(length, 0);
}

int WaitForData(int timeoutSeconds)
{
    if (sp < 0)
        return -1;
    const int64_t deadline_ms = (Wall_ms() / 1000 + timeoutSeconds) * 1000;
    for (;;) {
        if (Waiting() > 0)
            return 0;
        int64_t left = deadline_ms - Wall_ms();
        if (left <= 0)
            return -2;
        WaitForInput(left);
    }
}

int DoNothing(int milliseconds)
{
    if (sp < 0)
        return -1;
    const int64_t end = Monotonic_ms() + milliseconds;
    for (int64_t left = end - Monotonic_ms(); left > 0; left = end - Monotonic_ms())
        Sleep_ms(std::min<int64_t>(left, 10));
    return 0;
}
