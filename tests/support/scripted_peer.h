#pragma once
// A controller that follows a script, for tests that need exact replies the simulator will
// not give (framing errors, odd reply bytes, silence at a chosen moment).
//
// Each step takes a number of bytes from what the program sent and answers them with fixed
// bytes. When the script is used up, everything else is taken without an answer. All that
// was taken is kept, in order, for the test to compare with the expected bytes.
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "support/pty_pair.h"

struct PeerStep {
    size_t take;        // bytes of the program's to consume before answering
    std::string reply;  // bytes to answer with (may be empty: a silent step)
};

class ScriptedPeer {
public:
    ScriptedPeer(PtyPair& pty, std::vector<PeerStep> steps);
    ~ScriptedPeer();
    // Everything received so far; waits up to `settle_ms` for the line to be quiet first.
    std::string Received(int settle_ms = 50);
    // Number of steps answered so far.
    size_t StepsDone();

private:
    PtyPair& pty_;
    std::mutex mutex_;
    std::vector<PeerStep> steps_;
    size_t next_ = 0;
    std::string received_;
};

// Bytes from a list of values, for readable expectations: Bytes({34, 60}).
std::string Bytes(std::initializer_list<int> values);
