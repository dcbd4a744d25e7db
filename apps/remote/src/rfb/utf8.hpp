#pragma once
// UTF-8 checks and lossy decoding of text that comes from a server.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace remote::rfb {

// True when the bytes are well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool is_valid_utf8(std::span<const std::uint8_t> bytes);

// The text with every ill-formed sequence replaced by U+FFFD, one replacement per maximal
// ill-formed subpart (the usual practice of Unicode and web browsers).
std::string decode_utf8_lossy(std::span<const std::uint8_t> bytes);

// The first code point of valid UTF-8 text, or none for empty or ill-formed text.
std::optional<char32_t> first_code_point(std::string_view text);

}  // namespace remote::rfb
