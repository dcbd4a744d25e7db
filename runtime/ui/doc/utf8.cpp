#include "runtime/ui/doc/utf8.hpp"

#include <cstdint>

namespace orvo_ui::doc::utf8 {
namespace {

// Reads one scalar value at `i`, advancing it; returns false on malformed input.
bool next(std::string_view s, std::size_t& i, char32_t& out) {
    const auto b0 = static_cast<std::uint8_t>(s[i]);
    if (b0 < 0x80) {
        out = b0;
        ++i;
        return true;
    }
    std::size_t len = 0;
    char32_t min = 0;
    if ((b0 & 0xe0) == 0xc0) {
        len = 2;
        min = 0x80;
        out = b0 & 0x1f;
    } else if ((b0 & 0xf0) == 0xe0) {
        len = 3;
        min = 0x800;
        out = b0 & 0x0f;
    } else if ((b0 & 0xf8) == 0xf0) {
        len = 4;
        min = 0x10000;
        out = b0 & 0x07;
    } else {
        return false;
    }
    if (s.size() - i < len)
        return false;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<std::uint8_t>(s[i + k]);
        if ((b & 0xc0) != 0x80)
            return false;
        out = (out << 6) | (b & 0x3f);
    }
    if (out < min || out > 0x10ffff || (out >= 0xd800 && out <= 0xdfff))
        return false;
    i += len;
    return true;
}

}  // namespace

std::optional<std::u32string> decode(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c = 0;
        if (!next(text, i, c))
            return std::nullopt;
        out.push_back(c);
    }
    return out;
}

bool valid(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t c = 0;
        if (!next(text, i, c))
            return false;
    }
    return true;
}

void append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xc0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xe0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    } else {
        out.push_back(static_cast<char>(0xf0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
    }
}

std::string encode(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text)
        append(out, c);
    return out;
}

}  // namespace orvo_ui::doc::utf8
