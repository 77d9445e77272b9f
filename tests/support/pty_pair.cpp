#include "support/pty_pair.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "machine/serial.h"

namespace {

int64_t Now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Waits up to `ms` for the master to become readable. While the program's end is closed the
// master reports a hang-up at once, so then we nap instead of spinning.
bool Readable(int fd, int ms)
{
    const int64_t end = Now_ms() + ms;
    for (;;) {
        int64_t left = end - Now_ms();
        pollfd p{fd, POLLIN, 0};
        int r = poll(&p, 1, static_cast<int>(std::max<int64_t>(left, 0)));
        if (r > 0 && (p.revents & POLLIN))
            return true;
        if (left <= 0)
            return false;
        if (r > 0)
            usleep(1000);
    }
}

}  // namespace

std::string LittleEndianBytes(int32_t value)
{
    uint32_t u = static_cast<uint32_t>(value);
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
    return s;
}

std::string LittleEndianBytes(float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return LittleEndianBytes(bits);
}

PtyPair::PtyPair()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        ADD_FAILURE() << "cannot open a pseudo-terminal: " << std::strerror(errno);
        return;
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        ADD_FAILURE() << "ptsname_r failed";
        return;
    }
    slavePath_ = name;
    if (const char* s = std::getenv("CORVAN_SERIAL")) {
        hadSerial_ = true;
        oldSerial_ = s;
    }
    setenv("CORVAN_SERIAL", slavePath_.c_str(), 1);
}

PtyPair::~PtyPair()
{
    StopAnswering();
    ClosePort();
    if (master_ >= 0)
        close(master_);
    if (hadSerial_)
        setenv("CORVAN_SERIAL", oldSerial_.c_str(), 1);
    else
        unsetenv("CORVAN_SERIAL");
}

int PtyPair::WaitingForProgram()
{
    int n = 0;
    if (sp < 0 || ioctl(sp, FIONREAD, &n) < 0)
        return 0;
    return n;
}

void PtyPair::WaitUntilProgramHas(int count)
{
    const int64_t end = Now_ms() + 2000;
    while (WaitingForProgram() < count && Now_ms() < end)
        usleep(200);
}

void PtyPair::Send(const std::string& bytes)
{
    int before = WaitingForProgram();
    SendNoWait(bytes);
    if (sp >= 0)
        WaitUntilProgramHas(before + static_cast<int>(bytes.size()));
}

void PtyPair::SendNoWait(std::initializer_list<uint8_t> bytes)
{
    SendNoWait(std::string(bytes.begin(), bytes.end()));
}

void PtyPair::SendNoWait(const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t r = write(master_, bytes.data() + done, bytes.size() - done);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            ADD_FAILURE() << "write to the pseudo-terminal failed: " << std::strerror(errno);
            return;
        }
        done += static_cast<size_t>(r);
    }
}

void PtyPair::Send(std::initializer_list<uint8_t> bytes)
{
    Send(std::string(bytes.begin(), bytes.end()));
}

void PtyPair::SendInt(int32_t value) { Send(LittleEndianBytes(value)); }
void PtyPair::SendFloat(float value) { Send(LittleEndianBytes(value)); }

std::string PtyPair::Receive(size_t count, int timeout_ms)
{
    std::string got;
    const int64_t end = Now_ms() + timeout_ms;
    while (got.size() < count) {
        int64_t left = end - Now_ms();
        if (left <= 0 || !Readable(master_, static_cast<int>(left)))
            break;
        char buf[256];
        size_t want = std::min(sizeof buf, count - got.size());
        ssize_t r = read(master_, buf, want);
        if (r <= 0)
            break;
        got.append(buf, static_cast<size_t>(r));
    }
    return got;
}

std::string PtyPair::ReceiveAll(int quiet_ms)
{
    std::string got;
    char buf[256];
    while (Readable(master_, quiet_ms)) {
        ssize_t r = read(master_, buf, sizeof buf);
        if (r <= 0)
            break;
        got.append(buf, static_cast<size_t>(r));
    }
    return got;
}

void PtyPair::Answer(std::function<std::string(std::string& pending)> handler)
{
    StopAnswering();
    stop_ = false;
    peer_ = std::thread([this, handler = std::move(handler)] {
        std::string pending;
        char buf[256];
        while (!stop_) {
            if (!Readable(master_, 20))
                continue;
            ssize_t r = read(master_, buf, sizeof buf);
            if (r <= 0) {
                usleep(1000);  // the program's end is closed; wait for it to reopen or for stop
                continue;
            }
            pending.append(buf, static_cast<size_t>(r));
            std::string reply = handler(pending);
            size_t done = 0;
            while (done < reply.size()) {
                ssize_t w = write(master_, reply.data() + done, reply.size() - done);
                if (w <= 0)
                    break;
                done += static_cast<size_t>(w);
            }
        }
    });
}

void PtyPair::StopAnswering()
{
    stop_ = true;
    if (peer_.joinable())
        peer_.join();
}
