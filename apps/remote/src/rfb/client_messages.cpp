#include "rfb/client_messages.hpp"

#include "rfb/wire.hpp"

namespace remote::rfb {

std::array<std::uint8_t, 12> encode_protocol_version(ProtocolVersion version) {
    std::array<std::uint8_t, 12> out{'R', 'F', 'B', ' ', '0', '0', '3', '.', '0', '0', '0', '\n'};
    out[8] = static_cast<std::uint8_t>('0' + version.minor / 100 % 10);
    out[9] = static_cast<std::uint8_t>('0' + version.minor / 10 % 10);
    out[10] = static_cast<std::uint8_t>('0' + version.minor % 10);
    return out;
}

std::array<std::uint8_t, 20> encode_set_pixel_format(const RfbPixelFormat& format) {
    std::array<std::uint8_t, 20> out{};
    const auto pf = encode_pixel_format(format);
    std::copy(pf.begin(), pf.end(), out.begin() + 4);
    return out;
}

std::array<std::uint8_t, 16> encode_set_encodings() {
    std::array<std::uint8_t, 16> out{};
    out[0] = 2;
    store_u16(&out[2], 3);
    store_u32(&out[4], 0);
    store_u32(&out[8], 1);
    store_u32(&out[12], 2);
    return out;
}

std::array<std::uint8_t, 10> encode_update_request(bool incremental, std::uint16_t width,
                                                   std::uint16_t height) {
    std::array<std::uint8_t, 10> out{};
    out[0] = 3;
    out[1] = incremental ? 1 : 0;
    store_u16(&out[6], width);
    store_u16(&out[8], height);
    return out;
}

std::vector<std::uint8_t> encode_vnc_input(const VncInput& input) {
    if (const auto* key = std::get_if<VncKey>(&input)) {
        std::vector<std::uint8_t> out(8, 0);
        out[0] = 4;
        out[1] = key->down ? 1 : 0;
        store_u32(&out[4], key->keysym);
        return out;
    }
    const auto& pointer = std::get<VncPointer>(input);
    std::vector<std::uint8_t> out(6, 0);
    out[0] = 5;
    out[1] = pointer.button_mask;
    store_u16(&out[2], pointer.x);
    store_u16(&out[4], pointer.y);
    return out;
}

}  // namespace remote::rfb
