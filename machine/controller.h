#pragma once
// The program's vocabulary towards the motion controller MC1 (and, through it, the machine's
// stitch controller). Each operation writes one command on the serial line — a byte, a byte
// with a 32-bit little-endian argument, or a 17-byte move packet — and reads its reply, if it
// has one, with the polling receive functions of machine/serial.h.
//
// Every operation first checks that the port is open and otherwise returns its port-closed
// value at once without touching the line, so the program runs without a machine. Plain
// commands return 1 when sent and 0 with the port closed. Nothing is retried here; callers
// decide what a failure means.

#include <cstdint>

// Command bytes on the wire.
enum class ControllerCommand : unsigned char {
    SetXKp = 1, SetXKi = 2, SetXKd = 3,
    SetYKp = 4, SetYKi = 5, SetYKd = 6,
    SetMaxErr = 8, SetTOut = 9,
    StitchSettings = 14, GetXY = 15,
    Stop = 19, DisableX = 21, EnableX = 22, DisableY = 23, EnableY = 24,
    Resume = 25, SetHome = 26, StitchOn = 29, StitchOff = 30,
    Move = 33, CheckBuffer = 34,
    Halt = 44, ClearBuffer = 45, SetExtents = 46, ClearExtents = 47,
    HandOver = 48, NeedleUp = 49, EndOfPath = 50, GetErrors = 52,
    SetStitches = 53, SetLockStitch = 54, SetSpeed = 55,
    GetMotorDirection = 56, SetMinimumSpeed = 57,
    GetMotorVersion = 60, GetStitcherVersion = 61, GetStitcher = 62,
    RunStart = 63, StitcherFirmware = 64, ReverseDirection = 65,
    GetSlow = 66, SetSlow = 68, Setup = 70,
    ButtonStitchReg = 72, ButtonNeedleUp = 73, ButtonCommand = 74,
    NeedlePoll = 75,
};

// Buffer status byte (reply to CheckBuffer): 0..99 free places of the 99-move buffer.
enum BufferStatus {
    BUFFER_EMPTY = 99,
    BUFFER_FINISHED = 253,
    BUFFER_ERROR = 254,
    BUFFER_BUSY = 255,
};

// Replies of the move packet.
enum MoveReply { MOVE_ACCEPTED = 11, MOVE_BAD_CHECKSUM = 12 };

// Replies about the needle and the stitch controller.
enum StitcherReply {
    NEEDLE_IS_UP = 250, NEEDLE_NOT_UP = 251,     // after NeedleUp
    STITCHER_READY = 1, STITCHER_NOT_ROBOT = 33, // reply to GetStitcher
    MOTOR_REVERSED = 200,                        // reply to GetMotorDirection
};

// Scratch words through which arguments are split into bytes (kept as named globals because
// other modules have always been able to look at the last argument sent).
extern int lInt;
extern float f;

// Commands with an int32 argument (or a float for SetSlow). 1 sent, 0 port closed.
int SetXKp(int v);
int SetXKi(int v);
int SetXKd(int v);
int SetYKp(int v);
int SetYKi(int v);
int SetYKd(int v);
// Sends the six PID gains held in the settings (XKp ... YKd) to both axes.
void SendPidConstants();
int SetMaxErr(int v);
int SetTOut(int v);
int SetStitches(int v);
int SetLockStitch(int v);
int SetSpeed(int v);
int SetMinimumSpeed(int v);
int SetSlow(float v);

// One-byte commands. 1 sent, 0 port closed.
int SendCommand(unsigned char byte);
// The byte a command goes on the wire as.
constexpr unsigned char Byte(ControllerCommand c) { return static_cast<unsigned char>(c); }
inline int SendCommand(ControllerCommand c) { return SendCommand(Byte(c)); }
int AllStop();  // stop, empty the move buffer, resume: three writes 15 ms apart
int DisableX();
int EnableX();
int DisableY();
int EnableY();
int Resume();
int SetHome();
int Halt();
int ClearMCBuffer();
int SetExtents();
int ClearExtents();

// Machine position in thousandths of an inch. 0 and both stored; otherwise the failing
// GetInt code (-1 time-out, -2 closed) with what was read so far and 0 for the rest.
// With the port closed: 0 and (0, 0).
int GetXY(int* x, int* y);
// The same with each of the two values given `timeout_ms` to arrive instead of a second:
// for a poll that must not hold the screen up while the controller is silent.
int GetXYWithin(int* x, int* y, int timeout_ms);

