#pragma once
// Code point boundaries in UTF-8 text, for editing that never splits a character.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvo_ui::widget::utf8 {

// Byte offset of the code point boundary after / before `pos` (clamped to the text).
// `text` must be valid UTF-8.
std::size_t next_boundary(std::string_view text, std::size_t pos);
std::size_t prev_boundary(std::string_view text, std::size_t pos);

// Number of code points.
std::size_t char_count(std::string_view text);
// Byte offset of the code point with index `chars`, or text.size() when past the end.
std::size_t byte_offset(std::string_view text, std::size_t chars);
// Code point index of the boundary at byte offset `pos` (rounded down to a boundary).
std::size_t char_index(std::string_view text, std::size_t pos);

// The code point that starts at `pos` (a boundary below text.size()).
char32_t decode_at(std::string_view text, std::size_t pos);

}  // namespace orvo_ui::widget::utf8
