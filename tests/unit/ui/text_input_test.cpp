#include "runtime/ui/widget/text_input.hpp"
#include "runtime/ui/widget/line_edit.hpp"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include <string>
#include <utility>
#include <vector>

#include "gui_app.hpp"

namespace {

using orvo_ui::InputEvent;
using orvo_ui::KeyEvent;
using orvo_ui::Modifiers;
using orvo_ui::NamedKey;
using orvo_ui::Rect;
using orvo_ui::widget::clipboard::MemoryClipboard;
using orvo_ui::widget::text_input::TextInput;

constexpr Modifiers kNone{};
constexpr Modifiers kShift{false, true, false, false};
constexpr Modifiers kCtrl{true, false, false, false};
constexpr Modifiers kCtrlShift{true, true, false, false};

InputEvent named(NamedKey k, Modifiers m = kNone) {
    KeyEvent e;
    e.key = k;
    e.modifiers = m;
    if (k == NamedKey::Space) {
        e.text = " ";
    }
    return e;
}

// A character key as the Qt conversion reports it: Ctrl keeps the character, drops the text.
InputEvent typed(std::string ch, Modifiers m = kNone) {
    KeyEvent e;
    e.key = NamedKey::None;
    e.character = ch;
    e.text = (m.ctrl || m.command) ? "" : ch;
    e.modifiers = m;
    return e;
}

InputEvent commit(std::string text) {
    return orvo_ui::TextCommitted{std::move(text)};
}

struct EditCase {
    const char* name;
    std::string text;
    std::size_t caret;
    std::vector<InputEvent> events;
    std::string clip_before;
    std::string want_text;
    std::size_t want_caret;
    std::pair<std::size_t, std::size_t> want_selection;
    std::string want_clip;
};

std::vector<EditCase> edit_cases() {
    return {
        {"type at the end", "ab", 2, {typed("x")}, "", "abx", 3, {3, 3}, ""},
        {"type in the middle", "ab", 1, {typed("x")}, "", "axb", 2, {2, 2}, ""},
        {"space key inserts a space", "ab", 1, {named(NamedKey::Space)}, "", "a b", 2, {2, 2}, ""},
        {"backspace at the start does nothing",
         "ab",
         0,
         {named(NamedKey::Backspace)},
         "",
         "ab",
         0,
         {0, 0},
         ""},
        {"backspace removes a whole two-byte character",
         "h\xC3\xA9llo",
         2,
         {named(NamedKey::Backspace)},
         "",
         "hllo",
         1,
         {1, 1},
         ""},
        {"delete removes a whole three-byte character",
         "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
         1,
         {named(NamedKey::Delete)},
         "",
         "\xE6\x97\xA5\xE8\xAA\x9E",
         1,
         {1, 1},
         ""},
        {"delete at the end does nothing",
         "ab",
         2,
         {named(NamedKey::Delete)},
         "",
         "ab",
         2,
         {2, 2},
         ""},
        {"arrows step over multibyte characters",
         "a\xC3\xA9\xE6\x97\xA5",
         3,
         {named(NamedKey::ArrowLeft), named(NamedKey::ArrowLeft)},
         "",
         "a\xC3\xA9\xE6\x97\xA5",
         1,
         {1, 1},
         ""},
        {"right stops at the end",
         "ab",
         1,
         {named(NamedKey::ArrowRight), named(NamedKey::ArrowRight)},
         "",
         "ab",
         2,
         {2, 2},
         ""},
        {"shift+left twice selects two characters",
         "hello",
         5,
         {named(NamedKey::ArrowLeft, kShift), named(NamedKey::ArrowLeft, kShift)},
         "",
         "hello",
         3,
         {3, 5},
         ""},
        {"shift+home selects to the start",
         "hello",
         3,
         {named(NamedKey::Home, kShift)},
         "",
         "hello",
         0,
         {0, 3},
         ""},
        {"shift+end selects to the end",
         "hello",
         1,
         {named(NamedKey::End, kShift)},
         "",
         "hello",
         5,
         {1, 5},
         ""},
        {"home and end move without selecting",
         "hello",
         2,
         {named(NamedKey::End), named(NamedKey::Home)},
         "",
         "hello",
         0,
         {0, 0},
         ""},
        {"left collapses a selection to its start",
         "hello",
         5,
         {named(NamedKey::Home, kShift), named(NamedKey::ArrowRight, kShift),
          named(NamedKey::ArrowLeft)},
         "",
         "hello",
         1,
         {1, 1},
         ""},
        {"right collapses a selection to its end",
         "hello",
         1,
         {named(NamedKey::End, kShift), named(NamedKey::ArrowRight)},
         "",
         "hello",
         5,
         {5, 5},
         ""},
        {"typing replaces the selection",
         "hello",
         0,
         {named(NamedKey::End, kShift), typed("\xC3\xA9")},
         "",
         "\xC3\xA9",
         1,
         {1, 1},
         ""},
        {"ctrl+left walks back word by word",
         "foo bar.baz qux",
         15,
         {named(NamedKey::ArrowLeft, kCtrl), named(NamedKey::ArrowLeft, kCtrl),
          named(NamedKey::ArrowLeft, kCtrl)},
         "",
         "foo bar.baz qux",
         4,
         {4, 4},
         ""},
        {"ctrl+right stops at word ends",
         "foo bar.baz",
         0,
         {named(NamedKey::ArrowRight, kCtrl), named(NamedKey::ArrowRight, kCtrl)},
         "",
         "foo bar.baz",
         7,
         {7, 7},
         ""},
        {"ctrl+shift+right selects a word",
         "foo bar",
         4,
         {named(NamedKey::ArrowRight, kCtrlShift)},
         "",
         "foo bar",
         7,
         {4, 7},
         ""},
        {"words include accented letters",
         "caf\xC3\xA9 cr\xC3\xA8me",
         10,
         {named(NamedKey::ArrowLeft, kCtrl)},
         "",
         "caf\xC3\xA9 cr\xC3\xA8me",
         5,
         {5, 5},
         ""},
        {"ctrl+backspace deletes the previous word",
         "ssh user@host",
         13,
         {named(NamedKey::Backspace, kCtrl)},
         "",
         "ssh user@",
         9,
         {9, 9},
         ""},
        {"ctrl+backspace skips trailing spaces first",
         "one two  ",
         9,
         {named(NamedKey::Backspace, kCtrl)},
         "",
         "one ",
         4,
         {4, 4},
         ""},
        {"ctrl+delete deletes to the next word end",
         "  foo bar",
         0,
         {named(NamedKey::Delete, kCtrl)},
         "",
         " bar",
         0,
         {0, 0},
         ""},
        {"backspace deletes only the selection",
         "hello",
         5,
         {named(NamedKey::ArrowLeft, kShift), named(NamedKey::ArrowLeft, kShift),
          named(NamedKey::Backspace)},
         "",
         "hel",
         3,
         {3, 3},
         ""},
        {"select all then type",
         "hello",
         2,
         {typed("a", kCtrl), typed("x")},
         "",
         "x",
         1,
         {1, 1},
         ""},
        {"ctrl+shift+a also selects all",
         "hello",
         2,
         {typed("A", kCtrlShift)},
         "",
         "hello",
         5,
         {0, 5},
         ""},
        {"copy takes the selection and leaves the text",
         "hello world",
         11,
         {named(NamedKey::ArrowLeft, kCtrlShift), typed("c", kCtrl)},
         "old",
         "hello world",
         6,
         {6, 11},
         "world"},
        {"copy without a selection keeps the clipboard",
         "hello",
         2,
         {typed("c", kCtrl)},
         "old",
         "hello",
         2,
         {2, 2},
         "old"},
        {"cut removes the selection",
         "hello world",
         0,
         {named(NamedKey::ArrowRight, kCtrlShift), typed("x", kCtrl)},
         "",
         " world",
         0,
         {0, 0},
         "hello"},
        {"paste inserts at the caret",
         "ab",
         1,
         {typed("v", kCtrl)},
         "\xE6\x97\xA5",
         "a\xE6\x97\xA5"
         "b",
         2,
         {2, 2},
         "\xE6\x97\xA5"},
        {"paste replaces the selection",
         "hello",
         0,
         {typed("a", kCtrl), typed("v", kCtrl)},
         "bye",
         "bye",
         3,
         {3, 3},
         "bye"},
        {"pasted line breaks become spaces",
         "",
         0,
         {typed("v", kCtrl)},
         "a\r\nb\tc\nd\x07",
         "a b c d",
         7,
         {7, 7},
         "a\r\nb\tc\nd\x07"},
        {"paste of an empty clipboard changes nothing",
         "ab",
         1,
         {typed("v", kCtrl)},
         "",
         "ab",
         1,
         {1, 1},
         ""},
        {"an input method commit goes in at the caret",
         "ab",
         1,
         {commit("\xE6\x97\xA5\xE6\x9C\xAC")},
         "",
         "a\xE6\x97\xA5\xE6\x9C\xAC"
         "b",
         3,
         {3, 3},
         ""},
        {"a commit replaces the selection",
         "abc",
         3,
         {named(NamedKey::Home, kShift), commit("\xC3\xA9")},
         "",
         "\xC3\xA9",
         1,
         {1, 1},
         ""},
        {"key releases do nothing",
         "ab",
         1,
         {[] {
             KeyEvent e = std::get<KeyEvent>(typed("x"));
             e.pressed = false;
             return InputEvent(e);
         }()},
         "",
         "ab",
         1,
         {1, 1},
         ""},
    };
}

TEST(TextInputEditing, KeysClipboardAndCommits) {
    for (const EditCase& c : edit_cases()) {
        SCOPED_TRACE(c.name);
        TextInput input = TextInput::local();
        input.set_text(c.text);
        input.set_cursor_pos(c.caret);
        input.set_focused(true);
        MemoryClipboard clip;
        clip.set_text(c.clip_before);
        for (const InputEvent& e : c.events) {
            input.handle_event(e, clip);
        }
        EXPECT_EQ(input.text(), c.want_text);
        EXPECT_EQ(input.cursor_pos(), c.want_caret);
        EXPECT_EQ(input.selection(), c.want_selection);
        EXPECT_EQ(clip.text(), c.want_clip);
    }
}

struct FlagCase {
    const char* name;
    bool focused;
    InputEvent event;
    bool consumed;
    bool changed;
};

TEST(TextInputEditing, ReportsWhetherTheEventWasUsedAndTheTextChanged) {
    const FlagCase cases[] = {
        {"typing changes", true, typed("x"), true, true},
        {"moving is used but changes nothing", true, named(NamedKey::ArrowLeft), true, false},
        {"backspace at the start changes nothing", true, named(NamedKey::Home), true, false},
        {"enter belongs to the owner", true, named(NamedKey::Enter), false, false},
        {"tab belongs to the owner", true, named(NamedKey::Tab), false, false},
        {"escape belongs to the owner", true, named(NamedKey::Escape), false, false},
        {"arrow up belongs to the owner", true, named(NamedKey::ArrowUp), false, false},
        {"unknown ctrl shortcut belongs to the owner", true, typed("n", kCtrl), false, false},
        {"unfocused fields ignore keys", false, typed("x"), false, false},
        {"unfocused fields ignore commits", false, commit("x"), false, false},
        {"focused fields take commits", true, commit("x"), true, true},
    };
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.name);
        TextInput input = TextInput::local();
        input.set_text("ab");
        input.set_cursor_pos(1);
        input.set_focused(c.focused);
        MemoryClipboard clip;
        const auto r = input.handle_event(c.event, clip);
        EXPECT_EQ(r.consumed, c.consumed);
        EXPECT_EQ(r.changed, c.changed);
        EXPECT_EQ(input.text() != "ab", c.changed);
    }
}

