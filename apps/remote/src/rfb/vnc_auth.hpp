#pragma once
// VNC authentication: the DES response to the server's 16-byte challenge.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace remote::rfb {

using VncChallenge = std::array<std::uint8_t, 16>;
using DesKey = std::array<std::uint8_t, 8>;

// The password's first 8 UTF-8 bytes, each with its bit order reversed, zero-padded. No
// password gives the all-zero key.
DesKey vnc_des_key(const std::optional<std::string>& password);

// The two challenge halves, each encrypted with single DES in ECB mode under the key.
VncChallenge vnc_auth_response(const VncChallenge& challenge,
                               const std::optional<std::string>& password);

// Single-DES encryption of one block, exposed for checking against published vectors.
std::array<std::uint8_t, 8> des_encrypt_block(const DesKey& key,
                                              const std::array<std::uint8_t, 8>& block);

}  // namespace remote::rfb
