// Each input is a script: one opcode byte, then, for text-carrying operations, a length byte
// and that many raw bytes (any bytes, valid UTF-8 or not).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/ui/utf8.hpp"
#include "runtime/ui/widget/text_input.hpp"
#include "runtime/ui/widget/utf8.hpp"

namespace {

using orvo_ui::InputEvent;
using orvo_ui::KeyEvent;
using orvo_ui::Modifiers;
using orvo_ui::NamedKey;
using orvo_ui::widget::clipboard::MemoryClipboard;
using orvo_ui::widget::text_input::TextInput;

constexpr NamedKey kKeys[] = {NamedKey::ArrowLeft, NamedKey::ArrowRight, NamedKey::Home,
                              NamedKey::End,       NamedKey::Backspace,  NamedKey::Delete,
                              NamedKey::Space,     NamedKey::Enter,      NamedKey::Tab};
constexpr const char* kShortcuts[] = {"a", "c", "x", "v", "z"};

void check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

void check_invariants(const TextInput& input) {
    namespace utf8 = orvo_ui::widget::utf8;
    const std::string& text = input.text();
    check(orvo_ui::utf8::valid(text));
    const std::size_t chars = utf8::char_count(text);
    check(input.cursor_pos() <= chars);
    const auto [start, end] = input.selection();
    check(start <= end && end <= chars);
    check(orvo_ui::utf8::valid(input.selected_text()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TextInput input = TextInput::local();
    input.set_focused(true);
    MemoryClipboard clipboard;
    std::size_t i = 0;
    auto take_text = [&]() {
        if (i >= size) {
            return std::string();
        }
        const std::size_t wanted = data[i++];
        const std::size_t len = std::min(wanted, size - i);
        std::string s(reinterpret_cast<const char*>(data + i), len);
        i += len;
        return s;
    };
    while (i < size) {
        const std::uint8_t op = data[i++];
        const Modifiers mods{(op & 0x10) != 0, (op & 0x20) != 0, false, false};
        switch (op & 0x0F) {
            case 0: {
                KeyEvent key;
                key.key = kKeys[(op >> 4) % std::size(kKeys)];
                key.modifiers = {(op & 0x40) != 0, (op & 0x80) != 0, false, false};
                input.handle_event(key, clipboard);
                break;
            }
            case 1: {
                KeyEvent key;
                key.text = take_text();
                key.character = key.text;
                key.modifiers = mods;
                input.handle_event(key, clipboard);
                break;
            }
            case 2: {
                KeyEvent key;
                key.character = kShortcuts[(op >> 4) % std::size(kShortcuts)];
                key.modifiers.ctrl = true;
                input.handle_event(key, clipboard);
                break;
            }
            case 3:
                input.handle_event(orvo_ui::TextCommitted{take_text()}, clipboard);
                break;
            case 4:
                clipboard.set_text(take_text());
                break;
            case 5:
                input.set_text(take_text());
                break;
            case 6:
                input.set_cursor_pos(i < size ? data[i++] : 0);
                break;
            case 7:
                input.set_focused((op & 0x10) != 0);
                break;
            default:
                break;
        }
        check_invariants(input);
    }
    return 0;
}