struct SetTextCase {
    const char* name;
    std::string before;
    std::size_t caret;
    bool select_to_start;
    std::string after;
    std::string want_text;
    std::size_t want_caret;
    std::pair<std::size_t, std::size_t> want_selection;
};

TEST(TextInputEditing, SetTextKeepsCaretAndSelectionInRange) {
    const SetTextCase cases[] = {
        {"shorter text clamps the caret", "hello", 5, false, "hi", "hi", 2, {2, 2}},
        {"longer text keeps the position", "hi", 1, false, "hello", "hello", 1, {1, 1}},
        {"caret counts characters, not bytes",
         "abc",
         2,
         false,
         "\xE6\x97\xA5\xE6\x9C\xAC",
         "\xE6\x97\xA5\xE6\x9C\xAC",
         2,
         {2, 2}},
        {"selection is clamped too", "hello", 5, true, "hey", "hey", 0, {0, 3}},
        {"empty text", "hello", 3, true, "", "", 0, {0, 0}},
        {"invalid bytes become replacement characters",
         "",
         0,
         false,
         "a\xFF"
         "b\xC3",
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD",
         0,
         {0, 0}},
    };
    for (const SetTextCase& c : cases) {
        SCOPED_TRACE(c.name);
        TextInput input = TextInput::local();
        input.set_text(c.before);
        input.set_cursor_pos(c.caret);
        input.set_focused(true);
        MemoryClipboard clip;
        if (c.select_to_start) {
            input.handle_event(named(NamedKey::Home, kShift), clip);
        }
        input.set_text(c.after);
        EXPECT_EQ(input.text(), c.want_text);
        EXPECT_EQ(input.cursor_pos(), c.want_caret);
        EXPECT_EQ(input.selection(), c.want_selection);
    }
}

