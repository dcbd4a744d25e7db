#pragma once
// One character cell of the terminal grid and the colour it is drawn in.

#include <cstdint>
#include <optional>

namespace remote {

// Foreground colour of a cell: the default colour, or one of the 16 palette entries (0–7 the
// normal colours, 8–15 the bright ones). There are no background colours.
class TerminalColor {
  public:
    constexpr TerminalColor() = default;

    // index must be below 16; higher bits are dropped.
    static constexpr TerminalColor palette(std::uint8_t index) {
        return TerminalColor(static_cast<std::uint8_t>((index & 0x0F) + 1));
    }

    constexpr bool is_default() const { return stored_ == 0; }
    constexpr std::optional<std::uint8_t> palette_index() const {
        if (stored_ == 0) {
            return std::nullopt;
        }
        return static_cast<std::uint8_t>(stored_ - 1);
    }

    constexpr bool operator==(const TerminalColor&) const = default;

  private:
    constexpr explicit TerminalColor(std::uint8_t stored) : stored_(stored) {}
    // 0 is the default colour, so a zero-filled cell has the default colour.
    std::uint8_t stored_ = 0;
};

struct Cell {
    char32_t character = U' ';
    TerminalColor color;
    bool bold = false;

    constexpr bool operator==(const Cell&) const = default;
};

inline constexpr Cell kBlankCell{};

}  // namespace remote
