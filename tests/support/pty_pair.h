#pragma once
// A pseudo-terminal standing in for the controller's end of the serial line.
//
// The constructor opens a master/slave pair and points $CORVAN_SERIAL at the slave, so the
// next OpenPort() opens it. The test plays the controller on the master: it writes the bytes
// the controller would send and reads what the program sent. The destructor closes the
// program's port (ClosePort) and the master, and restores $CORVAN_SERIAL.
//
// Bytes written on the master reach the program's input queue a moment later (the kernel
// hands them over asynchronously), so Send() waits until the program can see them.
//
// For request/reply exchanges a test can run an automatic peer on a thread of its own:
// Answer(handler) calls handler(pending) whenever new bytes arrive from the program; the
// handler erases from `pending` what it has consumed and returns the bytes to send back.
#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Writes raw bytes towards the program. When the program's port is open, waits (up to
    // two seconds) until they are all waiting in its input queue.
    void Send(const std::string& bytes);
    void Send(std::initializer_list<uint8_t> bytes);
    // Writes without waiting: for a thread that feeds the line while the program reads it.
    void SendNoWait(const std::string& bytes);
    void SendNoWait(std::initializer_list<uint8_t> bytes);
    // Little-endian helpers for the line's 32-bit values.
    void SendInt(int32_t value);
    void SendFloat(float value);

    // Reads exactly `count` bytes the program sent, waiting up to `timeout_ms` in total;
    // returns fewer when they do not come.
    std::string Receive(size_t count, int timeout_ms = 1000);
    // Reads everything the program sends until the line has been quiet for `quiet_ms`.
    std::string ReceiveAll(int quiet_ms = 50);

    // Number of bytes waiting in the program's input queue (0 when its port is closed).
    static int WaitingForProgram();

    // Starts the automatic peer (see above). Only one; stopped by StopAnswering or the
    // destructor. While it runs, don't call Receive/ReceiveAll.
    void Answer(std::function<std::string(std::string& pending)> handler);
    void StopAnswering();

private:
    void WaitUntilProgramHas(int count);

    int master_ = -1;
    std::string slavePath_;
    std::string oldSerial_;
    bool hadSerial_ = false;
    std::thread peer_;
    std::atomic<bool> stop_{false};
};

// Little-endian bytes of a 32-bit value, as they go over the line.
std::string LittleEndianBytes(int32_t value);
std::string LittleEndianBytes(float value);
