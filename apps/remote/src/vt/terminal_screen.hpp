#pragma once
// A fixed-size terminal screen: a grid of character cells with a cursor and a pen, driven by
// the byte stream of a shell. It understands printing with automatic wrap and scrolling, the
// basic controls, cursor movement, erasing and foreground colour / bold selection; every
// other sequence is consumed and ignored.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string_view>
#include <vector>

#include "vt/cell.hpp"
#include "vt/parser.hpp"

namespace remote {

struct CursorPosition {
    // 0 to columns inclusive: columns means the last column was just written and the next
    // printed character wraps first.
    std::size_t column = 0;
    std::size_t row = 0;  // 0 to rows - 1

    bool operator==(const CursorPosition&) const = default;
};

// Read-only view of the screen's rows, top to bottom; each row is its cells in column order.
class TerminalRows {
  public:
    class Iterator {
      public:
        using value_type = std::span<const Cell>;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        Iterator(const TerminalRows* rows, std::size_t index) : rows_(rows), index_(index) {}

        value_type operator*() const { return (*rows_)[index_]; }
        Iterator& operator++() {
            ++index_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const Iterator& other) const { return index_ == other.index_; }

      private:
        const TerminalRows* rows_ = nullptr;
        std::size_t index_ = 0;
    };

    TerminalRows(const Cell* cells, std::size_t columns, std::size_t rows, std::size_t top)
        : cells_(cells), columns_(columns), rows_(rows), top_(top) {}

    std::size_t size() const { return rows_; }
    std::span<const Cell> operator[](std::size_t row) const {
        std::size_t stored = top_ + row;
        if (stored >= rows_) {
            stored -= rows_;
        }
        return {cells_ + stored * columns_, columns_};
    }
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, rows_); }

  private:
    const Cell* cells_;
    std::size_t columns_;
    std::size_t rows_;
    std::size_t top_;
};

class TerminalScreen {
  public:
    // A zero size is raised to 1.
    TerminalScreen(std::uint16_t columns, std::uint16_t rows);

    // Runs bytes through the parser; a character or sequence cut between two calls is
    // completed by the next call.
    void feed(std::span<const std::uint8_t> bytes);
    void feed(std::string_view bytes);

    std::size_t columns() const { return columns_; }
    std::size_t row_count() const { return rows_; }
    TerminalRows rows() const { return TerminalRows(cells_.data(), columns_, rows_, top_); }
    CursorPosition cursor() const { return {column_, row_}; }

  private:
    friend class vt::Parser;

    // Parser callbacks.
    void print_ascii(const std::uint8_t* bytes, std::size_t count);
    void print(char32_t c);
    void execute(char32_t code);
    void csi_dispatch(const vt::CsiSequence& sequence);

    void line_feed();
    void select_graphic_rendition(const vt::CsiParams& params);
    void blank(std::size_t row, std::size_t from_column);
    Cell* row_cells(std::size_t row);

    std::size_t columns_;
    std::size_t rows_;
    // Rows live in one block as a ring: screen row r is stored row (top_ + r) mod rows_, so a
    // scroll moves top_ instead of moving cells.
    std::vector<Cell> cells_;
    std::size_t top_ = 0;
    std::size_t column_ = 0;
    std::size_t row_ = 0;
    TerminalColor pen_color_;
    bool pen_bold_ = false;
    // The pen as a cell bit pattern with a zero character, for printing runs of ASCII.
    std::uint64_t pen_bits_ = 0;
    bool pen_changed_ = true;
    vt::Parser parser_;
};

}  // namespace remote
