#pragma once
// Orvo device endpoint ids: the 32-byte Ed25519 public key of a device, printed as 64 lowercase
// hexadecimal digits. The parser accepts either letter case and only keys that are valid
// Ed25519 points.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace remote {

struct EndpointId {
    std::array<std::uint8_t, 32> key{};

    static std::optional<EndpointId> parse(std::string_view text);
    // The public key of an Ed25519 secret key given as its 32-byte seed.
    static EndpointId from_secret_seed(const std::array<std::uint8_t, 32>& seed);
    std::string to_string() const;

    bool operator==(const EndpointId&) const = default;
};

}  // namespace remote
