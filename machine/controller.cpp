#include "machine/controller.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "base/atomic_file.h"
#include "base/console.h"
#include "base/settings.h"
#include "base/ui_hooks.h"
#include "machine/serial.h"
#include "machine/stitch_control.h"

int lInt = 0;
float f = 0.0f;

namespace {

// Everything the program says on the console is flushed at once, so that a technician
// watching the line sees it in step with the machine.
bool PortClosed() { return sp < 0; }

int Send(const void* bytes, int length)
{
    if (PortClosed())
        return 0;
    return WriteBlock(bytes, length) == length ? 1 : 0;
}

void PutLittleEndian(unsigned char* out, uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(word >> (8 * i));
}

int SendWithInt(ControllerCommand command, int v)
{
    if (PortClosed())
        return 0;
    lInt = v;
    unsigned char packet[5] = {Byte(command)};
    PutLittleEndian(packet + 1, static_cast<uint32_t>(lInt));
    return Send(packet, sizeof packet);
}

// Pauses the controller protocol asks for between commands. The port is open whenever
// they are reached, so DoNothing's port guard never cuts them short.
void Pause_ms(int ms) { DoNothing(ms); }

// Waits until at least one byte is waiting, for a full `timeout_ms`. 0 data waiting,
// -2 time-out. (A deadline in whole seconds of the clock could end a one-second wait after
// a few microseconds, and a prompt reply would then be taken for a silent controller.)
int WaitForReply_ms(int timeout_ms)
{
    const long deadline = Monotonic_ms() + timeout_ms;
    for (;;) {
        if (SerialBytesWaiting() > 0)
            return 0;
        if (Monotonic_ms() >= deadline)
            return -2;
        usleep(100);
    }
}

// Prints the usual text for a failed one-byte reply; `timedOut` names the operation.
void ReportReplyFailure(int result, const char* timedOut)
{
    if (result == SERIAL_FRAMING)
        ConsoleWrite("ERROR: Framing Error Detected\n");
    else if (result == SERIAL_CLOSED)
        ConsoleWrite("ERROR: Serial Port Not Enabled\n");
    else {
        ConsoleWrite(timedOut);
        ConsoleWrite("\n");
    }
}

// One command byte and one reply byte, with the reporting shared by the queries that
// answer a single byte. 0 ok, 2 failure.
int QueryByte(ControllerCommand command, int timeout_ms, unsigned char* out, const char* timedOut)
{
    if (PortClosed()) {
        ReportReplyFailure(SERIAL_CLOSED, timedOut);
        return 2;
    }
    SettleLine();
    SendCommand(command);
    unsigned char byte = 0;
    int r = GetChar(timeout_ms, &byte, 0);
    if (r != SERIAL_OK) {
        ReportReplyFailure(r, timedOut);
        return 2;
    }
    *out = byte;
    return 0;
}

// A version reply: a float that must begin within a second.
int QueryVersion(ControllerCommand command, float* version)
{
    if (PortClosed())
        return -1;
    SettleLine();
    ClearBuffer();
    SendCommand(command);
    if (WaitForReply_ms(1000) != 0)
        return -2;
    float v = 0.0f;
    if (GetFloat(1000, &v) != SERIAL_OK) {
        *version = 0.0f;
        return -3;
    }
    if (!std::isfinite(v) || std::fabs(v) >= 1.0e6f) {
        // Not a version at all (a garbled reply): refused before anyone compares or casts it.
        ConsolePrintf("ERROR: version reply is not a number\n");
        MarkLineOutOfStep();
        *version = 0.0f;
        return -3;
    }
    *version = v;
    return 0;
}

// Converts a scaled coordinate to the wire's int32, truncating toward zero. Values the
// controller cannot represent saturate (and not-a-number becomes 0) instead of invoking
// an undefined conversion.
int32_t ToWireInt(double scaled)
{
    if (std::isnan(scaled))
        return 0;
    if (scaled >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (scaled <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(scaled);
}

}  // namespace

long Monotonic_ms()
{
    using namespace std::chrono;
    return static_cast<long>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int SerialBytesWaiting()
{
    if (PortClosed())
        return 0;
    int waiting = 0;
    if (ioctl(sp, FIONREAD, &waiting) < 0)
        return 0;
    return waiting;
}

int SetXKp(int v) { return SendWithInt(ControllerCommand::SetXKp, v); }
int SetXKi(int v) { return SendWithInt(ControllerCommand::SetXKi, v); }
int SetXKd(int v) { return SendWithInt(ControllerCommand::SetXKd, v); }
int SetYKp(int v) { return SendWithInt(ControllerCommand::SetYKp, v); }
int SetYKi(int v) { return SendWithInt(ControllerCommand::SetYKi, v); }
int SetYKd(int v) { return SendWithInt(ControllerCommand::SetYKd, v); }
int SetMaxErr(int v) { return SendWithInt(ControllerCommand::SetMaxErr, v); }
int SetTOut(int v) { return SendWithInt(ControllerCommand::SetTOut, v); }
int SetStitches(int v) { return SendWithInt(ControllerCommand::SetStitches, v); }

void SendPidConstants()
{
    SetXKp(XKp);
    SetYKp(YKp);
    SetXKi(XKi);
    SetYKi(YKi);
    SetXKd(XKd);
    SetYKd(YKd);
}
int SetLockStitch(int v) { return SendWithInt(ControllerCommand::SetLockStitch, v); }
int SetSpeed(int v) { return SendWithInt(ControllerCommand::SetSpeed, v); }
int SetMinimumSpeed(int v) { return SendWithInt(ControllerCommand::SetMinimumSpeed, v); }

int SetSlow(float v)
{
    if (PortClosed())
        return 0;
    f = v;
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    unsigned char packet[5] = {Byte(ControllerCommand::SetSlow)};
    PutLittleEndian(packet + 1, bits);
    return Send(packet, sizeof packet);
}

int SendCommand(unsigned char byte) { return Send(&byte, 1); }

int AllStop()
{
    if (PortClosed())
        return 0;
    SendCommand(ControllerCommand::Stop);
    Pause_ms(15);
    SendCommand(ControllerCommand::ClearBuffer);
    Pause_ms(15);
    SendCommand(ControllerCommand::Resume);
    return 1;
}

int DisableX() { return SendCommand(ControllerCommand::DisableX); }
int EnableX() { return SendCommand(ControllerCommand::EnableX); }
int DisableY() { return SendCommand(ControllerCommand::DisableY); }
int EnableY() { return SendCommand(ControllerCommand::EnableY); }
int Resume() { return SendCommand(ControllerCommand::Resume); }
int homeMovedSinceArea = 0;

void SetHomeMoved(bool moved)
{
    homeMovedSinceArea = moved ? 1 : 0;
    int error = 0;
    if (moved) {
        auto fill = [](std::FILE* out) { return std::fputs("1\n", out) >= 0; };
        if (!WriteFileAtomically(kHomeMovedPath, fill, &error)) {
            std::string line = std::string("Cannot keep the moved home in ") + kHomeMovedPath + ": " +
                               std::strerror(error) + "\n";
            ConsoleWrite(line);
        }
    } else if (std::remove(kHomeMovedPath) != 0 && errno != ENOENT) {
        error = errno;
        std::string line = std::string("Cannot remove ") + kHomeMovedPath + ": " + std::strerror(error) + "\n";
        ConsoleWrite(line);
    }
}

int LoadHomeMovedMark()
{
    struct stat st;
    const bool absent = stat(kHomeMovedPath, &st) != 0 && errno == ENOENT;
    homeMovedSinceArea = absent ? 0 : 1;
    if (homeMovedSinceArea)
        ConsoleWrite("The machine's home moved before the last exit: the quilting area must be set again\n");
    return homeMovedSinceArea;
}

int SetHome()
{
    const int sent = SendCommand(ControllerCommand::SetHome);
    if (sent)
        SetHomeMoved(true);
    return sent;
}
int Halt() { return SendCommand(ControllerCommand::Halt); }
int ClearMCBuffer() { return SendCommand(ControllerCommand::ClearBuffer); }
int SetExtents() { return SendCommand(ControllerCommand::SetExtents); }
int ClearExtents() { return SendCommand(ControllerCommand::ClearExtents); }

int GetXY(int* x, int* y) { return GetXYWithin(x, y, 1000); }

int GetXYWithin(int* x, int* y, int timeout_ms)
{
    *x = 0;
    *y = 0;
    if (PortClosed())
        return 0;
    SettleLine();
    ClearPort();
    SendCommand(ControllerCommand::GetXY);
    int r = GetInt(timeout_ms, x);
    if (r != SERIAL_OK) {
        *x = 0;
        return r;
    }
    Pause_ms(40);
    r = GetInt(timeout_ms, y);
    if (r != SERIAL_OK)
        *y = 0;
    return r;
}

int GetConstants(int out[8])
{
    if (PortClosed())
        return 2;
    ClearBuffer();
    static const unsigned char queries[8] = {11, 12, 36, 37, 38, 39, 40, 41};
    Send(queries, sizeof queries);
    if (WaitForData(5) != 0) {
        UiShowMessage(MSG_ERROR, BUTTONS_OK, "COULD NOT RETRIEVE VALUES.\nCOMMUNICATIONS TIMED OUT.");
        ClearBuffer();
        return 1;
    }
    for (int i = 0; i < 8; ++i) {
        if (GetInt(1000, &out[i]) != SERIAL_OK)
            return 1;
    }
    return 0;
}

void StoreControllerConstants(const int constants[8])
{
    // The order in which the controller answers its constant queries.
    XKp = constants[0];
    XKi = constants[1];
    YKp = constants[2];
    YKi = constants[3];
    YKd = constants[4];
    Err = constants[5];
    TOut = constants[6];
    XKd = constants[7];
}

int GetErrors(int* code)
{
    *code = 0;
    if (PortClosed())
        return 0;
    SettleLine();
    ClearPort();
    SendCommand(ControllerCommand::GetErrors);
    int r = GetInt(1000, code);
    Pause_ms(40);
    if (r != SERIAL_OK)
        *code = 0;
    return r;
}

int CheckBuffer(unsigned char* status, int* code)
{
    if (PortClosed())
        return 1;
    // A late or stray byte read as the status would be taken for free places.
    SettleLine();
    SendCommand(ControllerCommand::CheckBuffer);
    unsigned char byte = 0;
    int r = GetChar(1000, &byte, 0);
    if (r != SERIAL_OK) {
        if (r == SERIAL_FRAMING)
            ConsoleWrite("ERROR: Framing Error Detected While Getting Buffer Length\n");
        else if (r == SERIAL_CLOSED)
            ConsoleWrite("ERROR: Serial Port Not Enabled\n");
        else if (r == SERIAL_TIMEOUT)
            ConsoleWrite("ERROR: Get Buffer Length Timed Out\n");
        else
            ConsoleWrite("ERROR: Could not retrieve buffer length\n");
        return 2;
    }
    *status = byte;
    if (byte > BUFFER_EMPTY && byte < BUFFER_FINISHED)
        MarkLineOutOfStep();  // no status has this value: something else was read
    if (byte != BUFFER_ERROR)
        return 0;

    int errorCode = 0;
    if (GetInt(1000, &errorCode) != SERIAL_OK)
        errorCode = -1;
    Pause_ms(40);
    // Firmware before 1.27 sends a stale code after the status; ask for it separately.
    // A controller that does not tell its version is taken to be new enough.
    float version = 1.27f;
    GetMotorVersion(&version);
    // A version far outside any firmware's cannot be cast to an int: taken as new enough.
    if (!(std::fabs(version) < 1.0e6f))
        version = 1.27f;
    if (static_cast<int>((version + 0.005) * 1000) <= 1269) {
        ConsoleWrite("Get Errors\n");
        int fresh = 0;
        // A code that could not be fetched is "unable to retrieve", never "cleared".
        errorCode = GetErrors(&fresh) == SERIAL_OK ? fresh : -1;
    }
    *code = errorCode;
    return 4;
}

int SendMove(double x, double y, double feed)
{
    if (PortClosed())
        return 0;
    const int32_t X = ToWireInt(x * 100.0);
    const int32_t Y = ToWireInt(y * 100.0);
    const int32_t F = ToWireInt(feed * 1000.0);
    const uint32_t sum = static_cast<uint32_t>(X) + static_cast<uint32_t>(Y) + static_cast<uint32_t>(F);
    crc = static_cast<int32_t>(sum);

    unsigned char packet[17] = {Byte(ControllerCommand::Move)};
    PutLittleEndian(packet + 1, static_cast<uint32_t>(X));
    PutLittleEndian(packet + 5, static_cast<uint32_t>(Y));
    PutLittleEndian(packet + 9, static_cast<uint32_t>(F));
    PutLittleEndian(packet + 13, sum);

    // A late acknowledgement still queued would be taken for this packet's, and the move
    // sent again on top of it.
    SettleLine();
    sendMoveActive = 1;
    Send(packet, sizeof packet);
    unsigned char reply = 0;
    int r = GetChar(1000, &reply, 0);
    int result;
    if (r != SERIAL_OK) {
        ConsoleWrite("ERROR: Could not retrieve CRC Response\n");
        result = 3;
    } else if (reply == MOVE_ACCEPTED) {
        result = 0;
    } else if (reply == MOVE_BAD_CHECKSUM) {
        result = 1;
    } else {
        ConsolePrintf("ERROR: CRC Response = %d\n", reply);
        // The real acknowledgement may still be on its way: the line is drained before the
        // next command, not now.
        MarkLineOutOfStep();
        result = 2;
    }
    sendMoveActive = 0;
    return result;
}

int GetMotorDirection(unsigned char* direction)
{
    return QueryByte(ControllerCommand::GetMotorDirection, 1000, direction,
                     "ERROR: Get Motor Direction Timed Out");
}

int GetMotorVersion(float* version) { return QueryVersion(ControllerCommand::GetMotorVersion, version); }

int GetStitcherVersion(float* version)
{
    if (PortClosed())
        return -1;
    if (needleUpMethod != MACHINE_TYPE_SERIAL) {
        *version = 0.0f;
        return 0;
    }
    return QueryVersion(ControllerCommand::GetStitcherVersion, version);
}

int GetStitcher(unsigned char* answer)
{
    if (PortClosed()) {
        ReportReplyFailure(SERIAL_CLOSED, "");
        return 2;
    }
    if (needleUpMethod != MACHINE_TYPE_SERIAL) {
        *answer = STITCHER_READY;
        return 0;
    }
    unsigned char byte = 0;
    int r = GetStitcherReply(3000, &byte);
    if (r != SERIAL_OK) {
        ReportReplyFailure(r, "ERROR: Get Stitcher Timed Out");
        return 2;
    }
    *answer = byte;
    return 0;
}

int GetStitcherReply(int timeout_ms, unsigned char* byte)
{
    if (PortClosed())
        return SERIAL_CLOSED;
    SendCommand(ControllerCommand::GetStitcher);
    return GetChar(timeout_ms, byte, 0);
}

int GetStitchSettings(int* stitchLength, int* stitchSpeed, int* minimumStitchSpeed,
                      int* lockStitches, int polls, int pollMicros)
{
    if (PortClosed())
        return 2;
    SettleLine();
    SendCommand(ControllerCommand::StitchSettings);
    bool arrived = false;
    for (int check = 0; check < polls && !arrived; ++check) {
        arrived = SerialBytesWaiting() >= 4;
        if (!arrived)
            usleep(static_cast<useconds_t>(pollMicros > 0 ? pollMicros : 0));
    }
    if (!arrived)
        return 1;
    // These are values, not replies: a zero among them is data, never a framing error.
    unsigned char bytes[4] = {};
    for (unsigned char& b : bytes) {
        if (GetChar(1000, &b, 1) != SERIAL_OK)
            return 1;
    }
    *stitchLength = bytes[0];
    *stitchSpeed = bytes[1];
    *minimumStitchSpeed = bytes[2];
    *lockStitches = bytes[3];
    return 0;
}

int ReverseDirection()
{
    return SendCommand(ControllerCommand::ReverseDirection);
}

int SendSetupByte()
{
    return SendCommand(ControllerCommand::Setup);
}

int GetSlow(float* value)
{
    if (PortClosed())
        return 2;
    SendCommand(ControllerCommand::GetSlow);
    bool arrived = false;
    for (int check = 0; check < 100 && !arrived; ++check) {
        arrived = SerialBytesWaiting() >= 4;
        if (!arrived)
            usleep(10000);
    }
    float v = 0.0f;
    if (!arrived || GetFloat(1000, &v) != SERIAL_OK)
        return 1;
    *value = v;
    return 0;
}
