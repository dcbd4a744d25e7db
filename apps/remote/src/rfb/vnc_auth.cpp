#include "rfb/vnc_auth.hpp"

#include <nettle/des.h>

#include <algorithm>

namespace remote::rfb {
namespace {

std::uint8_t reverse_bits(std::uint8_t b) {
    std::uint8_t out = 0;
    for (int i = 0; i < 8; ++i) {
        out = static_cast<std::uint8_t>((out << 1) | ((b >> i) & 1));
    }
    return out;
}

}  // namespace

DesKey vnc_des_key(const std::optional<std::string>& password) {
    DesKey key{};
    if (!password) {
        return key;
    }
    const std::size_t n = std::min<std::size_t>(password->size(), key.size());
    for (std::size_t i = 0; i < n; ++i) {
        key[i] = reverse_bits(static_cast<std::uint8_t>((*password)[i]));
    }
    return key;
}

std::array<std::uint8_t, 8> des_encrypt_block(const DesKey& key,
                                              const std::array<std::uint8_t, 8>& block) {
    des_ctx ctx{};
    // The key schedule is built for every key; the result only flags the DES weak keys, which
    // VNC passwords (the empty one among them) must still be able to use.
    static_cast<void>(nettle_des_set_key(&ctx, key.data()));
    std::array<std::uint8_t, 8> out{};
    nettle_des_encrypt(&ctx, out.size(), out.data(), block.data());
    return out;
}

VncChallenge vnc_auth_response(const VncChallenge& challenge,
                               const std::optional<std::string>& password) {
    const DesKey key = vnc_des_key(password);
    VncChallenge out{};
    for (std::size_t half = 0; half < 2; ++half) {
        std::array<std::uint8_t, 8> block{};
        std::copy_n(challenge.begin() + static_cast<std::ptrdiff_t>(half * 8), 8, block.begin());
        const auto enc = des_encrypt_block(key, block);
        std::copy(enc.begin(), enc.end(), out.begin() + static_cast<std::ptrdiff_t>(half * 8));
    }
    return out;
}

}  // namespace remote::rfb
