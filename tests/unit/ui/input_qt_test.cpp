#include "runtime/ui/input_qt.hpp"

#include <gtest/gtest.h>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "gui_app.hpp"

namespace {

using orvo_ui::InputEvent;
using orvo_ui::KeyEvent;
using orvo_ui::NamedKey;

class InputQt : public ::testing::Test {
  protected:
    void SetUp() override { ui_test::gui_app(); }
};

struct KeyCase {
    const char* name;
    QEvent::Type type;
    int qt_key;
    Qt::KeyboardModifiers mods;
    QString text;
    quint32 scan;  // X keycode (evdev + 8), 0 for none
    bool autorep;
    // expected
    bool pressed;
    const char* code;
    NamedKey key;
    const char* character;
    const char* produced;
    bool ctrl, shift, alt, command;
};

const KeyCase kKeyCases[] = {
    {"plain letter", QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a", 38, false, true, "KeyA",
     NamedKey::None, "a", "a", false, false, false, false},
    {"shifted letter", QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, "A", 38, false, true, "KeyA",
     NamedKey::None, "A", "A", false, true, false, false},
    {"ctrl letter produces the letter, not a control character", QEvent::KeyPress, Qt::Key_C,
     Qt::ControlModifier, QString(QChar(3)), 54, false, true, "KeyC", NamedKey::None, "c", "c",
     true, false, false, false},
    {"ctrl bracket produces the bracket", QEvent::KeyPress, Qt::Key_BracketLeft,
     Qt::ControlModifier, QString(QChar(0x1B)), 34, false, true, "BracketLeft", NamedKey::None, "[",
     "[", true, false, false, false},
    {"release", QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a", 38, false, false, "KeyA",
     NamedKey::None, "a", "a", false, false, false, false},
    {"enter is named and produces no text", QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r",
     36, false, true, "Enter", NamedKey::Enter, "", "", false, false, false, false},
    {"keypad enter", QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier, "\r", 104, false, true,
     "NumpadEnter", NamedKey::Enter, "", "", false, false, false, false},
    {"shift tab", QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier, "", 23, false, true, "Tab",
     NamedKey::Tab, "", "", false, true, false, false},
    {"space", QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", 65, false, true, "Space",
     NamedKey::Space, "", " ", false, false, false, false},
    {"arrow with repeat", QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier, "", 113, true, true,
     "ArrowLeft", NamedKey::ArrowLeft, "", "", false, false, false, false},
    {"f5", QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, "", 71, false, true, "F5", NamedKey::F5,
     "", "", false, false, false, false},
    {"f12", QEvent::KeyPress, Qt::Key_F12, Qt::NoModifier, "", 96, false, true, "F12",
     NamedKey::F12, "", "", false, false, false, false},
    // Qt reports the modifier state after a modifier key's own press.
    {"right shift alone", QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier, "", 62, false, true,
     "ShiftRight", NamedKey::Shift, "", "", false, true, false, false},
    {"right control", QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier, "", 105, false, true,
     "ControlRight", NamedKey::Control, "", "", true, false, false, false},
    {"altgr", QEvent::KeyPress, Qt::Key_AltGr, Qt::NoModifier, "", 108, false, true, "AltRight",
     NamedKey::Alt, "", "", false, false, false, false},
    {"super", QEvent::KeyPress, Qt::Key_Super_L, Qt::MetaModifier, "", 133, false, true, "MetaLeft",
     NamedKey::Meta, "", "", false, false, false, true},
    {"caps lock", QEvent::KeyPress, Qt::Key_CapsLock, Qt::NoModifier, "", 66, false, true,
     "CapsLock", NamedKey::CapsLock, "", "", false, false, false, false},
    {"accented letter on another layout", QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier,
     QString::fromUtf8("\xC3\xA9"), 11, false, true, "Digit2", NamedKey::None, "\xC3\xA9",
     "\xC3\xA9", false, false, false, false},
    {"numpad digit", QEvent::KeyPress, Qt::Key_7, Qt::KeypadModifier, "7", 79, false, true,
     "Numpad7", NamedKey::None, "7", "7", false, false, false, false},
    {"alt digit", QEvent::KeyPress, Qt::Key_1, Qt::AltModifier, "1", 10, false, true, "Digit1",
     NamedKey::None, "1", "1", false, false, true, false},
    {"unnamed special key", QEvent::KeyPress, Qt::Key_VolumeUp, Qt::NoModifier, "", 123, false,
     true, "", NamedKey::Other, "", "", false, false, false, false},
    {"unknown key that types", QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, "\xC2\xA7", 49,
     false, true, "Backquote", NamedKey::None, "\xC2\xA7", "\xC2\xA7", false, false, false, false},
    // Synthesised events carry no scan code: the key's US position is reported instead.
    {"synthesised letter", QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, "q", 0, false, true, "KeyQ",
     NamedKey::None, "q", "q", false, false, false, false},
    {"synthesised escape", QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b", 0, false, true,
     "Escape", NamedKey::Escape, "", "", false, false, false, false},
    {"synthesised ctrl+shift letter", QEvent::KeyPress, Qt::Key_N,
     Qt::ControlModifier | Qt::ShiftModifier, QString(QChar(14)), 0, false, true, "KeyN",
     NamedKey::None, "N", "N", true, true, false, false},
};

TEST_F(InputQt, KeyEventsCarryCodeKeyCharacterTextAndModifiers) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.name);
        QKeyEvent ev(c.type, c.qt_key, c.mods, c.scan, 0, 0, c.text, c.autorep);
        const auto out = orvo_ui::input_from_qt(ev, 1.0);
        ASSERT_TRUE(out.has_value());
        const auto* key = std::get_if<KeyEvent>(&*out);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->pressed, c.pressed);
        EXPECT_EQ(key->code, c.code);
        EXPECT_EQ(key->key, c.key);
        EXPECT_EQ(key->character, c.character);
        EXPECT_EQ(key->text, c.produced);
        EXPECT_EQ(key->repeat, c.autorep);
        EXPECT_EQ(key->modifiers, (orvo_ui::Modifiers{c.ctrl, c.shift, c.alt, c.command}));
    }
}

