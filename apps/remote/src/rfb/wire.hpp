#pragma once
// Big-endian integers on the wire, and exact reads of them from an RfbStream.

#include <array>
#include <cstdint>

#include "rfb/rfb_stream.hpp"

namespace remote::rfb {

inline std::uint16_t load_u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t load_u32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

inline void store_u16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}

inline void store_u32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

inline RfbResult<std::uint8_t> read_u8(RfbStream& in) {
    std::array<std::uint8_t, 1> b{};
    if (auto r = in.read_exact(b); !r) {
        return r.error();
    }
    return b[0];
}

inline RfbResult<std::uint16_t> read_u16(RfbStream& in) {
    std::array<std::uint8_t, 2> b{};
    if (auto r = in.read_exact(b); !r) {
        return r.error();
    }
    return load_u16(b.data());
}

inline RfbResult<std::uint32_t> read_u32(RfbStream& in) {
    std::array<std::uint8_t, 4> b{};
    if (auto r = in.read_exact(b); !r) {
        return r.error();
    }
    return load_u32(b.data());
}

// Reads and drops n bytes in bounded pieces, so a huge announced length never becomes a huge
// allocation.
RfbStatus discard_bytes(RfbStream& in, std::uint64_t n);

}  // namespace remote::rfb
