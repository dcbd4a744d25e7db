#include "runtime/ui/widget/utf8.hpp"

namespace orvo_ui::widget::utf8 {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool is_continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the valid sequence starting at `pos`, or 0 when it is not valid.
std::size_t valid_length(std::string_view text, std::size_t pos) {
    const auto c = static_cast<unsigned char>(text[pos]);
    std::size_t len = 0;
    char32_t min = 0;
    char32_t cp = 0;
    if (c < 0x80) {
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        len = 2;
        min = 0x80;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3;
        min = 0x800;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4;
        min = 0x10000;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (pos + len > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < len; ++i) {
        const auto cc = static_cast<unsigned char>(text[pos + i]);
        if (!is_continuation(cc)) {
            return 0;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return len;
}

}  // namespace

std::string sanitized(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t len = valid_length(text, pos);
        if (len == 0) {
            out.append(kReplacement);
            ++pos;
            continue;
        }
        out.append(text.substr(pos, len));
        pos += len;
    }
    return out;
}

std::size_t next_boundary(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) {
        return text.size();
    }
    ++pos;
    while (pos < text.size() && is_continuation(static_cast<unsigned char>(text[pos]))) {
        ++pos;
    }
    return pos;
}

std::size_t prev_boundary(std::string_view text, std::size_t pos) {
    if (pos > text.size()) {
        pos = text.size();
    }
    if (pos == 0) {
        return 0;
    }
    --pos;
    while (pos > 0 && is_continuation(static_cast<unsigned char>(text[pos]))) {
        --pos;
    }
    return pos;
}

std::size_t char_count(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text) {
        n += is_continuation(static_cast<unsigned char>(c)) ? 0 : 1;
    }
    return n;
}

std::size_t byte_offset(std::string_view text, std::size_t chars) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < chars && pos < text.size(); ++i) {
        pos = next_boundary(text, pos);
    }
    return pos;
}

std::size_t char_index(std::string_view text, std::size_t pos) {
    if (pos > text.size()) {
        pos = text.size();
    }
    return char_count(text.substr(0, pos)) -
           (pos < text.size() && is_continuation(static_cast<unsigned char>(text[pos])) ? 1 : 0);
}

char32_t decode_at(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) {
        return 0;
    }
    const auto c = static_cast<unsigned char>(text[pos]);
    const std::size_t end = next_boundary(text, pos);
    const std::size_t len = end - pos;
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t i = pos + 1; i < end; ++i) {
        cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    return cp;
}

}  // namespace orvo_ui::widget::utf8
