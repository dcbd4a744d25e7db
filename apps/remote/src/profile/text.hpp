#pragma once
// Small UTF-8 text helpers used wherever user text is checked or stored.

#include <string>
#include <string_view>

namespace remote {

// Removes leading and trailing characters with the Unicode White_Space property. Invalid
// UTF-8 bytes are kept as they are (they are never white space).
std::string_view trim_unicode(std::string_view text);

}  // namespace remote
