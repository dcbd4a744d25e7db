#include "runtime/ui/input_qt.hpp"

#include <QEvent>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRectF>
#include <QString>
#include <QWheelEvent>

#include <string>

namespace orvo_ui {
namespace {

// Qt numbers its non-character keys from here on.
constexpr int kFirstSpecialKey = 0x01000000;

Modifiers modifiers_from_qt(Qt::KeyboardModifiers m) {
    Modifiers out;
    out.ctrl = m.testFlag(Qt::ControlModifier);
    out.shift = m.testFlag(Qt::ShiftModifier);
    out.alt = m.testFlag(Qt::AltModifier);
    out.command = m.testFlag(Qt::MetaModifier);
    return out;
}

PointerButton button_from_qt(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton:
            return PointerButton::Left;
        case Qt::RightButton:
            return PointerButton::Right;
        case Qt::MiddleButton:
            return PointerButton::Middle;
        default:
            return PointerButton::Other;
    }
}

// Control characters (C0, DEL, C1) are not text a key "produces": Enter reports "\r" in Qt,
// Ctrl+A reports 0x01; the named key, or the character, says what was pressed.
std::string printable_utf8(const QString& text) {
    QString kept;
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            continue;
        }
        kept.append(QString::fromUcs4(&c, 1));
    }
    return kept.toStdString();
}

std::string character_from_qt(int key, const std::string& text, bool shift) {
    if (!text.empty()) {
        return text;
    }
    if (key <= 0 || key >= kFirstSpecialKey || key < 0x20) {
        return {};
    }
    const auto c = static_cast<char32_t>(key);
    QString s = QString::fromUcs4(&c, 1);
    // Qt reports letters in upper case whatever the shift state.
    if (!shift) {
        s = s.toLower();
    }
    return s.toStdString();
}

std::string_view code_from_qt_key(int key) {
    static constexpr std::string_view kLetters[] = {
        "KeyA", "KeyB", "KeyC", "KeyD", "KeyE", "KeyF", "KeyG", "KeyH", "KeyI",
        "KeyJ", "KeyK", "KeyL", "KeyM", "KeyN", "KeyO", "KeyP", "KeyQ", "KeyR",
        "KeyS", "KeyT", "KeyU", "KeyV", "KeyW", "KeyX", "KeyY", "KeyZ"};
    static constexpr std::string_view kDigits[] = {"Digit0", "Digit1", "Digit2", "Digit3",
                                                   "Digit4", "Digit5", "Digit6", "Digit7",
                                                   "Digit8", "Digit9"};
    static constexpr std::string_view kFunctions[] = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                                      "F7", "F8", "F9", "F10", "F11", "F12"};
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return kLetters[key - Qt::Key_A];
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return kDigits[key - Qt::Key_0];
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        return kFunctions[key - Qt::Key_F1];
    }
    switch (key) {
        case Qt::Key_Space:
            return "Space";
        case Qt::Key_Return:
            return "Enter";
        case Qt::Key_Enter:
            return "NumpadEnter";
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return "Tab";
        case Qt::Key_Backspace:
            return "Backspace";
        case Qt::Key_Escape:
            return "Escape";
        case Qt::Key_Delete:
            return "Delete";
        case Qt::Key_Insert:
            return "Insert";
        case Qt::Key_Home:
            return "Home";
        case Qt::Key_End:
            return "End";
        case Qt::Key_PageUp:
            return "PageUp";
        case Qt::Key_PageDown:
            return "PageDown";
        case Qt::Key_Up:
            return "ArrowUp";
        case Qt::Key_Down:
            return "ArrowDown";
        case Qt::Key_Left:
            return "ArrowLeft";
        case Qt::Key_Right:
            return "ArrowRight";
        case Qt::Key_Shift:
            return "ShiftLeft";
        case Qt::Key_Control:
            return "ControlLeft";
        case Qt::Key_Alt:
            return "AltLeft";
        case Qt::Key_Meta:
            return "MetaLeft";
        case Qt::Key_CapsLock:
            return "CapsLock";
        default:
            return {};
    }
}

}  // namespace

