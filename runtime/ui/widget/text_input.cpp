#include "runtime/ui/widget/text_input.hpp"

#include <algorithm>
#include <cmath>
#include <variant>

#include "runtime/ui/widget/utf8.hpp"

namespace orvo_ui::widget::text_input {
namespace {

constexpr double kCornerRadius = 10.0;
constexpr double kFocusRing = 2.0;
constexpr double kCaretWidth = 1.5;
constexpr double kSelectionAlpha = 0.35;

bool shortcut_held(const Modifiers& m) {
    return m.ctrl || m.command;
}

std::string lower_ascii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

}  // namespace

TextInput TextInput::with_placeholder(std::string placeholder) && {
    placeholder_ = std::move(placeholder);
    return std::move(*this);
}

void TextInput::set_text(std::string_view text) {
    line_edit::reset_text(edit_, text);
}

std::size_t TextInput::cursor_pos() const {
    return utf8::char_index(edit_.text, edit_.caret);
}

void TextInput::set_cursor_pos(std::size_t chars) {
    line_edit::move_to(edit_, utf8::byte_offset(edit_.text, chars), false);
}

std::pair<std::size_t, std::size_t> TextInput::selection() const {
    return {utf8::char_index(edit_.text, edit_.selection_start()),
            utf8::char_index(edit_.text, edit_.selection_end())};
}

void TextInput::set_focused(bool focused) {
    if (focused_ && !focused) {
        edit_.anchor = edit_.caret;
        scroll_ = 0.0;
        dragging_ = false;
    }
    focused_ = focused;
}

EditResult TextInput::handle_event(const InputEvent& event, Clipboard& clipboard) {
    const std::string before = edit_.text;
    EditResult result;
    if (const auto* key = std::get_if<KeyEvent>(&event)) {
        result = on_key(*key, clipboard);
    } else if (const auto* committed = std::get_if<TextCommitted>(&event)) {
        if (focused_) {
            line_edit::insert(edit_, line_edit::single_line(committed->text));
            result.consumed = true;
        }
    } else if (const auto* button = std::get_if<PointerButtonEvent>(&event)) {
        result = on_button(*button);
    } else if (const auto* moved = std::get_if<PointerMoved>(&event)) {
        if (dragging_) {
            line_edit::move_to(edit_, offset_at(moved->position.x), true);
            result.consumed = true;
        }
    }
    result.changed = edit_.text != before;
    return result;
}

EditResult TextInput::on_key(const KeyEvent& key, Clipboard& clipboard) {
    if (!focused_ || !key.pressed) {
        return {};
    }
    const bool shift = key.modifiers.shift;
    const bool word = shortcut_held(key.modifiers);
    switch (key.key) {
        case NamedKey::ArrowLeft:
            word ? line_edit::move_word_left(edit_, shift) : line_edit::move_left(edit_, shift);
            return {true, false};
        case NamedKey::ArrowRight:
            word ? line_edit::move_word_right(edit_, shift) : line_edit::move_right(edit_, shift);
            return {true, false};
        case NamedKey::Home:
            line_edit::move_home(edit_, shift);
            return {true, false};
        case NamedKey::End:
            line_edit::move_end(edit_, shift);
            return {true, false};
        case NamedKey::Backspace:
            word ? line_edit::delete_word_back(edit_) : line_edit::backspace(edit_);
            return {true, false};
        case NamedKey::Delete:
            word ? line_edit::delete_word_forward(edit_) : line_edit::delete_forward(edit_);
            return {true, false};
        case NamedKey::Space:
            if (word) {
                return {};
            }
            line_edit::insert(edit_, " ");
            return {true, false};
        case NamedKey::None:
            if (word) {
                return on_shortcut(key.character, clipboard);
            }
            if (key.text.empty()) {
                return {};
            }
            line_edit::insert(edit_, line_edit::single_line(key.text));
            return {true, false};
        default:
            // Enter, Tab, Escape, vertical moves and the rest belong to whoever owns the field.
            return {};
    }
}

EditResult TextInput::on_shortcut(const std::string& character, Clipboard& clipboard) {
    const std::string c = lower_ascii(character);
    if (c == "a") {
        line_edit::select_all(edit_);
    } else if (c == "c") {
        if (edit_.has_selection()) {
            clipboard.set_text(std::string(edit_.selected()));
        }
    } else if (c == "x") {
        if (edit_.has_selection()) {
            clipboard.set_text(std::string(edit_.selected()));
            line_edit::delete_selection(edit_);
        }
    } else if (c == "v") {
        const std::string pasted = line_edit::single_line(clipboard.text());
        if (!pasted.empty()) {
            line_edit::insert(edit_, pasted);
        }
    } else {
        return {};
    }
    return {true, false};
}

EditResult TextInput::on_button(const PointerButtonEvent& button) {
    if (button.button != PointerButton::Left) {
        return {};
    }
    const bool inside = rect_.contains(button.position);
    if (button.pressed) {
        if (!inside) {
            return {};
        }
        line_edit::move_to(edit_, offset_at(button.position.x), button.modifiers.shift);
        dragging_ = true;
        return {true, false};
    }
    if (dragging_) {
        line_edit::move_to(edit_, offset_at(button.position.x), true);
        dragging_ = false;
        return {true, false};
    }
    if (!inside) {
        return {};
    }
    // A release without a press of ours: place the caret there.
    line_edit::move_to(edit_, offset_at(button.position.x), button.modifiers.shift);
    return {true, false};
}

Rect TextInput::text_area() const {
    return {rect_.left + kPadding, rect_.top,
            std::max(rect_.left + kPadding, rect_.right - kPadding), rect_.bottom};
}

std::size_t TextInput::offset_at(double x) const {
    if (measured_text_ != edit_.text || stop_offsets_.empty()) {
        return edit_.text.size();  // never measured: the end is the best guess
    }
    const double local = x - text_area().left + scroll_;
    std::size_t best = 0;
    double best_distance = std::abs(local - stop_xs_[0]);
    for (std::size_t i = 1; i < stop_xs_.size(); ++i) {
        const double d = std::abs(local - stop_xs_[i]);
        if (d < best_distance) {
            best = i;
            best_distance = d;
        }
    }
    return stop_offsets_[best];
}

void TextInput::measure(const text_render::TextRenderer& text) {
    if (measured_text_ == edit_.text && measured_scale_ == text.text_scale() &&
        measured_size_ == text_size_ && !stop_offsets_.empty()) {
        return;
    }
    measured_text_ = edit_.text;
    measured_scale_ = text.text_scale();
    measured_size_ = text_size_;
    stop_offsets_.clear();
    stop_xs_.clear();
    std::size_t pos = 0;
    stop_offsets_.push_back(0);
    stop_xs_.push_back(0.0);
    while (pos < edit_.text.size()) {
        pos = utf8::next_boundary(edit_.text, pos);
        stop_offsets_.push_back(pos);
        stop_xs_.push_back(text.measure(std::string_view(edit_.text).substr(0, pos), text_size_));
    }
}

double TextInput::x_of(std::size_t offset) const {
    const auto it = std::lower_bound(stop_offsets_.begin(), stop_offsets_.end(), offset);
    if (it == stop_offsets_.end()) {
        return stop_xs_.empty() ? 0.0 : stop_xs_.back();
    }
    return stop_xs_[static_cast<std::size_t>(it - stop_offsets_.begin())];
}

void TextInput::draw(Canvas& canvas, const text_render::TextRenderer& text,
                     const tokens::colors::Colors& colors) {
    measure(text);
    const Rect area = text_area();
    const double visible = area.width();
    const double full = stop_xs_.back();
    const double caret_x = x_of(edit_.caret);
    if (focused_) {
        if (caret_x - scroll_ > visible) {
            scroll_ = caret_x - visible;
        }
        if (caret_x - scroll_ < 0.0) {
            scroll_ = caret_x;
        }
    }
    // Never scroll past the end, so deleting at the end pulls the text back into view.
    scroll_ = std::clamp(scroll_, 0.0, std::max(0.0, full - visible));

    canvas.fill_rounded_rect(rect_, kCornerRadius, colors.surface);
    if (focused_) {
        canvas.stroke_rounded_rect(rect_, kCornerRadius, colors.accent, kFocusRing);
    } else {
        canvas.stroke_rounded_rect(rect_, kCornerRadius, colors.border, 1.0);
    }

    const double line = text.line_height(text_size_);
    const double top = rect_.top + (rect_.height() - line) / 2.0;
    const double origin = area.left - scroll_;
    canvas.save();
    canvas.clip({area.left - kCaretWidth, rect_.top, area.right + kCaretWidth, rect_.bottom});
    if (edit_.has_selection()) {
        canvas.fill_rect({origin + x_of(edit_.selection_start()), top,
                          origin + x_of(edit_.selection_end()), top + line},
                         colors.accent.with_alpha(kSelectionAlpha));
    }
    if (edit_.text.empty()) {
        text.draw_text(canvas, placeholder_, {area.left, top}, text_size_, colors.text_muted);
    } else {
        text.draw_text(canvas, edit_.text, {origin, top}, text_size_, colors.text);
    }
    caret_rect_ = {origin + caret_x, top, origin + caret_x + kCaretWidth, top + line};
    if (focused_) {
        canvas.fill_rect(caret_rect_, colors.text);
    }
    canvas.restore();
}

}  // namespace orvo_ui::widget::text_input
