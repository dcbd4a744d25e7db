#include "runtime/ui/utf8.hpp"

#include <cstdint>

namespace orvo_ui::utf8 {

// An ill-formed sequence takes its maximal subpart: the lead byte plus every continuation byte
// that was acceptable at its position.
Step step_at(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t b0 = byte(pos);
    if (b0 < 0x80) {
        return {1, true, b0};
    }
    std::size_t need = 0;
    char32_t value = 0;
    std::uint8_t lo = 0x80;
    std::uint8_t hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        value = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        value = b0 & 0x0F;
        lo = b0 == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        hi = b0 == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        value = b0 & 0x07;
        lo = b0 == 0xF0 ? 0x90 : 0x80;  // no overlong forms
        hi = b0 == 0xF4 ? 0x8F : 0xBF;  // nothing past U+10FFFF
    } else {
        return {1, false, 0};
    }
    std::size_t used = 1;
    for (std::size_t k = 0; k < need; ++k) {
        if (pos + used >= text.size()) {
            return {used, false, 0};
        }
        const std::uint8_t b = byte(pos + used);
        if (b < lo || b > hi) {
            return {used, false, 0};
        }
        value = (value << 6) | (b & 0x3F);
        ++used;
        lo = 0x80;
        hi = 0xBF;
    }
    return {used, true, value};
}

bool valid(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {  // plain ASCII, the common case
            ++i;
            continue;
        }
        const Step s = step_at(text, i);
        if (!s.valid) {
            return false;
        }
        i += s.length;
    }
    return true;
}

std::optional<std::u32string> decode(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Step s = step_at(text, i);
        if (!s.valid) {
            return std::nullopt;
        }
        out.push_back(s.value);
        i += s.length;
    }
    return out;
}

std::string decode_lossy(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Step s = step_at(text, i);
        if (s.valid) {
            out.append(text.substr(i, s.length));
        } else {
            append(out, 0xFFFD);
        }
        i += s.length;
    }
    return out;
}

std::optional<char32_t> first_scalar(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const Step s = step_at(text, 0);
    if (!s.valid) {
        return std::nullopt;
    }
    return s.value;
}

bool is_white_space(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

void append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string encode(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        append(out, c);
    }
    return out;
}

}  // namespace orvo_ui::utf8
