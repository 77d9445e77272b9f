#pragma once
// Building the program's side of the line by hand, byte by byte, for the simulator tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "simulator.h"

namespace simtest {

using Bytes = std::vector<uint8_t>;

inline void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

inline int32_t Get32(const Bytes& b, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(b.at(at + i)) << (8 * i);
    return int32_t(v);
}

inline float GetFloat(const Bytes& b, size_t at) {
    int32_t i = Get32(b, at);
    float f;
    std::memcpy(&f, &i, 4);
    return f;
}

// A command byte followed by a little-endian int32 argument.
inline Bytes WithInt(uint8_t command, int32_t v) {
    Bytes b{command};
    Put32(b, uint32_t(v));
    return b;
}

inline Bytes WithFloat(uint8_t command, float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    Bytes b{command};
    Put32(b, u);
    return b;
}

// The 17-byte move packet for a point in thousandths of an inch and a feed in percent.
inline Bytes MovePacket(double x_thou, double y_thou, double feed_percent) {
    uint32_t x = uint32_t(int32_t(x_thou * 100)), y = uint32_t(int32_t(y_thou * 100));
    uint32_t f = uint32_t(int32_t(feed_percent * 1000));
    Bytes b{33};
    Put32(b, x);
    Put32(b, y);
    Put32(b, f);
    Put32(b, x + y + f);
    return b;
}

// Sends bytes, lets `ms` of simulated time pass, and returns what came back.
inline Bytes Talk(mc1sim::Simulator& sim, const Bytes& bytes, int ms = 0) {
    sim.Receive(bytes);
    sim.Advance(int64_t(ms) * 1000);
    return sim.TakeOutput();
}

inline Bytes Talk(mc1sim::Simulator& sim, std::initializer_list<uint8_t> bytes, int ms = 0) {
    return Talk(sim, Bytes(bytes), ms);
}

inline int Status(mc1sim::Simulator& sim) {
    Bytes r = Talk(sim, {34});
    EXPECT_GE(r.size(), 1u);
    return r.empty() ? -1 : r[0];
}

inline std::pair<int32_t, int32_t> Position(mc1sim::Simulator& sim) {
    Bytes r = Talk(sim, {15});
    EXPECT_EQ(r.size(), 8u);
    if (r.size() != 8) return {INT32_MIN, INT32_MIN};
    return {Get32(r, 0), Get32(r, 4)};
}

// Lets time pass in small steps until the controller reports 253 (or the limit is reached).
inline bool RunToFinish(mc1sim::Simulator& sim, int limit_ms = 600000) {
    for (int t = 0; t < limit_ms; t += 10) {
        if (Status(sim) == 253) return true;
        sim.Advance(10000);
    }
    return false;
}

}  // namespace simtest
