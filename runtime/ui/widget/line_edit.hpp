#pragma once
// The editing model of a single-line field: UTF-8 text, a caret and a selection anchor, both
// byte offsets that always sit on code point boundaries.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvo_ui::widget::line_edit {

struct LineEdit {
    std::string text;
    std::size_t caret = 0;
    std::size_t anchor = 0;  // equals caret when nothing is selected

    bool has_selection() const { return caret != anchor; }
    std::size_t selection_start() const { return caret < anchor ? caret : anchor; }
    std::size_t selection_end() const { return caret < anchor ? anchor : caret; }
    std::string_view selected() const {
        return std::string_view(text).substr(selection_start(),
                                             selection_end() - selection_start());
    }
};

// Replaces the text (invalid UTF-8 becomes U+FFFD) and keeps caret and anchor at the same
// character index, clamped to the new length.
void reset_text(LineEdit& e, std::string_view text);

// Caret moves. With `extend` the anchor stays (the selection grows or shrinks); without it a
// selection collapses: plain Left/Right to the selection's edge, the others to their target.
void move_left(LineEdit& e, bool extend);
void move_right(LineEdit& e, bool extend);
void move_word_left(LineEdit& e, bool extend);
void move_word_right(LineEdit& e, bool extend);
void move_home(LineEdit& e, bool extend);
void move_end(LineEdit& e, bool extend);
void move_to(LineEdit& e, std::size_t pos, bool extend);
void select_all(LineEdit& e);

// The most a user can type or paste into one field. A paste beyond it is cut at a character
// boundary, so a huge clipboard (or pasting a field into itself over and over) cannot make every
// later keystroke slow. Text the program sets is never cut.
inline constexpr std::size_t kMaxInsertedBytes = 4 * 1024;

// Edits; each returns whether the text changed.
bool insert(LineEdit& e, std::string_view text);  // replaces the selection, within the limit
bool delete_selection(LineEdit& e);
bool backspace(LineEdit& e);  // the selection, else the character before the caret
bool delete_forward(LineEdit& e);
bool delete_word_back(LineEdit& e);  // the selection, else back to the previous word start
bool delete_word_forward(LineEdit& e);

// Where word moves stop: the start of the word at or before `pos`, the end of the word at or
// after it. Words are runs of letters, digits and underscores (any non-ASCII character that is
// not a space or punctuation counts as a letter).
std::size_t word_start_before(std::string_view text, std::size_t pos);
std::size_t word_end_after(std::string_view text, std::size_t pos);

// Text made fit for one line: line breaks and tabs become spaces, other control characters
// are dropped, invalid UTF-8 becomes U+FFFD.
std::string single_line(std::string_view text);

}  // namespace orvo_ui::widget::line_edit
