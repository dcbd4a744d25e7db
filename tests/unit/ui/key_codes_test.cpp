#include "runtime/ui/key_codes.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct CodeCase {
    std::uint32_t evdev;
    const char* code;
};

// Values from linux/input-event-codes.h; the device table of the application relies on the
// letters, digits, modifiers and arrows among them.
constexpr CodeCase kCases[] = {
    {1, "Escape"},
    {2, "Digit1"},
    {10, "Digit9"},
    {11, "Digit0"},
    {12, "Minus"},
    {13, "Equal"},
    {14, "Backspace"},
    {15, "Tab"},
    {16, "KeyQ"},
    {26, "BracketLeft"},
    {27, "BracketRight"},
    {28, "Enter"},
    {29, "ControlLeft"},
    {30, "KeyA"},
    {39, "Semicolon"},
    {40, "Quote"},
    {41, "Backquote"},
    {42, "ShiftLeft"},
    {43, "Backslash"},
    {44, "KeyZ"},
    {46, "KeyC"},
    {48, "KeyB"},
    {50, "KeyM"},
    {51, "Comma"},
    {52, "Period"},
    {53, "Slash"},
    {54, "ShiftRight"},
    {55, "NumpadMultiply"},
    {56, "AltLeft"},
    {57, "Space"},
    {58, "CapsLock"},
    {59, "F1"},
    {68, "F10"},
    {87, "F11"},
    {88, "F12"},
    {71, "Numpad7"},
    {82, "Numpad0"},
    {83, "NumpadDecimal"},
    {96, "NumpadEnter"},
    {97, "ControlRight"},
    {98, "NumpadDivide"},
    {100, "AltRight"},
    {102, "Home"},
    {103, "ArrowUp"},
    {104, "PageUp"},
    {105, "ArrowLeft"},
    {106, "ArrowRight"},
    {107, "End"},
    {108, "ArrowDown"},
    {109, "PageDown"},
    {110, "Insert"},
    {111, "Delete"},
    {125, "MetaLeft"},
    {126, "MetaRight"},
    {0, ""},
    {84, ""},
    {128, ""},
    {0xFFFFFFFF, ""},
};

TEST(CodeFromEvdev, NamesKnownKeysAndNothingElse) {
    for (const CodeCase& c : kCases) {
        EXPECT_EQ(orvo_ui::code_from_evdev(c.evdev), c.code) << "evdev " << c.evdev;
    }
}

// The letter row order is the easiest place to slip: every letter appears exactly once.
TEST(CodeFromEvdev, EveryLetterAndDigitHasExactlyOneCode) {
    std::set<std::string> seen;
    for (std::uint32_t e = 0; e < 256; ++e) {
        const std::string code(orvo_ui::code_from_evdev(e));
        if (code.empty()) {
            continue;
        }
        EXPECT_TRUE(seen.insert(code).second) << "duplicate " << code;
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        EXPECT_EQ(seen.count(std::string("Key") + c), 1u) << c;
    }
    for (char c = '0'; c <= '9'; ++c) {
        EXPECT_EQ(seen.count(std::string("Digit") + c), 1u) << c;
    }
}

}  // namespace
