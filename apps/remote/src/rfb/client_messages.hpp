#pragma once
// The messages the client writes, as bytes.

#include <array>
#include <cstdint>
#include <vector>

#include "rfb/pixel_format.hpp"
#include "rfb/vnc_input.hpp"

namespace remote::rfb {

struct ProtocolVersion {
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    bool operator==(const ProtocolVersion&) const = default;
};

// "RFB 003.00m\n" for the chosen version.
std::array<std::uint8_t, 12> encode_protocol_version(ProtocolVersion version);
std::array<std::uint8_t, 20> encode_set_pixel_format(const RfbPixelFormat& format);
// SetEncodings with Raw, CopyRect and RRE, in that order.
std::array<std::uint8_t, 16> encode_set_encodings();
std::array<std::uint8_t, 10> encode_update_request(bool incremental, std::uint16_t width,
                                                   std::uint16_t height);
// KeyEvent (8 bytes) or PointerEvent (6 bytes).
std::vector<std::uint8_t> encode_vnc_input(const VncInput& input);

}  // namespace remote::rfb