TEST(TextInputEditing, CursorPositionIsClampedAndClearsTheSelection) {
    TextInput input = TextInput::local().with_placeholder("hostname or IP");
    EXPECT_EQ(input.placeholder(), "hostname or IP");
    input.set_placeholder("certified Orvo endpoint id");
    EXPECT_EQ(input.placeholder(), "certified Orvo endpoint id");
    input.set_text("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    input.set_cursor_pos(100);
    EXPECT_EQ(input.cursor_pos(), 3u);
    input.set_focused(true);
    MemoryClipboard clip;
    input.handle_event(typed("a", kCtrl), clip);
    input.set_cursor_pos(1);
    EXPECT_EQ(input.selection(), (std::pair<std::size_t, std::size_t>{1, 1}));
    input.handle_event(typed("x"), clip);
    EXPECT_EQ(input.text(), "\xE6\x97\xA5x\xE6\x9C\xAC\xE8\xAA\x9E");
}

struct LimitCase {
    const char* name;
    std::size_t filled;  // bytes already in the field, caret at the end
    std::string pasted;
    std::string want_added;
};

TEST(TextInputEditing, PastesStopAtTheFieldLimitOnACharacterBoundary) {
    using orvo_ui::widget::line_edit::kMaxInsertedBytes;
    const LimitCase cases[] = {
        {"fits exactly", kMaxInsertedBytes - 2, "\xC3\xA9", "\xC3\xA9"},
        {"a character that would straddle the limit is left out", kMaxInsertedBytes - 1, "\xC3\xA9",
         ""},
        {"the part that fits goes in", kMaxInsertedBytes - 3, "ab\xC3\xA9", "ab"},
        {"a full field takes nothing", kMaxInsertedBytes, "x", ""},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        TextInput input = TextInput::local();
        const std::string before(c.filled, 'a');
        input.set_text(before);
        input.set_cursor_pos(before.size());
        input.set_focused(true);
        MemoryClipboard clip;
        clip.set_text(c.pasted);
        input.handle_event(typed("v", kCtrl), clip);
        EXPECT_EQ(input.text(), before + c.want_added);
    }
}

TEST(TextInputEditing, PastingTheFieldIntoItselfStaysBounded) {
    TextInput input = TextInput::local();
    input.set_text(std::string(1000, 'x'));
    input.set_focused(true);
    MemoryClipboard clip;
    for (int round = 0; round < 20; ++round) {
        input.handle_event(typed("a", kCtrl), clip);
        input.handle_event(typed("c", kCtrl), clip);
        for (int i = 0; i < 5; ++i) {
            input.handle_event(typed("v", kCtrl), clip);
        }
    }
    EXPECT_EQ(input.text().size(), orvo_ui::widget::line_edit::kMaxInsertedBytes);
}

TEST(TextInputEditing, TextSetByTheProgramIsNeverCut) {
    TextInput input = TextInput::local();
    const std::string long_text(orvo_ui::widget::line_edit::kMaxInsertedBytes + 10, 'n');
    input.set_text(long_text);
    EXPECT_EQ(input.text(), long_text);
}

class TextInputDrawing : public ::testing::Test, private ui_test::WithGuiApp {
  protected:
    void SetUp() override { ui_test::gui_app(); }

    void draw(TextInput& input) {
        QPainter painter(&image_);
        orvo_ui::Canvas canvas(painter);
        input.draw(canvas, text_, colors_);
    }

    QImage image_{QImage(320, 60, QImage::Format_ARGB32_Premultiplied)};
    orvo_ui::text_render::TextRenderer text_;
    orvo_ui::tokens::colors::Colors colors_;
    MemoryClipboard clip_;
};

TEST_F(TextInputDrawing, ScrollsToKeepTheCaretVisibleAndBackOnBlur) {
    TextInput input = TextInput::local();
    input.apply_layout_external(Rect::from_xywh(10, 10, 120, 36));
    input.set_text("a-rather-long-hostname.example.internal");
    input.set_focused(true);
    input.set_cursor_pos(1000);
    draw(input);
    EXPECT_GT(input.scroll(), 0.0);
    const Rect field = input.rect();
    EXPECT_GE(input.caret_rect().left, field.left);
    EXPECT_LE(input.caret_rect().right, field.right);

    input.handle_event(named(NamedKey::Home), clip_);
    draw(input);
    EXPECT_EQ(input.scroll(), 0.0);
    EXPECT_NEAR(input.caret_rect().left, field.left + TextInput::kPadding, 0.01);

    input.handle_event(named(NamedKey::End), clip_);
    draw(input);
    EXPECT_GT(input.scroll(), 0.0);
    input.handle_event(named(NamedKey::Home, kShift), clip_);
    input.set_focused(false);
    EXPECT_EQ(input.scroll(), 0.0);
    EXPECT_EQ(input.selection().first, input.selection().second);

    // Deleting everything at the end pulls the text back: no empty scrolled field.
    input.set_focused(true);
    input.set_cursor_pos(1000);
    draw(input);
    input.handle_event(typed("a", kCtrl), clip_);
    input.handle_event(named(NamedKey::Backspace), clip_);
    draw(input);
    EXPECT_EQ(input.scroll(), 0.0);
}

TEST_F(TextInputDrawing, PointerPlacesCaretAndDragSelects) {
    TextInput input = TextInput::local();
    input.apply_layout_external(Rect::from_xywh(10, 10, 300, 36));
    input.set_text("hello world");
    input.set_focused(true);
    draw(input);
    const double left = 10 + TextInput::kPadding;
    const double after_hello = left + text_.measure("hello", input.text_size());

    orvo_ui::PointerButtonEvent press{
        {after_hello + 1, 28}, orvo_ui::PointerButton::Left, true, kNone};
    EXPECT_TRUE(input.handle_event(press, clip_).consumed);
    EXPECT_EQ(input.cursor_pos(), 5u);
    EXPECT_TRUE(input.handle_event(orvo_ui::PointerMoved{{400, 28}}, clip_).consumed);
    orvo_ui::PointerButtonEvent release{{400, 28}, orvo_ui::PointerButton::Left, false, kNone};
    EXPECT_TRUE(input.handle_event(release, clip_).consumed);
    EXPECT_EQ(input.selected_text(), " world");
    // Moves after the drag no longer select.
    EXPECT_FALSE(input.handle_event(orvo_ui::PointerMoved{{left, 28}}, clip_).consumed);

    // A lone release (the owner forwards the click that focused the field) places the caret.
    orvo_ui::PointerButtonEvent click{{left + 0.5, 28}, orvo_ui::PointerButton::Left, false, kNone};
    EXPECT_TRUE(input.handle_event(click, clip_).consumed);
    EXPECT_EQ(input.cursor_pos(), 0u);
    EXPECT_EQ(input.selected_text(), "");

    orvo_ui::PointerButtonEvent outside{{5, 5}, orvo_ui::PointerButton::Left, true, kNone};
    EXPECT_FALSE(input.handle_event(outside, clip_).consumed);
    orvo_ui::PointerButtonEvent right{{left, 28}, orvo_ui::PointerButton::Right, true, kNone};
    EXPECT_FALSE(input.handle_event(right, clip_).consumed);
}

TEST_F(TextInputDrawing, FocusRingAndPlaceholderArePainted) {
    image_.fill(QColor(0x0F, 0x11, 0x15));
    TextInput input = TextInput::local().with_placeholder("Search machines\xE2\x80\xA6");
    input.apply_layout_external(Rect::from_xywh(10, 10, 300, 36));
    draw(input);
    const auto at = [&](int x, int y) { return image_.pixel(x, y); };
    const QRgb border = qRgb(colors_.border.r, colors_.border.g, colors_.border.b);
    EXPECT_EQ(at(160, 10), border);
    // The placeholder inks muted pixels inside the field.
    int muted = 0;
    for (int x = 22; x < 140; ++x) {
        for (int y = 14; y < 42; ++y) {
            muted += at(x, y) != qRgb(colors_.surface.r, colors_.surface.g, colors_.surface.b);
        }
    }
    EXPECT_GT(muted, 50);

    input.set_focused(true);
    draw(input);
    const QRgb accent = qRgb(colors_.accent.r, colors_.accent.g, colors_.accent.b);
    EXPECT_EQ(at(160, 10), accent);
    EXPECT_EQ(at(160, 11), accent);  // 2 px ring
    EXPECT_NE(at(160, 12), accent);
}

TEST_F(TextInputDrawing, SystemClipboardCarriesUnicodeBothWays) {
    orvo_ui::widget::clipboard::QtClipboard system;
    TextInput input = TextInput::local();
    input.set_text("caf\xC3\xA9 \xE6\x97\xA5");
    input.set_focused(true);
    input.handle_event(typed("a", kCtrl), system);
    input.handle_event(typed("c", kCtrl), system);
    EXPECT_EQ(system.text(), "caf\xC3\xA9 \xE6\x97\xA5");
    system.set_text("x\xE2\x82\xACy");
    input.handle_event(typed("v", kCtrl), system);
    EXPECT_EQ(input.text(), "x\xE2\x82\xACy");
}

}  // namespace
