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
int GetChar(int timeoutMs, unsigned char* out, int acceptZero);
int GetInt(int timeoutMs, int* out);
int GetFloat(int timeoutMs, float* out);
int ReadBlock(int timeoutMs, void* buffer, int length);
int WaitForData(int timeoutSeconds);
int DoNothing(int milliseconds);
