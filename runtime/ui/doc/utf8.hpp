#pragma once
// Strict UTF-8: text objects hold Unicode scalar values, and every text that enters the
// document (keys, strings, inserted text) must be well-formed.

#include <optional>
#include <string>
#include <string_view>

namespace orvo_ui::doc::utf8 {

// The scalar values of `text`, or nothing when it is not well-formed UTF-8 (overlong forms,
// surrogates, values above U+10FFFF and truncated sequences are all refused).
std::optional<std::u32string> decode(std::string_view text);

bool valid(std::string_view text);

void append(std::string& out, char32_t c);

std::string encode(std::u32string_view text);

}  // namespace orvo_ui::doc::utf8
