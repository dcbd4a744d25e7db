#pragma once
// The terminal's 16 indexed colours and its default foreground and background.

#include <array>

#include "runtime/ui/color.hpp"

namespace orvo_ui::tokens::terminal_palette {

struct TerminalPalette {
    // 0-7 normal (black, red, green, yellow, blue, magenta, cyan, white), 8-15 bright.
    std::array<Color, 16> colors{};
    Color foreground;
    Color background;

    static TerminalPalette dark() {
        TerminalPalette p;
        p.colors = {
            Color::hex(0x1C1F26), Color::hex(0xF85149), Color::hex(0x3FB950), Color::hex(0xD29922),
            Color::hex(0x4F8CFF), Color::hex(0xBC8CFF), Color::hex(0x39C5CF), Color::hex(0xC9D1D9),
            Color::hex(0x6E7681), Color::hex(0xFF7B72), Color::hex(0x56D364), Color::hex(0xE3B341),
            Color::hex(0x79A8FF), Color::hex(0xD2A8FF), Color::hex(0x56D4DD), Color::hex(0xF0F3F6)};
        p.foreground = Color::hex(0xE6E9EF);
        p.background = Color::hex(0x0B0D11);
        return p;
    }

    // Indexed colour, or the foreground for an index outside 0-15.
    Color indexed(int index) const {
        if (index < 0 || index >= static_cast<int>(colors.size())) {
            return foreground;
        }
        return colors[static_cast<std::size_t>(index)];
    }
};

}  // namespace orvo_ui::tokens::terminal_palette
