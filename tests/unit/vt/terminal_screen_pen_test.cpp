// Colour and bold of printed cells: graphic rendition, and that erasing and scrolling write
// blank cells rather than the pen.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.hpp"
#include "vt/terminal_screen.hpp"

namespace remote {
namespace {

constexpr TerminalColor kDefault{};
constexpr TerminalColor palette(std::uint8_t i) {
    return TerminalColor::palette(i);
}

struct PenCase {
    const char* name;
    std::string input;  // ends by printing X at column 0 of row 0 unless stated
    Cell want;
    CursorPosition at{0, 0};
};

std::ostream& operator<<(std::ostream& out, const PenCase& c) {
    return out << c.name;
}

std::string zeros(int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += "0;";
    }
    return out;
}

const std::vector<PenCase> kPenCases = {
    {"fresh_pen_is_default", "X", {U'X', kDefault, false}},
    {"red", "\x1b[31mX", {U'X', palette(1), false}},
    {"black", "\x1b[30mX", {U'X', palette(0), false}},
    {"white", "\x1b[37mX", {U'X', palette(7), false}},
    {"bright_red", "\x1b[91mX", {U'X', palette(9), false}},
    {"bright_black", "\x1b[90mX", {U'X', palette(8), false}},
    {"bright_white", "\x1b[97mX", {U'X', palette(15), false}},
    {"background_changes_nothing", "\x1b[41mX", {U'X', kDefault, false}},
    {"background_after_colour_keeps_it", "\x1b[32;41mX", {U'X', palette(2), false}},
    {"bold", "\x1b[1mX", {U'X', kDefault, true}},
    {"bold_off", "\x1b[1m\x1b[22mX", {U'X', kDefault, false}},
    {"default_colour_keeps_bold", "\x1b[35;1m\x1b[39mX", {U'X', kDefault, true}},
    {"empty_sequence_resets", "\x1b[1;31m\x1b[mX", {U'X', kDefault, false}},
    {"zero_resets", "\x1b[1;31m\x1b[0mX", {U'X', kDefault, false}},
    {"empty_parameter_resets", "\x1b[1;31;mX", {U'X', kDefault, false}},
    {"empty_first_parameter_resets_before_the_rest",
     "\x1b[1;31m\x1b[;33mX",
     {U'X', palette(3), false}},
    {"values_apply_in_order", "\x1b[31;1;0;34mX", {U'X', palette(4), false}},
    {"extended_colour_number_read_alone_as_bold", "\x1b[38;5;1mX", {U'X', kDefault, true}},
    {"extended_colour_number_read_alone_as_colour", "\x1b[38;5;31mX", {U'X', palette(1), false}},
    {"true_colour_numbers_read_alone", "\x1b[38;2;1;2;92mX", {U'X', palette(10), true}},
    {"sub_parameters_are_not_read_alone", "\x1b[38:5:1mX", {U'X', kDefault, false}},
    {"first_sub_parameter_counts", "\x1b[1:2mX", {U'X', kDefault, true}},
    {"unknown_values_are_ignored", "\x1b[31m\x1b[4;5;7;29;38;98;100mX", {U'X', palette(1), false}},
    {"saturated_value_does_not_wrap_around", "\x1b[65567mX", {U'X', kDefault, false}},
    {"huge_value_saturates", "\x1b[99999999999999999931mX", {U'X', kDefault, false}},
    {"value_beyond_32_parameters_is_dropped",
     "\x1b[" + zeros(32) + "31mX",
     {U'X', kDefault, false}},
    {"value_at_32nd_parameter_applies", "\x1b[" + zeros(31) + "31mX", {U'X', palette(1), false}},
    {"private_marker_is_not_examined", "\x1b[?31mX", {U'X', palette(1), false}},
    {"pen_carries_over_wrap", "\x1b[1;36m0123456789X", {U'X', palette(6), true}, {0, 1}},
    {"pen_applies_to_non_ascii", "\x1b[33m\xc3\xa9", {U'\u00e9', palette(3), false}},
    {"pen_applies_to_replacement", "\x1b[33m\xff", {U'\ufffd', palette(3), false}},
    {"erase_line_writes_blanks_not_pen", "\x1b[1;31mabc\x1b[1;2H\x1b[K", {U'a', palette(1), true}},
    {"erased_cell_is_blank", "\x1b[1;31mabc\x1b[1;2H\x1b[K", kBlankCell, {1, 0}},
    {"erase_display_writes_blanks", "\x1b[1;31mabc\x1b[2J", kBlankCell, {2, 0}},
    {"erase_whole_line_writes_blanks", "\x1b[1;31mabc\x1b[2K", kBlankCell, {0, 0}},
    {"scrolled_in_row_is_blank_not_pen", "\x1b[1;31mabc\r\n\r\n\r\n", kBlankCell, {0, 2}},
    {"pen_survives_cursor_movement_and_erase",
     "\x1b[95m\x1b[2;3H\x1b[2J\x1b[KX",
     {U'X', palette(13), false},
     {2, 1}},
};

class PenTest : public testing::TestWithParam<PenCase> {};

TEST_P(PenTest, CellHasExpectedCharacterColourAndBold) {
    const PenCase& c = GetParam();
    TerminalScreen screen(10, 3);
    screen.feed(c.input);
    const Cell got = screen.rows()[c.at.row][c.at.column];
    EXPECT_EQ(got.character, c.want.character);
    EXPECT_EQ(got.color, c.want.color)
        << "palette index " << (got.color.palette_index() ? *got.color.palette_index() : -1);
    EXPECT_EQ(got.bold, c.want.bold);
}

INSTANTIATE_TEST_SUITE_P(Screen, PenTest, testing::ValuesIn(kPenCases), test::case_name<PenCase>);

TEST(TerminalColor, PaletteIndicesRoundTripAndDifferFromDefault) {
    EXPECT_TRUE(kDefault.is_default());
    EXPECT_FALSE(kDefault.palette_index().has_value());
    for (std::uint8_t i = 0; i < 16; ++i) {
        const TerminalColor c = TerminalColor::palette(i);
        EXPECT_FALSE(c.is_default());
        ASSERT_TRUE(c.palette_index().has_value());
        EXPECT_EQ(*c.palette_index(), i);
        EXPECT_NE(c, kDefault);
    }
}

}  // namespace
}  // namespace remote
