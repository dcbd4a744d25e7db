#include "profile/text.hpp"

#include <cstdint>

namespace remote {
namespace {

bool is_white_space(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// Decodes one UTF-8 sequence at text[pos]; returns its length, or 0 when the bytes there do
// not form a valid, shortest-form scalar value.
std::size_t decode_at(std::string_view text, std::size_t pos, char32_t& out) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(pos);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        out = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (pos + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t b = byte(pos + i);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (b & 0x3F);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (overlong || surrogate || value > 0x10FFFF) {
        return 0;
    }
    out = value;
    return length;
}

// Length of the white-space character ending at text[end - 1], or 0.
std::size_t white_space_before(std::string_view text, std::size_t end) {
    for (std::size_t length = 1; length <= 4 && length <= end; ++length) {
        char32_t c = 0;
        if (decode_at(text, end - length, c) == length) {
            return is_white_space(c) ? length : 0;
        }
    }
    return 0;
}

}  // namespace

std::string_view trim_unicode(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        char32_t c = 0;
        const std::size_t length = decode_at(text, begin, c);
        if (length == 0 || !is_white_space(c)) {
            break;
        }
        begin += length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const std::size_t length = white_space_before(text.substr(begin), end - begin);
        if (length == 0) {
            break;
        }
        end -= length;
    }
    return text.substr(begin, end - begin);
}

bool is_valid_utf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t c = 0;
        const std::size_t length = decode_at(text, pos, c);
        if (length == 0) {
            return false;
        }
        pos += length;
    }
    return true;
}

}  // namespace remote
