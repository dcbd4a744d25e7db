// Pointer and keyboard input that the shell handles itself: hit regions and text editing.

#include "app/remote_app.hpp"
#include "session/session_input.hpp"

namespace remote {
namespace {

// Keys the shell keeps even from a live session: its Ctrl bindings and Escape in fullscreen.
bool shell_keeps_key(const orvo_ui::KeyEvent& key, bool fullscreen) {
    if (key.key == orvo_ui::NamedKey::Escape) {
        return fullscreen;
    }
    if (!(key.modifiers.ctrl || key.modifiers.command) || key.key != orvo_ui::NamedKey::None) {
        return false;
    }
    return key.character == "n" || key.character == "N" || key.character == "f" ||
           key.character == "F" || key.character == "w" || key.character == "W";
}

}  // namespace

void RemoteApp::input_event(const orvo_ui::InputEvent& event) {
    if (const auto* moved = std::get_if<orvo_ui::PointerMoved>(&event)) {
        if (!(moved->position == pointer)) {
            pointer = moved->position;
            needs_redraw_flag = true;
            if (!confirmation) {
                route_pointer_moved(session_fields(), pointer);
            }
        }
        return;
    }
    if (const auto* button = std::get_if<orvo_ui::PointerButtonEvent>(&event)) {
        pointer = button->position;
        if (!confirmation) {
            route_pointer_button(session_fields(), pointer, button->button, button->pressed);
        }
        if (!button->pressed || button->button != orvo_ui::PointerButton::Left) {
            return;
        }
        // Regions drawn later lie on top: walk from the last to the first.
        for (auto it = hit_regions.rbegin(); it != hit_regions.rend(); ++it) {
            if (it->rect.contains(button->position)) {
                const ShellMessage message = it->message;
                handle(message);
                return;
            }
        }
        return;
    }
    if (const auto* key = std::get_if<orvo_ui::KeyEvent>(&event)) {
        // A connected SSH or VNC session takes keys in the session view, after the shell's
        // own bindings.
        if (!confirmation && view.is<AppView::Session>() && !shell_keeps_key(*key, fullscreen) &&
            route_session_key(session, *key)) {
            return;
        }
    }
    if (!focused_field) {
        return;
    }
    // Text editing in the focused field; the model holds the authoritative text.
    const FieldId field = *focused_field;
    auto& widget = input(field);
    const std::string before = widget.text();
    widget.handle_event(event, *clipboard);
    if (widget.text() == before) {
        return;
    }
    needs_redraw_flag = true;
    if (field != FieldId::Port) {
        model_text(field) = widget.text();
        return;
    }
    // The port field keeps ASCII digits only.
    std::string digits;
    for (char c : widget.text()) {
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    }
    model_text(field) = digits;
    if (digits != widget.text()) {
        widget.set_text(digits);
        widget.set_cursor_pos(digits.size());
    }
}

}  // namespace remote
