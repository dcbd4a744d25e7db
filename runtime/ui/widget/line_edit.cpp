#include "runtime/ui/widget/line_edit.hpp"

#include <algorithm>

#include "runtime/ui/utf8.hpp"
#include "runtime/ui/widget/utf8.hpp"

namespace orvo_ui::widget::line_edit {
namespace {

bool is_word_char(char32_t c) {
    if (c < 0x80) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               c == '_';
    }
    // Latin-1 punctuation and symbols, general punctuation, ideographic space and punctuation.
    const bool latin1_punct = c <= 0xBF || c == 0xD7 || c == 0xF7;
    const bool general_punct = c >= 0x2000 && c <= 0x206F;
    const bool cjk_punct = c >= 0x3000 && c <= 0x303F;
    return !(latin1_punct || general_punct || cjk_punct);
}

void place(LineEdit& e, std::size_t pos, bool extend) {
    e.caret = std::min(pos, e.text.size());
    if (!extend) {
        e.anchor = e.caret;
    }
}

bool erase(LineEdit& e, std::size_t from, std::size_t to) {
    if (from >= to) {
        return false;
    }
    e.text.erase(from, to - from);
    e.caret = from;
    e.anchor = from;
    return true;
}

}  // namespace

void reset_text(LineEdit& e, std::string_view text) {
    const std::size_t caret_chars = utf8::char_index(e.text, e.caret);
    const std::size_t anchor_chars = utf8::char_index(e.text, e.anchor);
    e.text = orvo_ui::utf8::decode_lossy(text);
    e.caret = utf8::byte_offset(e.text, caret_chars);
    e.anchor = utf8::byte_offset(e.text, anchor_chars);
}

void move_left(LineEdit& e, bool extend) {
    if (!extend && e.has_selection()) {
        place(e, e.selection_start(), false);
        return;
    }
    place(e, utf8::prev_boundary(e.text, e.caret), extend);
}

void move_right(LineEdit& e, bool extend) {
    if (!extend && e.has_selection()) {
        place(e, e.selection_end(), false);
        return;
    }
    place(e, utf8::next_boundary(e.text, e.caret), extend);
}

void move_word_left(LineEdit& e, bool extend) {
    place(e, word_start_before(e.text, e.caret), extend);
}

void move_word_right(LineEdit& e, bool extend) {
    place(e, word_end_after(e.text, e.caret), extend);
}

void move_home(LineEdit& e, bool extend) {
    place(e, 0, extend);
}

void move_end(LineEdit& e, bool extend) {
    place(e, e.text.size(), extend);
}

void move_to(LineEdit& e, std::size_t pos, bool extend) {
    pos = std::min(pos, e.text.size());
    // Round down onto a boundary.
    while (pos > 0 && pos < e.text.size() &&
           (static_cast<unsigned char>(e.text[pos]) & 0xC0) == 0x80) {
        --pos;
    }
    place(e, pos, extend);
}

void select_all(LineEdit& e) {
    e.anchor = 0;
    e.caret = e.text.size();
}

bool insert(LineEdit& e, std::string_view text) {
    std::string clean = orvo_ui::utf8::decode_lossy(text);
    const bool removed = delete_selection(e);
    const std::size_t room =
        e.text.size() < kMaxInsertedBytes ? kMaxInsertedBytes - e.text.size() : 0;
    if (clean.size() > room) {
        clean.resize(utf8::prev_boundary(clean, room + 1));
    }
    if (clean.empty()) {
        return removed;
    }
    e.text.insert(e.caret, clean);
    e.caret += clean.size();
    e.anchor = e.caret;
    return true;
}

bool delete_selection(LineEdit& e) {
    return erase(e, e.selection_start(), e.selection_end());
}

bool backspace(LineEdit& e) {
    if (e.has_selection()) {
        return delete_selection(e);
    }
    return erase(e, utf8::prev_boundary(e.text, e.caret), e.caret);
}

bool delete_forward(LineEdit& e) {
    if (e.has_selection()) {
        return delete_selection(e);
    }
    return erase(e, e.caret, utf8::next_boundary(e.text, e.caret));
}

bool delete_word_back(LineEdit& e) {
    if (e.has_selection()) {
        return delete_selection(e);
    }
    return erase(e, word_start_before(e.text, e.caret), e.caret);
}

bool delete_word_forward(LineEdit& e) {
    if (e.has_selection()) {
        return delete_selection(e);
    }
    return erase(e, e.caret, word_end_after(e.text, e.caret));
}

std::size_t word_start_before(std::string_view text, std::size_t pos) {
    pos = std::min(pos, text.size());
    // Skip what separates words, then the word itself.
    while (pos > 0) {
        const std::size_t prev = utf8::prev_boundary(text, pos);
        if (is_word_char(utf8::decode_at(text, prev))) {
            break;
        }
        pos = prev;
    }
    while (pos > 0) {
        const std::size_t prev = utf8::prev_boundary(text, pos);
        if (!is_word_char(utf8::decode_at(text, prev))) {
            break;
        }
        pos = prev;
    }
    return pos;
}

std::size_t word_end_after(std::string_view text, std::size_t pos) {
    pos = std::min(pos, text.size());
    while (pos < text.size() && !is_word_char(utf8::decode_at(text, pos))) {
        pos = utf8::next_boundary(text, pos);
    }
    while (pos < text.size() && is_word_char(utf8::decode_at(text, pos))) {
        pos = utf8::next_boundary(text, pos);
    }
    return pos;
}

std::string single_line(std::string_view text) {
    const std::string clean = orvo_ui::utf8::decode_lossy(text);
    std::string out;
    out.reserve(clean.size());
    for (std::size_t i = 0; i < clean.size(); ++i) {
        const char c = clean[i];
        if (c == '\r' && i + 1 < clean.size() && clean[i + 1] == '\n') {
            continue;  // CR LF is one break
        }
        if (c == '\n' || c == '\r' || c == '\t') {
            out.push_back(' ');
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            continue;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace orvo_ui::widget::line_edit
