#include "vt/terminal_screen.hpp"

#include <algorithm>

#include "vt/cell_store.hpp"

namespace remote {

namespace {

void fill_blank(Cell* first, Cell* last) {
    static const std::uint64_t blank = vt::cell_bits(kBlankCell);
    vt::fill_cells(first, static_cast<std::size_t>(last - first), blank);
}

std::size_t at_least_one(std::uint16_t n) {
    return n == 0 ? 1 : n;
}

// A count argument of cursor movement: missing or 0 means 1.
std::size_t count_argument(const vt::CsiParams& params, std::size_t i) {
    const std::uint16_t n = params.first(i);
    return n == 0 ? 1 : n;
}

}  // namespace

TerminalScreen::TerminalScreen(std::uint16_t columns, std::uint16_t rows)
    : columns_(at_least_one(columns)), rows_(at_least_one(rows)), cells_(columns_ * rows_) {
    fill_blank(cells_.data(), cells_.data() + cells_.size());
}

void TerminalScreen::feed(std::span<const std::uint8_t> bytes) {
    parser_.feed(bytes.data(), bytes.size(), *this);
}

void TerminalScreen::feed(std::string_view bytes) {
    parser_.feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), *this);
}

Cell* TerminalScreen::row_cells(std::size_t row) {
    std::size_t stored = top_ + row;
    if (stored >= rows_) {
        stored -= rows_;
    }
    return cells_.data() + stored * columns_;
}

void TerminalScreen::print_ascii(const std::uint8_t* bytes, std::size_t count) {
    // Every cell of the run differs from the pen only in its character: each one is the pen's
    // bit pattern with the byte in the character's low bits.
    if (pen_changed_) {
        pen_bits_ = vt::cell_bits(Cell{0, pen_color_, pen_bold_});
        pen_changed_ = false;
    }
    const std::uint64_t pen = pen_bits_;
    while (count != 0) {
        if (column_ == columns_) {
            column_ = 0;
            line_feed();
        }
        const std::size_t fit = std::min(count, columns_ - column_);
        Cell* out = row_cells(row_) + column_;
        vt::store_bytes_as_cells(out, bytes, fit, pen);
        column_ += fit;
        bytes += fit;
        count -= fit;
    }
}

void TerminalScreen::print(char32_t c) {
    if (column_ == columns_) {
        column_ = 0;
        line_feed();
    }
    row_cells(row_)[column_] = Cell{c, pen_color_, pen_bold_};
    ++column_;
}

void TerminalScreen::line_feed() {
    if (row_ + 1 < rows_) {
        ++row_;
        return;
    }
    // The top row's storage becomes the new, blank bottom row.
    Cell* reused = row_cells(0);
    fill_blank(reused, reused + columns_);
    top_ = top_ + 1 == rows_ ? 0 : top_ + 1;
}

void TerminalScreen::execute(char32_t code) {
    switch (code) {
        case 0x08:  // BS
            if (column_ > 0) {
                --column_;
            }
            break;
        case 0x09:  // HT
            column_ = std::min((column_ / 8) * 8 + 8, columns_ - 1);
            break;
        case 0x0A:  // LF
        case 0x0B:  // VT
        case 0x0C:  // FF
            line_feed();
            break;
        case 0x0D:  // CR
            column_ = 0;
            break;
        default:
            break;
    }
}

void TerminalScreen::blank(std::size_t row, std::size_t from_column) {
    Cell* cells = row_cells(row);
    fill_blank(cells + std::min(from_column, columns_), cells + columns_);
}

void TerminalScreen::csi_dispatch(const vt::CsiSequence& sequence) {
    const vt::CsiParams& params = sequence.params;
    switch (sequence.final_byte) {
        case 'A':
            row_ -= std::min(row_, count_argument(params, 0));
            break;
        case 'B':
            row_ = std::min(row_ + count_argument(params, 0), rows_ - 1);
            break;
        case 'C':
            column_ = std::min(column_ + count_argument(params, 0), columns_ - 1);
            break;
        case 'D':
            column_ -= std::min(column_, count_argument(params, 0));
            break;
        case 'G':
            column_ = std::min(count_argument(params, 0) - 1, columns_ - 1);
            break;
        case 'H':
        case 'f':
            row_ = std::min(count_argument(params, 0) - 1, rows_ - 1);
            column_ = std::min(count_argument(params, 1) - 1, columns_ - 1);
            break;
        case 'J': {
            const std::uint16_t mode = params.first(0);
            if (mode == 2 || mode == 3) {
                fill_blank(cells_.data(), cells_.data() + cells_.size());
            } else {
                blank(row_, column_);
            }
            break;
        }
        case 'K':
            blank(row_, params.first(0) == 2 ? 0 : column_);
            break;
        case 'm':
            select_graphic_rendition(params);
            break;
        default:
            break;
    }
}

void TerminalScreen::select_graphic_rendition(const vt::CsiParams& params) {
    pen_changed_ = true;
    if (params.empty()) {
        pen_color_ = TerminalColor();
        pen_bold_ = false;
        return;
    }
    for (std::size_t i = 0; i < params.size(); ++i) {
        const std::uint16_t value = params.first(i);
        if (value == 0) {
            pen_color_ = TerminalColor();
            pen_bold_ = false;
        } else if (value == 1) {
            pen_bold_ = true;
        } else if (value == 22) {
            pen_bold_ = false;
        } else if (value >= 30 && value <= 37) {
            pen_color_ = TerminalColor::palette(static_cast<std::uint8_t>(value - 30));
        } else if (value == 39) {
            pen_color_ = TerminalColor();
        } else if (value >= 90 && value <= 97) {
            pen_color_ = TerminalColor::palette(static_cast<std::uint8_t>(value - 82));
        }
    }
}

}  // namespace remote
