#pragma once
// UTF-8, once for the whole program: strict checks for text that is stored or sent, lossy
// decoding for text that comes from elsewhere, and encoding.
//
// Well-formed means shortest form, no surrogates, nothing past U+10FFFF. Lossy decoding replaces
// each maximal ill-formed subpart with one U+FFFD, the usual practice of Unicode and browsers.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvo_ui::utf8 {

// One step of decoding at a position: a scalar value, or an ill-formed subpart to skip.
struct Step {
    std::size_t length = 0;  // bytes taken, at least 1
    bool valid = false;
    char32_t value = 0;  // when valid
};

// Decodes at `pos`, which must be below text.size().
Step step_at(std::string_view text, std::size_t pos);

bool valid(std::string_view text);
// The scalar values, or nothing when the text is not well-formed.
std::optional<std::u32string> decode(std::string_view text);
std::string decode_lossy(std::string_view text);
// The first scalar value of the text, or nothing when it is empty or starts ill-formed.
std::optional<char32_t> first_scalar(std::string_view text);

// The Unicode White_Space property.
bool is_white_space(char32_t c);

void append(std::string& out, char32_t c);
std::string encode(std::u32string_view text);

}  // namespace orvo_ui::utf8
