#include "profile/text.hpp"

#include "platform.hpp"

namespace remote {
namespace {

// The scalar value at text[pos] and its length, or length 0 when the bytes there are not a
// well-formed sequence.
std::size_t decode_at(std::string_view text, std::size_t pos, char32_t& out) {
    const orvo_ui::utf8::Step step = orvo_ui::utf8::step_at(text, pos);
    if (!step.valid) {
        return 0;
    }
    out = step.value;
    return step.length;
}

// Length of the white-space character ending at text[end - 1], or 0.
std::size_t white_space_before(std::string_view text, std::size_t end) {
    for (std::size_t length = 1; length <= 4 && length <= end; ++length) {
        char32_t c = 0;
        if (decode_at(text, end - length, c) == length) {
            return orvo_ui::utf8::is_white_space(c) ? length : 0;
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
        if (length == 0 || !orvo_ui::utf8::is_white_space(c)) {
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

}  // namespace remote
