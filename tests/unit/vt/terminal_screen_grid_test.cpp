// What the screen shows after a byte stream: printing, wrapping, scrolling, controls, cursor
// movement and erasing, as a table of (bytes -> grid and cursor).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.hpp"
#include "screen_text.hpp"
#include "vt/terminal_screen.hpp"

namespace remote {
namespace {

using test::grid_text;

struct GridCase {
    const char* name;
    std::string input;
    std::vector<std::string> grid;  // the top rows, trailing blanks removed; the rest are blank
    CursorPosition cursor;
    std::uint16_t columns = 10;
    std::uint16_t rows = 3;
};

std::ostream& operator<<(std::ostream& out, const GridCase& c) {
    return out << c.name;
}

// Three full rows to erase in.
const std::string kFilled = "abcdefghij\r\nklmnopqrst\r\nuvwxyz0123";

const std::vector<GridCase> kGridCases = {
    // Printing and automatic wrap.
    {"full_row_leaves_cursor_past_last_column",
     std::string(80, 'a'),
     {std::string(80, 'a')},
     {80, 0},
     80,
     24},
    {"character_after_full_row_wraps",
     std::string(80, 'a') + "b",
     {std::string(80, 'a'), "b"},
     {1, 1},
     80,
     24},
    {"wrap_on_bottom_row_scrolls", "111\r\n222\r\nabcdefghijk", {"222", "abcdefghij", "k"}, {1, 2}},
    {"long_run_wraps_across_rows",
     std::string(25, 'x'),
     {"xxxxxxxxxx", "xxxxxxxxxx", "xxxxx"},
     {5, 2}},
    {"run_wrapping_through_many_scrolls",
     "0123456789abcdefghijABCDEFGHIJklmnopqrstKLMNO",
     {"ABCDEFGHIJ", "klmnopqrst", "KLMNO"},
     {5, 2}},
    {"every_character_takes_one_cell",
     "\xe6\x97\xa5\xe6\x9c\xac"
     "a",
     {"\xe6\x97\xa5\xe6\x9c\xac"
      "a"},
     {3, 0}},
    {"delete_byte_prints",
     "a\x7f"
     "b",
     {"a\x7f"
      "b"},
     {3, 0}},
    {"one_by_one_screen", "abc", {"c"}, {1, 0}, 1, 1},
    {"zero_size_is_raised_to_one", "xy", {"y"}, {1, 0}, 0, 0},

    // Line feed and carriage return.
    {"cr_lf_at_bottom_scrolls_once", "a\r\nb\r\nc\r\n", {"b", "c", ""}, {0, 2}},
    {"line_feed_keeps_column", "ab\ncd", {"ab", "  cd", ""}, {4, 1}},
    {"vertical_tab_and_form_feed_are_line_feeds", "a\vb\fc", {"a", " b", "  c"}, {3, 2}},
    {"scrolled_in_row_is_blank", "\x1b[31mabc\r\n\r\n\r\n", {"", "", ""}, {0, 2}},

    // Backspace and tab.
    {"backspace_moves_left", "abc\b\bX", {"aXc", "", ""}, {2, 0}},
    {"backspace_stops_at_column_zero", "\b\bX", {"X", "", ""}, {1, 0}},
    {"backspace_from_past_last_column", "abcdefghij\bX", {"abcdefghiX", "", ""}, {10, 0}},
    {"tab_to_next_stop", "ab\tX", {"ab      X", "", ""}, {9, 0}},
    {"tab_from_a_stop_goes_to_the_next", "\x1b[9G\t", {"", "", ""}, {9, 0}},
    {"tab_stops_at_last_column", "\t\t\tX", {"         X", "", ""}, {10, 0}},
    {"tab_from_column_78_of_80", "\x1b[79G\t", {"", ""}, {79, 0}, 80, 2},
    {"tab_from_past_last_column", "abcdefghij\tX", {"abcdefghiX", "", ""}, {10, 0}},
    {"other_controls_do_nothing",
     "a\x07\x01\x0e\x0f\x1f"
     "b",
     {"ab", "", ""},
     {2, 0}},
    {"c1_controls_do_nothing",
     "a\xc2\x85\xc2\x8d"
     "b",
     {"ab", "", ""},
     {2, 0}},

    // Cursor movement, clamped to the screen.
    {"up", "\x1b[3;5H\x1b[A", {"", "", ""}, {4, 1}},
    {"up_zero_counts_as_one", "\x1b[3;5H\x1b[0A", {"", "", ""}, {4, 1}},
    {"up_clamps_at_top", "\x1b[3;5H\x1b[99A", {"", "", ""}, {4, 0}},
    {"down_clamps_at_bottom", "\x1b[5B", {"", "", ""}, {0, 2}},
    {"down_by_count", "\x1b[1B", {"", "", ""}, {0, 1}},
    {"forward", "\x1b[C\x1b[2C", {"", "", ""}, {3, 0}},
    {"forward_clamps_at_last_column", "\x1b[99C", {"", "", ""}, {9, 0}},
    {"forward_from_past_last_column", "abcdefghij\x1b[C", {"abcdefghij", "", ""}, {9, 0}},
    {"back", "\x1b[1;8H\x1b[3D", {"", "", ""}, {4, 0}},
    {"back_clamps_at_zero", "\x1b[1;8H\x1b[99D", {"", "", ""}, {0, 0}},
    {"column", "\x1b[5G", {"", "", ""}, {4, 0}},
    {"column_zero_is_first", "\x1b[5G\x1b[0G", {"", "", ""}, {0, 0}},
    {"column_clamps", "\x1b[99G", {"", "", ""}, {9, 0}},
    {"position_zero_zero_is_top_left", "ab\r\ncd\x1b[0;0H", {"ab", "cd", ""}, {0, 0}},
    {"position_without_parameters_is_top_left", "ab\r\ncd\x1b[H", {"ab", "cd", ""}, {0, 0}},
    {"position_one_one_is_top_left", "ab\r\ncd\x1b[1;1H", {"ab", "cd", ""}, {0, 0}},
    {"position_clamps_to_bottom_right", "\x1b[999;999H", {"", "", ""}, {9, 2}},
    {"position_row_only", "\x1b[2H", {"", "", ""}, {0, 1}},
    {"position_column_only", "\x1b[;4H", {"", "", ""}, {3, 0}},
    {"position_with_f", "\x1b[3;2fX", {"", "", " X"}, {2, 2}},
    {"position_saturated_values_clamp", "\x1b[99999999;99999999H", {"", "", ""}, {9, 2}},
    {"movement_reads_first_value_of_sub_parameters", "\x1b[2:7C", {"", "", ""}, {2, 0}},
    {"private_marker_is_not_examined", "\x1b[?2C", {"", "", ""}, {2, 0}},
    {"up_keeps_past_last_column_state",
     "\x1b[2;1Habcdefghij\x1b[AX",
     {"", "Xbcdefghij", ""},
     {1, 1}},
    {"controls_inside_a_sequence_are_executed", "abc\x1b[2\bCZ", {"abc Z", "", ""}, {5, 0}},

    // Erasing.
    {"erase_display_2_blanks_all_and_keeps_cursor",
     kFilled + "\x1b[2;2H\x1b[2J",
     {"", "", ""},
     {1, 1}},
    {"erase_display_3_blanks_all", kFilled + "\x1b[3J", {"", "", ""}, {10, 2}},
    {"erase_display_default_blanks_rest_of_row_only",
     kFilled + "\x1b[2;2H\x1b[J",
     {"abcdefghij", "k", "uvwxyz0123"},
     {1, 1}},
    {"erase_display_1_acts_as_default",
     kFilled + "\x1b[2;4H\x1b[1J",
     {"abcdefghij", "klm", "uvwxyz0123"},
     {3, 1}},
    {"erase_display_other_value_acts_as_default",
     kFilled + "\x1b[2;4H\x1b[7J",
     {"abcdefghij", "klm", "uvwxyz0123"},
     {3, 1}},
    {"erase_line_default", kFilled + "\x1b[1;3H\x1b[K", {"ab", "klmnopqrst", "uvwxyz0123"}, {2, 0}},
    {"erase_line_0", kFilled + "\x1b[1;3H\x1b[0K", {"ab", "klmnopqrst", "uvwxyz0123"}, {2, 0}},
    {"erase_line_1_acts_as_default",
     kFilled + "\x1b[1;3H\x1b[1K",
     {"ab", "klmnopqrst", "uvwxyz0123"},
     {2, 0}},
    {"erase_line_2_blanks_whole_row",
     kFilled + "\x1b[2;3H\x1b[2K",
     {"abcdefghij", "", "uvwxyz0123"},
     {2, 1}},
    {"erase_past_last_column_changes_nothing",
     "abcdefghij\x1b[K\x1b[J",
     {"abcdefghij", "", ""},
     {10, 0}},
    {"erase_after_scroll_hits_the_right_row",
     "a\r\nb\r\nc\r\nd\x1b[1;1H\x1b[K",
     {"", "c", "d"},
     {0, 0}},

    // Sequences that are consumed and change nothing.
    {"cursor_mode", "ab\x1b[?25lc", {"abc", "", ""}, {3, 0}},
    {"save_cursor",
     "ab\x1b"
     "7c",
     {"abc", "", ""},
     {3, 0}},
    {"title",
     "ab\x1b]0;title\x07"
     "c",
     {"abc", "", ""},
     {3, 0}},
    {"title_with_st", "ab\x1b]2;t\xc3\xaftle\x1b\\c", {"abc", "", ""}, {3, 0}},
    {"scroll_region", "ab\x1b[2rc", {"abc", "", ""}, {3, 0}},
    {"next_line", "ab\x1b[Ec", {"abc", "", ""}, {3, 0}},
    {"previous_line", "ab\x1b[Fc", {"abc", "", ""}, {3, 0}},
    {"forward_tab", "ab\x1b[Ic", {"abc", "", ""}, {3, 0}},
    {"insert_and_delete",
     "ab\x1b[2L\x1b[M\x1b[P\x1b[@\x1b[X"
     "c",
     {"abc", "", ""},
     {3, 0}},
    {"scroll_up_and_down",
     "ab\x1b[S\x1b[2T"
     "c",
     {"abc", "", ""},
     {3, 0}},
    {"reports",
     "ab\x1b[6n\x1b[c\x1b[>c"
     "c",
     {"abc", "", ""},
     {3, 0}},
    {"modes",
     "ab\x1b[4h\x1b[?1049h\x1b[?1l"
     "c",
     {"abc", "", ""},
     {3, 0}},
    {"reset_and_index",
     "ab\x1b"
     "c\x1b"
     "D\x1bM\x1b"
     "Ec",
     {"abc", "", ""},
     {3, 0}},
    {"character_set",
     "ab\x1b(B\x1b)0\x1b#8"
     "c",
     {"abc", "", ""},
     {3, 0}},
    {"device_control_string", "ab\x1bP1$qm\r\nxyz\x1b\\c", {"abc", "", ""}, {3, 0}},
    {"sos_pm_apc_strings", "ab\x1bXs\x1b\\\x1b^p\x1b\\\x1b_a\x07\x1b\\c", {"abc", "", ""}, {3, 0}},
    {"osc_ignores_controls_inside",
     "ab\x1b]0;x\r\ny\x07"
     "c",
     {"abc", "", ""},
     {3, 0}},
    {"malformed_sequence_is_consumed_to_its_final", "ab\x1b[1;?2;3Hc", {"abc", "", ""}, {3, 0}},
    {"cancel_ends_a_sequence",
     "ab\x1b[2\x18"
     "C",
     {"abC", "", ""},
     {3, 0}},
    {"substitute_ends_a_sequence",
     "ab\x1b[2\x1a"
     "C",
     {"abC", "", ""},
     {3, 0}},
    {"escape_restarts_a_sequence", "ab\x1b[5\x1b[2CX", {"ab  X", "", ""}, {5, 0}},
    {"c1_code_point_ends_a_sequence",
     "ab\x1b[2\xc2\x9b"
     "C",
     {"abC", "", ""},
     {3, 0}},
    {"non_ascii_inside_a_sequence_makes_it_malformed",
     "ab\x1b[2\xc3\xa9"
     "Cc",
     {"abc", "", ""},
     {3, 0}},
    {"too_many_parameters_still_dispatch",
     "\x1b[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18;"
     "19;20;21;22;23;24;25;26;27;28;29;30;31;32;33;34;35;36H",
     {"", "", ""},
     {1, 0}},

    // UTF-8.
    {"two_byte_character", "\xc3\xa9", {"\xc3\xa9", "", ""}, {1, 0}},
    {"four_byte_character", "\xf0\x9f\x99\x82", {"\xf0\x9f\x99\x82", "", ""}, {1, 0}},
    {"invalid_byte_prints_replacement", "\xff", {"\xef\xbf\xbd", "", ""}, {1, 0}},
    {"stray_continuation_byte",
     "a\x80"
     "b",
     {"a\xef\xbf\xbd"
      "b",
      "", ""},
     {3, 0}},
    {"truncated_character_then_ascii",
     "\xe6\x97"
     "a",
     {"\xef\xbf\xbd"
      "a",
      "", ""},
     {2, 0}},
    {"truncated_character_then_escape", "\xc3\x1b[2Cx", {"\xef\xbf\xbd  x", "", ""}, {4, 0}},
    {"overlong_form_is_two_replacements", "\xc0\xaf", {"\xef\xbf\xbd\xef\xbf\xbd", "", ""}, {2, 0}},
    {"overlong_three_byte_form",
     "\xe0\x80\xaf",
     {"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd", "", ""},
     {3, 0}},
    {"surrogate_is_rejected",
     "\xed\xa0\x80",
     {"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd", "", ""},
     {3, 0}},
    {"above_unicode_range_is_rejected",
     "\xf4\x90\x80\x80",
     {"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd", "", ""},
     {4, 0}},
    {"largest_scalar_value", "\xf4\x8f\xbf\xbf", {"\xf4\x8f\xbf\xbf", "", ""}, {1, 0}},
};

class GridTest : public testing::TestWithParam<GridCase> {};

TEST_P(GridTest, ShowsExpectedGridAndCursor) {
    const GridCase& c = GetParam();
    TerminalScreen screen(c.columns, c.rows);
    screen.feed(c.input);
    std::vector<std::string> want = c.grid;
    ASSERT_LE(want.size(), screen.row_count());
    want.resize(screen.row_count());
    EXPECT_EQ(grid_text(screen), want);
    EXPECT_EQ(screen.cursor(), c.cursor);
}

INSTANTIATE_TEST_SUITE_P(Screen, GridTest, testing::ValuesIn(kGridCases),
                         test::case_name<GridCase>);

TEST(TerminalScreen, CharacterSplitBetweenFeedsPrintsOnce) {
    const struct {
        const char* first;
        const char* second;
        const char* want;
        std::size_t column;
    } splits[] = {
        {"\xc3", "\xa9", "\xc3\xa9", 1},
        {"a\xe2\x82",
         "\xac"
         "b",
         "a\xe2\x82\xac"
         "b",
         3},
        {"\xf0", "\x9f\x99\x82", "\xf0\x9f\x99\x82", 1},
        {"\xf0\x9f\x99", "\x82", "\xf0\x9f\x99\x82", 1},
        {"\xc3", "(", "\xef\xbf\xbd(", 2},
    };
    for (const auto& split : splits) {
        TerminalScreen screen(10, 2);
        screen.feed(split.first);
        screen.feed(split.second);
        EXPECT_EQ(test::row_text(screen, 0), split.want);
        EXPECT_EQ(screen.cursor(), (CursorPosition{split.column, 0}));
    }
}

TEST(TerminalScreen, ScrolledOffRowIsGoneForGood) {
    TerminalScreen screen(4, 2);
    screen.feed("top\r\nmid\r\nlow\r\n\x1b[2J\x1b[H");
    for (int i = 0; i < 5; ++i) {
        screen.feed("\r\n");
    }
    for (const auto row : screen.rows()) {
        for (const Cell& cell : row) {
            EXPECT_EQ(cell, kBlankCell);
        }
    }
}

TEST(TerminalScreen, GridKeepsItsShapeAndFreshScreenIsBlank) {
    const struct {
        std::uint16_t columns, rows;
        std::size_t want_columns, want_rows;
    } sizes[] = {{80, 24, 80, 24}, {1, 1, 1, 1}, {0, 5, 1, 5}, {7, 0, 7, 1}, {300, 2, 300, 2}};
    for (const auto& s : sizes) {
        TerminalScreen screen(s.columns, s.rows);
        EXPECT_EQ(screen.columns(), s.want_columns);
        EXPECT_EQ(screen.row_count(), s.want_rows);
        EXPECT_EQ(screen.cursor(), (CursorPosition{0, 0}));
        std::size_t rows = 0;
        for (const auto row : screen.rows()) {
            ASSERT_EQ(row.size(), s.want_columns);
            for (const Cell& cell : row) {
                EXPECT_EQ(cell, kBlankCell);
            }
            ++rows;
        }
        EXPECT_EQ(rows, s.want_rows);
    }
}

}  // namespace
}  // namespace remote
