// Bytes sent to the shell for key presses.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.hpp"
#include "vt/key_encoding.hpp"

namespace remote {
namespace {

using orvo_ui::KeyEvent;
using orvo_ui::Modifiers;
using orvo_ui::NamedKey;

KeyEvent named(NamedKey key, std::string text = "", Modifiers mods = {}) {
    KeyEvent e;
    e.key = key;
    e.text = std::move(text);
    e.modifiers = mods;
    return e;
}

KeyEvent character(std::string c, std::string text, Modifiers mods = {}) {
    KeyEvent e;
    e.key = NamedKey::None;
    e.character = std::move(c);
    e.text = std::move(text);
    e.modifiers = mods;
    return e;
}

constexpr Modifiers kCtrl{.ctrl = true};
constexpr Modifiers kShift{.shift = true};
constexpr Modifiers kAlt{.alt = true};
constexpr Modifiers kCtrlShift{.ctrl = true, .shift = true};

struct KeyCase {
    const char* name;
    KeyEvent event;
    std::string bytes;
};

std::ostream& operator<<(std::ostream& out, const KeyCase& c) {
    return out << c.name;
}

const std::vector<KeyCase> kKeyCases = {
    {"enter", named(NamedKey::Enter, "\r"), "\r"},
    {"enter_without_text", named(NamedKey::Enter), "\r"},
    {"tab", named(NamedKey::Tab, "\t"), "\t"},
    {"shift_tab_is_still_tab", named(NamedKey::Tab, "", kShift), "\t"},
    {"space", named(NamedKey::Space, " "), " "},
    {"ctrl_space_is_space", named(NamedKey::Space, "", kCtrl), " "},
    {"backspace_sends_delete", named(NamedKey::Backspace, "\b"), "\x7f"},
    {"escape", named(NamedKey::Escape, "\x1b"), "\x1b"},
    {"arrow_up", named(NamedKey::ArrowUp), "\x1b[A"},
    {"arrow_down", named(NamedKey::ArrowDown), "\x1b[B"},
    {"arrow_right", named(NamedKey::ArrowRight), "\x1b[C"},
    {"arrow_left", named(NamedKey::ArrowLeft), "\x1b[D"},
    {"shift_arrow_unchanged", named(NamedKey::ArrowLeft, "", kShift), "\x1b[D"},
    {"home", named(NamedKey::Home), "\x1b[H"},
    {"end", named(NamedKey::End), "\x1b[F"},
    {"delete", named(NamedKey::Delete, "\x7f"), "\x1b[3~"},
    {"ctrl_a", character("a", "\x01", kCtrl), "\x01"},
    {"ctrl_c_without_text", character("c", "", kCtrl), "\x03"},
    {"ctrl_z", character("z", "", kCtrl), "\x1a"},
    {"ctrl_upper_a", character("A", "", kCtrlShift), "\x01"},
    {"ctrl_upper_z", character("Z", "", kCtrlShift), "\x1a"},
    {"ctrl_letter_ignores_produced_text", character("d", "d", kCtrl), "\x04"},
    {"ctrl_digit_sends_text", character("2", "2", kCtrl), "2"},
    {"ctrl_digit_without_text_sends_character", character("2", "", kCtrl), "2"},
    {"ctrl_non_ascii_letter_sends_text", character("\xc3\xa9", "\xc3\xa9", kCtrl), "\xc3\xa9"},
    {"ctrl_bracket_is_not_a_letter", character("[", "", kCtrl), "["},
    {"letter_sends_text", character("a", "a"), "a"},
    {"shift_letter_sends_produced_text", character("a", "A", kShift), "A"},
    {"alt_letter_sends_produced_text", character("a", "a", kAlt), "a"},
    {"character_without_text_sends_character", character("q", ""), "q"},
    {"non_ascii_text", character("\xc3\xa9", "\xc3\xa9"), "\xc3\xa9"},
    {"dead_key_composition_text", character("`", "\xc3\xa0"), "\xc3\xa0"},
    {"empty_character_key_sends_nothing", character("", ""), ""},
    {"function_key_without_text_sends_nothing", named(NamedKey::F5), ""},
    {"page_up_sends_nothing", named(NamedKey::PageUp), ""},
    {"modifier_key_sends_nothing", named(NamedKey::Shift), ""},
    {"other_named_key_sends_its_text", named(NamedKey::Other, "\xe2\x82\xac"), "\xe2\x82\xac"},
};

class KeyEncodingTest : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyEncodingTest, PressSendsExpectedBytes) {
    EXPECT_EQ(encode_key(GetParam().event), GetParam().bytes);
}

TEST_P(KeyEncodingTest, ReleaseSendsNothing) {
    KeyEvent released = GetParam().event;
    released.pressed = false;
    EXPECT_EQ(encode_key(released), "");
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyEncodingTest, testing::ValuesIn(kKeyCases),
                         test::case_name<KeyCase>);

}  // namespace
}  // namespace remote