NamedKey named_key_from_qt(int qt_key) {
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12) {
        return static_cast<NamedKey>(static_cast<int>(NamedKey::F1) + (qt_key - Qt::Key_F1));
    }
    switch (qt_key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return NamedKey::Enter;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return NamedKey::Tab;
        case Qt::Key_Backspace:
            return NamedKey::Backspace;
        case Qt::Key_Escape:
            return NamedKey::Escape;
        case Qt::Key_Delete:
            return NamedKey::Delete;
        case Qt::Key_Insert:
            return NamedKey::Insert;
        case Qt::Key_Home:
            return NamedKey::Home;
        case Qt::Key_End:
            return NamedKey::End;
        case Qt::Key_PageUp:
            return NamedKey::PageUp;
        case Qt::Key_PageDown:
            return NamedKey::PageDown;
        case Qt::Key_Up:
            return NamedKey::ArrowUp;
        case Qt::Key_Down:
            return NamedKey::ArrowDown;
        case Qt::Key_Left:
            return NamedKey::ArrowLeft;
        case Qt::Key_Right:
            return NamedKey::ArrowRight;
        case Qt::Key_Space:
            return NamedKey::Space;
        case Qt::Key_Shift:
            return NamedKey::Shift;
        case Qt::Key_Control:
            return NamedKey::Control;
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
            return NamedKey::Alt;
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
            return NamedKey::Meta;
        case Qt::Key_CapsLock:
            return NamedKey::CapsLock;
        default:
            break;
    }
    if (qt_key >= kFirstSpecialKey || qt_key <= 0) {
        return NamedKey::Other;
    }
    return NamedKey::None;
}

std::optional<InputEvent> input_from_qt_mouse(const QMouseEvent& event) {
    const Point p{event.position().x(), event.position().y()};
    switch (event.type()) {
        case QEvent::MouseMove:
            return PointerMoved{p};
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
            return PointerButtonEvent{p, button_from_qt(event.button()),
                                      event.type() != QEvent::MouseButtonRelease,
                                      modifiers_from_qt(event.modifiers())};
        default:
            return std::nullopt;
    }
}

std::optional<InputEvent> input_from_qt_wheel(const QWheelEvent& event, double scale) {
    WheelEvent out;
    out.position = {event.position().x(), event.position().y()};
    out.scale = scale;
    out.modifiers = modifiers_from_qt(event.modifiers());
    if (!event.pixelDelta().isNull()) {
        out.unit = WheelEvent::Unit::Pixels;
        out.dx = event.pixelDelta().x();
        out.dy = event.pixelDelta().y();
    } else {
        out.unit = WheelEvent::Unit::Lines;
        out.dx = event.angleDelta().x() / 120.0;
        out.dy = event.angleDelta().y() / 120.0;
    }
    if (out.dx == 0.0 && out.dy == 0.0) {
        return std::nullopt;
    }
    return out;
}

std::optional<InputEvent> input_from_qt_key(const QKeyEvent& event) {
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease) {
        return std::nullopt;
    }
    KeyEvent out;
    out.pressed = event.type() == QEvent::KeyPress;
    out.repeat = event.isAutoRepeat();
    out.modifiers = modifiers_from_qt(event.modifiers());
    const quint32 scan = event.nativeScanCode();
    out.code = std::string(scan >= 8 ? code_from_evdev(scan - 8) : code_from_qt_key(event.key()));
    out.text = printable_utf8(event.text());
    out.key = named_key_from_qt(event.key());
    if (out.key == NamedKey::Other && !out.text.empty() &&
        (event.key() == Qt::Key_unknown || event.key() == 0)) {
        // A key Qt cannot name that still types something (an unusual layout symbol).
        out.key = NamedKey::None;
    }
    if (out.key == NamedKey::None) {
        out.character = character_from_qt(event.key(), out.text, out.modifiers.shift);
        // A character key held with Ctrl still produces its character (Ctrl+C produces "c",
        // as Ctrl+1 already produces "1" in Qt); what Ctrl means is the receiver's business.
        if (out.text.empty() && out.modifiers.ctrl) {
            out.text = out.character;
        }
    }
    return out;
}

std::optional<InputEvent> input_from_qt_input_method(const QInputMethodEvent& event) {
    if (event.commitString().isEmpty()) {
        return std::nullopt;
    }
    return TextCommitted{event.commitString().toStdString()};
}

void answer_input_method_query(QInputMethodQueryEvent& query, bool accepts_text, Rect caret) {
    const Qt::InputMethodQueries asked = query.queries();
    if (asked.testFlag(Qt::ImEnabled)) {
        query.setValue(Qt::ImEnabled, accepts_text);
    }
    if (asked.testFlag(Qt::ImCursorRectangle)) {
        query.setValue(Qt::ImCursorRectangle,
                       QRectF(caret.left, caret.top, caret.width(), caret.height()));
    }
    if (asked.testFlag(Qt::ImHints)) {
        query.setValue(Qt::ImHints, static_cast<int>(Qt::ImhNoPredictiveText));
    }
    query.accept();
}

std::optional<InputEvent> input_from_qt(const QEvent& event, double scale) {
    switch (event.type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
            return input_from_qt_mouse(static_cast<const QMouseEvent&>(event));
        case QEvent::Wheel:
            return input_from_qt_wheel(static_cast<const QWheelEvent&>(event), scale);
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return input_from_qt_key(static_cast<const QKeyEvent&>(event));
        case QEvent::InputMethod:
            return input_from_qt_input_method(static_cast<const QInputMethodEvent&>(event));
        default:
            return std::nullopt;
    }
}

}  // namespace orvo_ui
