#pragma once
// A single-line text field: caret, selection (pointer drag and Shift+keys), word moves,
// deletion, clipboard, input method commits, placeholder and horizontal scrolling. Text is
// UTF-8; public caret positions count characters (code points).

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/ui/canvas.hpp"
#include "runtime/ui/geometry.hpp"
#include "runtime/ui/input.hpp"
#include "runtime/ui/text_render.hpp"
#include "runtime/ui/tokens/colors.hpp"
#include "runtime/ui/widget/clipboard.hpp"
#include "runtime/ui/widget/line_edit.hpp"

namespace orvo_ui::widget::text_input {

using clipboard::Clipboard;

struct EditResult {
    bool consumed = false;  // the field used the event; nobody else should
    bool changed = false;   // the text is different afterwards
};

class TextInput {
  public:
    // Horizontal space between the field's edge and its text.
    static constexpr double kPadding = 12.0;

    // An empty field that edits local text.
    static TextInput local() { return TextInput(); }
    TextInput with_placeholder(std::string placeholder) &&;

    const std::string& text() const { return edit_.text; }
    // Replaces the text; caret and selection keep their character positions, clamped to the
    // new length. Invalid UTF-8 becomes U+FFFD.
    void set_text(std::string_view text);
    const std::string& placeholder() const { return placeholder_; }
    void set_placeholder(std::string placeholder) { placeholder_ = std::move(placeholder); }

    std::size_t cursor_pos() const;
    // Moves the caret to character `chars` (clamped to the end) and clears the selection.
    void set_cursor_pos(std::size_t chars);
    // Selected range in characters (start < end), or {pos, pos} when nothing is selected.
    std::pair<std::size_t, std::size_t> selection() const;
    std::string selected_text() const { return std::string(edit_.selected()); }

    bool focused() const { return focused_; }
    // Losing focus clears the selection and scrolls back to the start.
    void set_focused(bool focused);

    // Keys and committed text act only while focused; pointer events act inside the field's
    // rectangle (and while a drag that started there lasts).
    EditResult handle_event(const InputEvent& event, Clipboard& clipboard);

    void apply_layout_external(Rect rect) { rect_ = rect; }
    Rect rect() const { return rect_; }
    double scroll() const { return scroll_; }
    void set_text_size(double size) { text_size_ = size; }
    double text_size() const { return text_size_; }

    // Draws field, selection, text or placeholder, caret and focus ring; also scrolls so that
    // the caret stays visible and remembers where each character lies for pointer hits.
    void draw(Canvas& canvas, const text_render::TextRenderer& text,
              const tokens::colors::Colors& colors);
    // Caret rectangle of the last draw (for placing an input method's candidate window).
    Rect caret_rect() const { return caret_rect_; }

  private:
    EditResult on_key(const KeyEvent& key, Clipboard& clipboard);
    EditResult on_shortcut(const std::string& character, Clipboard& clipboard);
    EditResult on_button(const PointerButtonEvent& button);
    std::size_t offset_at(double x) const;
    void measure(const text_render::TextRenderer& text);
    double x_of(std::size_t offset) const;
    Rect text_area() const;

    line_edit::LineEdit edit_;
    std::string placeholder_;
    bool focused_ = false;
    bool dragging_ = false;
    Rect rect_;
    double scroll_ = 0.0;
    double text_size_ = 14.0;
    Rect caret_rect_;

    // Boundary offsets and their x positions (from the text start) of the last measured text.
    std::string measured_text_;
    double measured_scale_ = 0.0;
    double measured_size_ = 0.0;
    std::vector<std::size_t> stop_offsets_;
    std::vector<double> stop_xs_;
};

}  // namespace orvo_ui::widget::text_input
