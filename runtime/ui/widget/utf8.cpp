#include "runtime/ui/widget/utf8.hpp"

#include "runtime/ui/utf8.hpp"

namespace orvo_ui::widget::utf8 {
namespace {

bool is_continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

}  // namespace

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
    return orvo_ui::utf8::step_at(text, pos).value;
}

}  // namespace orvo_ui::widget::utf8
