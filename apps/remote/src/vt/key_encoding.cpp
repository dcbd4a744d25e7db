#include "vt/key_encoding.hpp"

namespace remote {

namespace {

bool is_ascii_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Fixed sequences of the named keys that have one; nullptr for the others.
const char* named_key_bytes(orvo_ui::NamedKey key) {
    using orvo_ui::NamedKey;
    switch (key) {
        case NamedKey::Enter:
            return "\r";
        case NamedKey::Tab:
            return "\t";
        case NamedKey::Space:
            return " ";
        case NamedKey::Backspace:
            return "\x7f";
        case NamedKey::Escape:
            return "\x1b";
        case NamedKey::ArrowUp:
            return "\x1b[A";
        case NamedKey::ArrowDown:
            return "\x1b[B";
        case NamedKey::ArrowRight:
            return "\x1b[C";
        case NamedKey::ArrowLeft:
            return "\x1b[D";
        case NamedKey::Home:
            return "\x1b[H";
        case NamedKey::End:
            return "\x1b[F";
        case NamedKey::Delete:
            return "\x1b[3~";
        default:
            return nullptr;
    }
}

}  // namespace

std::string encode_key(const orvo_ui::KeyEvent& event) {
    if (!event.pressed) {
        return {};
    }
    if (event.key != orvo_ui::NamedKey::None) {
        if (const char* bytes = named_key_bytes(event.key)) {
            return bytes;
        }
        return event.text;
    }
    if (event.modifiers.ctrl && !event.character.empty() && is_ascii_letter(event.character[0])) {
        return std::string(1, static_cast<char>(event.character[0] & 0x1F));
    }
    if (!event.text.empty()) {
        return event.text;
    }
    return event.character;
}

}  // namespace remote
