#pragma once
// Little-endian packing of the line's multi-byte values (32-bit two's-complement integers and
// IEEE-754 single floats), written without relying on the host's byte order.
#include <cstdint>
#include <cstring>
#include <vector>

namespace mc1sim {

using Bytes = std::vector<uint8_t>;

inline int32_t ReadInt32(const uint8_t* p) {
    uint32_t u = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    int32_t v;
    std::memcpy(&v, &u, 4);
    return v;
}

inline float ReadFloat(const uint8_t* p) {
    int32_t i = ReadInt32(p);
    float f;
    std::memcpy(&f, &i, 4);
    return f;
}

inline void AppendInt32(Bytes& out, int32_t v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(u >> (8 * i)));
}

inline void AppendFloat(Bytes& out, float f) {
    int32_t i;
    std::memcpy(&i, &f, 4);
    AppendInt32(out, i);
}

}  // namespace mc1sim