// The controller's eight constants, in the order XKp, XKi, YKp, YKi, YKd, Err, TOut, XKd.
// 0 all read; 1 time-out (the first shows "COULD NOT RETRIEVE VALUES..."); 2 port closed.
int GetConstants(int out[8]);
// Stores the eight constants, in GetConstants' order, into the settings globals.
void StoreControllerConstants(const int constants[8]);

// Buffer status. 0 status stored; 1 port closed; 2 no status (printed); 4 error status 254
// with the error code in *code (-1 when none could be read).
int CheckBuffer(unsigned char* status, int* code);

// One move: x, y in thousandths of an inch, feed in percent. 0 accepted (or port closed,
// nothing sent), 1 checksum rejected, 2 unexpected reply (input emptied), 3 no reply.
int SendMove(double x, double y, double feed);

// The controller's error bit mask (1 X motor, 2 stitch controller, 4 Y motor). Returns the
// GetInt result (0 ok); *code is 0 on failure. Port closed: 0 with code 0.
int GetErrors(int* code);

// One byte: 200 = encoders reversed. 0 ok; 2 on failure (printed), also with the port closed.
int GetMotorDirection(unsigned char* direction);

// Firmware versions. 0 ok; -1 port closed; -2 nothing came (value untouched); -3 incomplete
// (value 0.0). The stitch controller's version is 0.0 without asking on machine types
// other than 0.
int GetMotorVersion(float* version);
int GetStitcherVersion(float* version);

// The stitch controller: 1 present and in robot mode, 33 handle bars not in robot mode,
// anything else not present. 0 ok; 2 on failure (printed). Machine types other than 0
// answer 1 without asking.
int GetStitcher(unsigned char* answer);

// Asks the stitch controller (62) on any machine type and hands back the raw result of the
// one-byte read: 0 with the byte stored, -1 time-out, -2 port closed (nothing sent), -3
// framing error. Prints nothing; the diagnostics tell the cases apart.
int GetStitcherReply(int timeout_ms, unsigned char* byte);

// The stitch settings the controller keeps (command 14): four unsigned bytes. Polls the
// line `polls` times, `pollMicros` apart, for the reply (start-up's brief look by default;
// the setup screen waits longer); 0 and the four values stored, 1 when the reply did not
// come (nothing stored), 2 port closed.
int GetStitchSettings(int* stitchLength, int* stitchSpeed, int* minimumStitchSpeed,
                      int* lockStitches, int polls = 11, int pollMicros = 2500);

// The needle setting `slow` (command 66): a float, polled for up to 100 x 10 ms. 0 and the
// value stored; 1 when it did not come (value untouched); 2 port closed.
int GetSlow(float* value);
// Reverses the sense of the motor encoders (command 65); the caller waits 100 ms and reads
// the new sense with GetMotorDirection. 1 sent, 0 port closed.
int ReverseDirection();
// Announces the setup screen to the controller (command 70, no reply). 1 sent, 0 closed.
int SendSetupByte();

// Number of bytes waiting on the port (0 with the port closed or on error).
int SerialBytesWaiting();

// Milliseconds on a clock that never jumps, for the waits of the command layer: no time-out
// stretches or shrinks when the wall clock is set.
long Monotonic_ms();

// 1 once SetHome has moved the machine's origin and no quilting area has been completed in
// the new frame: every position of the layout now means another place on the quilt, so no
// run may start until the area is captured again. Cleared by the capture that completes it.
extern int homeMovedSinceArea;

// The controller keeps its moved origin when the program restarts, so the mark is kept in a
// file of the working folder too: there while the mark stands, gone once it is cleared.
constexpr char kHomeMovedPath[] = "./home_moved";
// Sets or clears homeMovedSinceArea and its file. A file that cannot be written or removed
// is said on the console; the mark in memory is set all the same.
void SetHomeMoved(bool moved);
// At start-up: the mark stands when its file exists, whatever it holds, and also when the
// file cannot even be looked at (a run offset on the quilt is worse than asking for the area
// once more). Returns the mark.
int LoadHomeMovedMark();
