#include "support/scripted_peer.h"

#include <unistd.h>

ScriptedPeer::ScriptedPeer(PtyPair& pty, std::vector<PeerStep> steps)
    : pty_(pty), steps_(std::move(steps))
{
    pty_.Answer([this](std::string& pending) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string reply;
        while (next_ < steps_.size() && pending.size() >= steps_[next_].take) {
            received_ += pending.substr(0, steps_[next_].take);
            pending.erase(0, steps_[next_].take);
            reply += steps_[next_].reply;
            ++next_;
        }
        if (next_ == steps_.size()) {
            received_ += pending;
            pending.clear();
        }
        return reply;
    });
}

ScriptedPeer::~ScriptedPeer() { pty_.StopAnswering(); }

std::string ScriptedPeer::Received(int settle_ms)
{
    std::string last;
    for (;;) {
        usleep(static_cast<useconds_t>(settle_ms) * 1000);
        std::lock_guard<std::mutex> lock(mutex_);
        if (received_ == last)
            return received_;
        last = received_;
    }
}

size_t ScriptedPeer::StepsDone()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return next_;
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v & 0xFF));
    return s;
}