struct WheelCase {
    const char* name;
    QPoint pixel;
    QPoint angle;
    bool has_event;
    orvo_ui::WheelEvent::Unit unit;
    double dx, dy;
};

const WheelCase kWheelCases[] = {
    {"one notch away from the user",
     {},
     {0, 120},
     true,
     orvo_ui::WheelEvent::Unit::Lines,
     0.0,
     1.0},
    {"two notches towards the user",
     {},
     {0, -240},
     true,
     orvo_ui::WheelEvent::Unit::Lines,
     0.0,
     -2.0},
    {"half notch of a hi-res wheel", {}, {60, 0}, true, orvo_ui::WheelEvent::Unit::Lines, 0.5, 0.0},
    {"touchpad pixels win over angle",
     {3, -7},
     {24, -56},
     true,
     orvo_ui::WheelEvent::Unit::Pixels,
     3.0,
     -7.0},
    {"no movement at all", {}, {}, false, orvo_ui::WheelEvent::Unit::Lines, 0.0, 0.0},
};

TEST_F(InputQt, WheelUsesPixelsWhenPresentElseLines) {
    for (const WheelCase& c : kWheelCases) {
        SCOPED_TRACE(c.name);
        QWheelEvent ev(QPointF(10.5, 20.25), QPointF(10.5, 20.25), c.pixel, c.angle, Qt::NoButton,
                       Qt::ShiftModifier, Qt::NoScrollPhase, false);
        const auto out = orvo_ui::input_from_qt(ev, 2.0);
        ASSERT_EQ(out.has_value(), c.has_event);
        if (!out) {
            continue;
        }
        const auto* wheel = std::get_if<orvo_ui::WheelEvent>(&*out);
        ASSERT_NE(wheel, nullptr);
        EXPECT_EQ(wheel->unit, c.unit);
        EXPECT_DOUBLE_EQ(wheel->dx, c.dx);
        EXPECT_DOUBLE_EQ(wheel->dy, c.dy);
        EXPECT_DOUBLE_EQ(wheel->scale, 2.0);
        EXPECT_EQ(wheel->position, (orvo_ui::Point{10.5, 20.25}));
        EXPECT_TRUE(wheel->modifiers.shift);
    }
}

