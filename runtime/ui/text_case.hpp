#pragma once
// Unicode case mapping for searching and ordering user text.

#include <string>
#include <string_view>

namespace orvo_ui::text_case {

// Full Unicode lower-casing of UTF-8 text.
std::string lowercase(std::string_view text);

}  // namespace orvo_ui::text_case
