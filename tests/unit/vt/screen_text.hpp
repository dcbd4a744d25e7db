#pragma once
// Helpers that show a terminal screen as text, so that tests can compare grids at a glance.

#include <string>
#include <vector>

#include "vt/terminal_screen.hpp"

namespace remote::test {

inline void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One row as UTF-8 with trailing blanks removed.
inline std::string row_text(const TerminalScreen& screen, std::size_t row) {
    std::string out;
    for (const Cell& cell : screen.rows()[row]) {
        append_utf8(out, cell.character);
    }
    out.erase(out.find_last_not_of(' ') + 1);
    return out;
}

inline std::vector<std::string> grid_text(const TerminalScreen& screen) {
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < screen.row_count(); ++r) {
        rows.push_back(row_text(screen, r));
    }
    return rows;
}

}  // namespace remote::test
