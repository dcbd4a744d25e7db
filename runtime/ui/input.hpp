#pragma once
// Input events as the application sees them, independent of the window system.

#include <cstdint>
#include <string>
#include <variant>

#include "runtime/ui/geometry.hpp"

namespace orvo_ui {

struct Modifiers {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    bool command = false;  // the "super"/logo key
    bool operator==(const Modifiers&) const = default;
};

enum class PointerButton { Left, Right, Middle, Other };

struct PointerMoved {
    Point position;
};

struct PointerButtonEvent {
    Point position;
    PointerButton button = PointerButton::Left;
    bool pressed = true;
    Modifiers modifiers;
};

// Wheel delta: lines (a mouse wheel notch is one line) or pixels (touchpads), positive y
// scrolls the content up (the wheel turned away from the user).
struct WheelEvent {
    Point position;
    enum class Unit { Lines, Pixels } unit = Unit::Lines;
    double dx = 0.0;
    double dy = 0.0;
    double scale = 1.0;  // display scale, device pixels per logical pixel
    Modifiers modifiers;
};

// Named keys that produce no character of their own.
enum class NamedKey {
    None,  // the key is a character key: see KeyEvent::character
    Enter,
    Tab,
    Backspace,
    Escape,
    Delete,
    Insert,
    Home,
    End,
    PageUp,
    PageDown,
    ArrowUp,
    ArrowDown,
    ArrowLeft,
    ArrowRight,
    Space,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
    Shift,
    Control,
    Alt,
    Meta,
    CapsLock,
    Other,
};

struct KeyEvent {
    bool pressed = true;
    // Physical key as the UI Events "code" name ("KeyA", "Digit1", "ShiftLeft", "Enter"), or
    // empty when the key has no known position.
    std::string code;
    NamedKey key = NamedKey::None;
    std::string character;  // the logical character (UTF-8) when key == NamedKey::None
    std::string text;       // the text the key produced, empty for none
    Modifiers modifiers;
    bool repeat = false;
};

// Text committed by an input method (a composed character, a pasted phrase from an IME).
struct TextCommitted {
    std::string text;
};

using InputEvent =
    std::variant<PointerMoved, PointerButtonEvent, WheelEvent, KeyEvent, TextCommitted>;

}  // namespace orvo_ui
