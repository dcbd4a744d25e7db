#pragma once
// Decoding of the server's messages after the handshake: FramebufferUpdate (Raw, CopyRect,
// RRE) into an RfbFramebuffer, and the messages the client consumes without using them.
//
// Every number from the server is treated as hostile: sizes are computed in 64 bits, each
// rectangle's work is clipped to the framebuffer, and each encoding has a fixed work limit, so no
// message can make the decoder write out of bounds or allocate or loop without bound.

#include <cstdint>
#include <vector>

#include "rfb/framebuffer.hpp"
#include "rfb/pixel_format.hpp"
#include "rfb/rfb_stream.hpp"

namespace remote::rfb {

inline constexpr std::uint64_t kMaxRawRectangleBytes = 64ull * 1024 * 1024;
inline constexpr std::uint64_t kMaxPixelWork = 16'777'216;
inline constexpr std::uint32_t kMaxRreSubrectangles = 1'000'000;

enum class ServerMessage : std::uint8_t {
    FramebufferUpdate = 0,
    SetColourMapEntries = 1,
    Bell = 2,
    ServerCutText = 3,
};

// Buffers reused from one message to the next, so a session does not allocate per update.
struct DecodeScratch {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> subrects;
};

// Reads the rest of a FramebufferUpdate (after its type byte) and applies it. On success the
// generation has advanced by one. On failure the rectangles before the failing one stay applied
// and the generation is unchanged.
RfbStatus read_framebuffer_update(RfbStream& in, RfbFramebuffer& fb, const RfbPixelFormat& format,
                                  DecodeScratch& scratch);

// Reads the rest of the server message of the given type. Returns the type handled; unknown
// types fail with "unknown server message {n}".
RfbResult<ServerMessage> read_server_message(std::uint8_t type, RfbStream& in, RfbFramebuffer& fb,
                                             const RfbPixelFormat& format, DecodeScratch& scratch);

}  // namespace remote::rfb
