#pragma once
// The client side of the RFB handshake (versions 3.3, 3.7 and 3.8): version negotiation,
// security (None or VNC authentication), ClientInit and ServerInit.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "rfb/client_messages.hpp"
#include "rfb/pixel_format.hpp"
#include "rfb/rfb_stream.hpp"

namespace remote::rfb {

inline constexpr std::uint32_t kMaxDesktopNameBytes = 16'384;
inline constexpr std::uint64_t kMaxFramebufferPixels = 16'777'216;
// Reason strings are shown as a one-line status: only this much of one is kept, the rest is
// read and dropped.
inline constexpr std::uint32_t kMaxReasonBytesKept = 4096;

struct ServerInit {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    RfbPixelFormat server_format;
    std::string name;
};

// Parses the server's 12-byte ProtocolVersion; none when it is malformed.
std::optional<ProtocolVersion> parse_protocol_version(std::span<const std::uint8_t, 12> bytes);

// The version the client answers with: 3.3, 3.7 or 3.8.
ProtocolVersion choose_protocol_version(ProtocolVersion server);

// A reason string: 32-bit length and that many bytes, decoded leniently.
RfbResult<std::string> read_reason_string(RfbStream& in);

// Runs the handshake up to and including ServerInit, within its limits.
RfbResult<ServerInit> run_handshake(RfbStream& stream, const std::optional<std::string>& password);

}  // namespace remote::rfb
