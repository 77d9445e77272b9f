#pragma once
// The one serial line to the motion controller MC1. Raw bytes, little-endian multi-byte values.
// Every function first checks that the port is open and otherwise returns its port-closed
// value at once, so the program runs without a machine.

extern int sp;              // descriptor of the open port, -1 when closed
extern int spNumber;        // which device to open: 1, 2 or other (0)
extern int processByte;     // cleared by the SIGIO handler; nothing else reads it
extern int crc;             // last move checksum sent
extern int sendMoveActive;  // 1 while a move packet and its reply are in flight

// Receive results.
enum SerialResult { SERIAL_OK = 0, SERIAL_TIMEOUT = -1, SERIAL_CLOSED = -2, SERIAL_FRAMING = -3 };

// The device path for the current spNumber, or $CORVAN_SERIAL when set.
const char* SerialDevicePath();

int OpenPort();
void ClosePort();  // for tests and tools: closes sp and sets it to -1
int ClearPort();
int ClearBuffer();
int WriteData(const void* data, int len);
int WriteBlock(const void* data, int len);
int GetChar(int timeout_ms, unsigned char* out, int acceptZero);
int GetInt(int timeout_ms, int* out);
int GetFloat(int timeout_ms, float* out);
int ReadBlock(int timeout_ms, void* buffer, int length);
int WaitForData(int timeoutSeconds);

// A reply that did not come in time, came incomplete, or was not what the command expects
// leaves the line out of step: a late or stray byte may still arrive and would be read as
// the answer to the next command. Such reads mark the line; MarkLineOutOfStep does it for
// a reply that arrived but made no sense. SettleLine, called before each command that reads
// a reply, then drains the input until the line has been quiet for a moment (bounded), and
// returns the number of bytes dropped.
void MarkLineOutOfStep();
int SettleLine();

// True when the open port's line has been hung up (the device or cable went away): every
// read then times out and every write fails until the port is opened again.
bool SerialLineHungUp();
int DoNothing(int milliseconds);
