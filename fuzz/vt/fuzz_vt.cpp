// Arbitrary bytes, fed whole and in arbitrary pieces, to a screen of arbitrary size. The screen
// must keep its shape, keep the cursor in range, store no control characters, and end the same
// however the input was cut.
//
// Input layout: columns byte, rows byte, split seed byte, then the terminal bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "vt/terminal_screen.hpp"

namespace {

void fail(const char* what) {
    std::fprintf(stderr, "terminal screen invariant broken: %s\n", what);
    std::abort();
}

bool valid_cell(const remote::Cell& cell) {
    const char32_t c = cell.character;
    const bool scalar = c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
    const bool control = c < 0x20 || (c >= 0x80 && c < 0xA0);
    const auto index = cell.color.palette_index();
    return scalar && !control && (!index || *index < 16);
}

void check(const remote::TerminalScreen& screen, std::size_t columns, std::size_t rows) {
    if (screen.columns() != columns || screen.row_count() != rows) {
        fail("size changed");
    }
    const auto cursor = screen.cursor();
    if (cursor.column > columns || cursor.row >= rows) {
        fail("cursor out of range");
    }
    std::size_t seen = 0;
    for (const auto row : screen.rows()) {
        if (row.size() != columns) {
            fail("row width");
        }
        for (const remote::Cell& cell : row) {
            if (!valid_cell(cell)) {
                fail("cell holds a control character or an invalid value");
            }
        }
        ++seen;
    }
    if (seen != rows) {
        fail("row count");
    }
}

bool same(const remote::TerminalScreen& a, const remote::TerminalScreen& b) {
    if (!(a.cursor() == b.cursor())) {
        return false;
    }
    for (std::size_t r = 0; r < a.row_count(); ++r) {
        const auto x = a.rows()[r];
        const auto y = b.rows()[r];
        for (std::size_t c = 0; c < x.size(); ++c) {
            if (!(x[c] == y[c])) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    // Small sizes (0 included, which is raised to 1) wrap and scroll often.
    const auto columns_arg = static_cast<std::uint16_t>(data[0] % 97);
    const auto rows_arg = static_cast<std::uint16_t>(data[1] % 31);
    const std::size_t columns = columns_arg == 0 ? 1 : columns_arg;
    const std::size_t rows = rows_arg == 0 ? 1 : rows_arg;
    std::uint32_t state = 0x9E3779B9u ^ data[2];
    const std::span<const std::uint8_t> bytes(data + 3, size - 3);

    remote::TerminalScreen whole(columns_arg, rows_arg);
    whole.feed(bytes);
    check(whole, columns, rows);

    remote::TerminalScreen pieces(columns_arg, rows_arg);
    std::size_t at = 0;
    while (at < bytes.size()) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const std::size_t n = std::min<std::size_t>(state % 24, bytes.size() - at);
        pieces.feed(bytes.subspan(at, n));
        check(pieces, columns, rows);
        at += n;
    }
    if (!same(whole, pieces)) {
        fail("feeding in pieces gave a different screen");
    }
    return 0;
}