struct MouseCase {
    const char* name;
    QEvent::Type type;
    Qt::MouseButton button;
    bool is_move;
    orvo_ui::PointerButton expected_button;
    bool pressed;
};

const MouseCase kMouseCases[] = {
    {"left press", QEvent::MouseButtonPress, Qt::LeftButton, false, orvo_ui::PointerButton::Left,
     true},
    {"right release", QEvent::MouseButtonRelease, Qt::RightButton, false,
     orvo_ui::PointerButton::Right, false},
    {"middle double click is a press", QEvent::MouseButtonDblClick, Qt::MiddleButton, false,
     orvo_ui::PointerButton::Middle, true},
    {"back button", QEvent::MouseButtonPress, Qt::BackButton, false, orvo_ui::PointerButton::Other,
     true},
    {"move", QEvent::MouseMove, Qt::NoButton, true, orvo_ui::PointerButton::Left, false},
};

TEST_F(InputQt, MouseEventsKeepLogicalPositionAndButton) {
    for (const MouseCase& c : kMouseCases) {
        SCOPED_TRACE(c.name);
        QMouseEvent ev(c.type, QPointF(4.5, 7.25), QPointF(4.5, 7.25), c.button, c.button,
                       Qt::ControlModifier);
        const auto out = orvo_ui::input_from_qt(ev, 1.0);
        ASSERT_TRUE(out.has_value());
        if (c.is_move) {
            const auto* moved = std::get_if<orvo_ui::PointerMoved>(&*out);
            ASSERT_NE(moved, nullptr);
            EXPECT_EQ(moved->position, (orvo_ui::Point{4.5, 7.25}));
            continue;
        }
        const auto* b = std::get_if<orvo_ui::PointerButtonEvent>(&*out);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->button, c.expected_button);
        EXPECT_EQ(b->pressed, c.pressed);
        EXPECT_EQ(b->position, (orvo_ui::Point{4.5, 7.25}));
        EXPECT_TRUE(b->modifiers.ctrl);
    }
}

TEST_F(InputQt, InputMethodCommitBecomesTextAndPreeditIsIgnored) {
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC"));
    const auto out = orvo_ui::input_from_qt(commit, 1.0);
    ASSERT_TRUE(out.has_value());
    const auto* text = std::get_if<orvo_ui::TextCommitted>(&*out);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, "\xE6\x97\xA5\xE6\x9C\xAC");

    QInputMethodEvent preedit(QStringLiteral("ni"), {});
    EXPECT_FALSE(orvo_ui::input_from_qt(preedit, 1.0).has_value());

    QEvent other(QEvent::Show);
    EXPECT_FALSE(orvo_ui::input_from_qt(other, 1.0).has_value());
}

TEST_F(InputQt, InputMethodQueryIsAnsweredWithFocusAndCaret) {
    struct Case {
        bool accepts;
        orvo_ui::Rect caret;
    };
    const Case cases[] = {{true, {100, 20, 101.5, 41}}, {false, {0, 0, 0, 0}}};
    for (const Case& c : cases) {
        QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImCursorRectangle);
        orvo_ui::answer_input_method_query(query, c.accepts, c.caret);
        EXPECT_EQ(query.value(Qt::ImEnabled).toBool(), c.accepts);
        EXPECT_EQ(query.value(Qt::ImCursorRectangle).toRectF(),
                  QRectF(c.caret.left, c.caret.top, c.caret.width(), c.caret.height()));
        EXPECT_FALSE(query.value(Qt::ImHints).isValid());  // not asked, not answered
    }
}

}  // namespace
