#include "profile/endpoint_id.hpp"

#include <sodium.h>

#include <cstdio>
#include <cstdlib>

namespace remote {
namespace {

void ensure_sodium() {
    static const bool ready = [] { return sodium_init() >= 0; }();
    if (!ready) {
        std::fputs("libsodium could not be initialised\n", stderr);
        std::abort();
    }
}

int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<EndpointId> EndpointId::parse(std::string_view text) {
    if (text.size() != 64) {
        return std::nullopt;
    }
    EndpointId id;
    for (std::size_t i = 0; i < 32; ++i) {
        const int high = hex_value(text[2 * i]);
        const int low = hex_value(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        id.key[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    ensure_sodium();
    if (crypto_core_ed25519_is_valid_point(id.key.data()) != 1) {
        return std::nullopt;
    }
    return id;
}

EndpointId EndpointId::from_secret_seed(const std::array<std::uint8_t, 32>& seed) {
    ensure_sodium();
    EndpointId id;
    unsigned char secret[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(id.key.data(), secret, seed.data());
    sodium_memzero(secret, sizeof secret);
    return id;
}

std::string EndpointId::to_string() const {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(64);
    for (std::uint8_t b : key) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 0x0f]);
    }
    return text;
}

}  // namespace remote
