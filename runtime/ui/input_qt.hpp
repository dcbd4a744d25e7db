#pragma once
// Turns the window system's Qt events into the application's InputEvent values.

#include <optional>

#include "runtime/ui/input.hpp"
#include "runtime/ui/key_codes.hpp"

class QEvent;
class QInputMethodEvent;
class QInputMethodQueryEvent;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace orvo_ui {

// Press, release, double click (reported as a press) and move; nothing for other types.
std::optional<InputEvent> input_from_qt_mouse(const QMouseEvent& event);

// Pixel deltas when the device reports them (touchpads), else lines: one notch is 120
// eighths of a degree. `scale` is the window's device pixel ratio.
std::optional<InputEvent> input_from_qt_wheel(const QWheelEvent& event, double scale);

// Physical code from the native scan code (X keycodes are evdev codes plus 8); events
// without a scan code (synthesised ones) get the code of the key on a US layout. The produced
// text never holds control characters: Enter, Tab or Escape produce none, and a character key
// held with Ctrl produces its own character (Ctrl+C gives "c", not 0x03).
std::optional<InputEvent> input_from_qt_key(const QKeyEvent& event);

// Only committed text; nothing when the event carries only a preedit string.
std::optional<InputEvent> input_from_qt_input_method(const QInputMethodEvent& event);

// Answers an input method's query for the window: whether text input is accepted (a text
// field has focus) and where the caret is, in logical pixels, so that the candidate window
// opens next to it. Without this answer Qt sends no QInputMethodEvent at all.
void answer_input_method_query(QInputMethodQueryEvent& query, bool accepts_text, Rect caret);

// Dispatches on the event type; nothing for events that are not input.
std::optional<InputEvent> input_from_qt(const QEvent& event, double scale);

// The logical named key of a Qt::Key value; NamedKey::None for character keys and
// NamedKey::Other for keys without a name of ours.
NamedKey named_key_from_qt(int qt_key);

}  // namespace orvo_ui
