// The escape-sequence parser on its own: what it hands to its handler for a byte stream.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "case_name.hpp"
#include "vt/parser.hpp"

namespace remote::vt {
namespace {

// Writes every callback as one short line of text.
struct Recorder {
    std::vector<std::string> events;

    void print_ascii(const std::uint8_t* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            print(bytes[i]);
        }
    }
    void print(char32_t c) { events.push_back(hex("print", c)); }
    void execute(char32_t c) { events.push_back(hex("exec", c)); }
    void csi_dispatch(const CsiSequence& s) {
        std::string text = "csi ";
        for (const std::uint8_t b : s.intermediates.bytes()) {
            text += static_cast<char>(b);
        }
        for (std::size_t i = 0; i < s.params.size(); ++i) {
            text += i == 0 ? "" : ";";
            bool first = true;
            for (const std::uint16_t v : s.params[i]) {
                text += (first ? "" : ":") + std::to_string(v);
                first = false;
            }
        }
        text += static_cast<char>(s.final_byte);
        if (s.params.overflowed()) {
            text += " overflow";
        }
        if (s.intermediates.overflowed()) {
            text += " intermediates-overflow";
        }
        events.push_back(text);
    }

    static std::string hex(const char* what, char32_t c) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s %04X", what, static_cast<unsigned>(c));
        return buf;
    }
};

std::vector<std::string> parse(const std::string& bytes) {
    Parser parser;
    Recorder recorder;
    parser.feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), recorder);
    return recorder.events;
}

std::string params_of(int count) {
    std::string out;
    for (int i = 1; i <= count; ++i) {
        out += (i == 1 ? "" : ";") + std::to_string(i);
    }
    return out;
}

struct ParseCase {
    const char* name;
    std::string input;
    std::vector<std::string> events;
};

std::ostream& operator<<(std::ostream& out, const ParseCase& c) {
    return out << c.name;
}

const std::vector<ParseCase> kParseCases = {
    // Ground state.
    {"ascii_and_delete_print", "a~\x7f", {"print 0061", "print 007E", "print 007F"}},
    {"c0_controls_execute",
     std::string("\x00\x07\r\n\x1f", 5),
     {"exec 0000", "exec 0007", "exec 000D", "exec 000A", "exec 001F"}},
    {"cancel_and_substitute_execute", "\x18\x1a", {"exec 0018", "exec 001A"}},

    // UTF-8.
    {"two_three_four_byte_characters",
     "\xc3\xa9\xe2\x82\xac\xf0\x9f\x99\x82",
     {"print 00E9", "print 20AC", "print 1F642"}},
    {"c1_code_points_execute", "\xc2\x80\xc2\x9b\xc2\x9f", {"exec 0080", "exec 009B", "exec 009F"}},
    {"first_non_control_above_c1_prints", "\xc2\xa0", {"print 00A0"}},
    {"invalid_lead_bytes",
     "\xc0\xc1\xf5\xff",
     {"print FFFD", "print FFFD", "print FFFD", "print FFFD"}},
    {"lead_interrupted_by_ascii",
     "\xe2\x82"
     "a",
     {"print FFFD", "print 0061"}},
    {"lead_interrupted_by_lead", "\xe2\xc3\xa9", {"print FFFD", "print 00E9"}},
    {"lead_interrupted_by_escape_sequence", "\xf0\x9f\x1b[m", {"print FFFD", "csi m"}},
    {"overlong_and_surrogate",
     "\xe0\x9f\xbf\xed\xbf\xbf",
     {"print FFFD", "print FFFD", "print FFFD", "print FFFD", "print FFFD", "print FFFD"}},

    // Control sequences.
    {"no_parameters", "\x1b[m", {"csi m"}},
    {"parameters_and_sub_parameters", "\x1b[1;2:3:4;;5H", {"csi 1;2:3:4;0;5H"}},
    {"empty_parameters_read_as_zero", "\x1b[;m", {"csi 0;0m"}},
    {"leading_sub_parameter", "\x1b[:7m", {"csi 0:7m"}},
    {"trailing_separator_adds_a_parameter", "\x1b[4;m", {"csi 4;0m"}},
    {"values_saturate", "\x1b[65535;65536;4294967297m", {"csi 65535;65535;65535m"}},
    {"at_most_32_values_are_kept",
     "\x1b[" + params_of(40) + "m",
     {"csi " + params_of(32) + "m overflow"}},
    {"sub_parameters_count_toward_the_limit",
     "\x1b[" + params_of(31) + ":1:2;9m",
     {"csi " + params_of(31) + ":1m overflow"}},
    {"private_marker", "\x1b[?25h", {"csi ?25h"}},
    {"greater_than_marker", "\x1b[>c", {"csi >c"}},
    {"intermediate", "\x1b[2 q", {"csi  2q"}},
    {"too_many_intermediates",
     "\x1b[1     q",
     {"csi " + std::string(4, ' ') + "1q intermediates-overflow"}},
    {"marker_after_parameter_is_malformed", "\x1b[1?hx", {"print 0078"}},
    {"digit_after_intermediate_is_malformed", "\x1b[ 1hx", {"print 0078"}},
    {"controls_inside_execute", "\x1b[1\n2\rA", {"exec 000A", "exec 000D", "csi 12A"}},
    {"delete_inside_is_ignored",
     "\x1b[1\x7f"
     "2A",
     {"csi 12A"}},
    {"cancel_inside_ends_it",
     "\x1b[12\x18"
     "A",
     {"exec 0018", "print 0041"}},
    {"escape_inside_restarts", "\x1b[12\x1b[3A", {"csi 3A"}},
    {"c1_inside_ends_it",
     "\x1b[12\xc2\x85"
     "A",
     {"exec 0085", "print 0041"}},
    {"non_ascii_inside_is_malformed",
     "\x1b[1\xc3\xa9"
     "A"
     "b",
     {"print 0062"}},
    {"invalid_utf8_inside_is_malformed",
     "\x1b[1\xff"
     "Ab",
     {"print 0062"}},
    {"parameters_do_not_leak_into_next_sequence", "\x1b[5;6H\x1b[m", {"csi 5;6H", "csi m"}},

    // Other escape sequences and strings are consumed silently.
    {"escape_dispatch",
     "\x1b"
     "7\x1b(B\x1b#8\x1b"
     "cx",
     {"print 0078"}},
    {"escape_intermediate_executes_controls", "\x1b(\nB", {"exec 000A"}},
    {"escape_then_non_ascii", "\x1b\xc3\xa9x", {"print 0078"}},
    {"osc_with_bel", "\x1b]0;title\x07x", {"print 0078"}},
    {"osc_with_st", "\x1b]2;t\xc3\xaftle\x1b\\x", {"print 0078"}},
    {"osc_swallows_controls", "\x1b]0;a\r\nb\x07x", {"print 0078"}},
    {"osc_cancelled", "\x1b]0;a\x18x", {"exec 0018", "print 0078"}},
    {"dcs", "\x1bP1;2|data\r\n\x07\x1b\\x", {"print 0078"}},
    {"dcs_malformed_header", "\x1bP1?x\x1b\\y", {"print 0079"}},
    {"sos", "\x1bXtext\x07\x1b\\x", {"print 0078"}},
    {"pm", "\x1b^text\x1b\\x", {"print 0078"}},
    {"apc", "\x1b_text\x1b\\x", {"print 0078"}},
    {"string_ended_by_c1_terminator", "\x1b]0;t\xc2\x9cx", {"exec 009C", "print 0078"}},
};

class ParserTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParserTest, DeliversExpectedCallbacks) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(parse(c.input), c.events);
}

TEST_P(ParserTest, SplittingAtAnyByteGivesTheSameCallbacks) {
    const ParseCase& c = GetParam();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(c.input.data());
    for (std::size_t split = 0; split <= c.input.size(); ++split) {
        Parser parser;
        Recorder recorder;
        parser.feed(bytes, split, recorder);
        parser.feed(bytes + split, c.input.size() - split, recorder);
        EXPECT_EQ(recorder.events, c.events) << "split at " << split;
    }
    Parser parser;
    Recorder recorder;
    for (std::size_t i = 0; i < c.input.size(); ++i) {
        parser.feed(bytes + i, 1, recorder);
    }
    EXPECT_EQ(recorder.events, c.events) << "one byte at a time";
}

INSTANTIATE_TEST_SUITE_P(Parser, ParserTest, testing::ValuesIn(kParseCases),
                         test::case_name<ParseCase>);

TEST(Parser, EveryStringStateReturnsToGroundAfterItsTerminator) {
    const char* openers[] = {"\x1b]", "\x1bP", "\x1bP1;2q", "\x1bX", "\x1b^", "\x1b_"};
    for (const char* opener : openers) {
        Parser parser;
        Recorder recorder;
        const std::string bytes = std::string(opener) + "junk\x1b\\";
        parser.feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), recorder);
        EXPECT_EQ(parser.state(), State::Ground) << opener + 1;
        EXPECT_TRUE(recorder.events.empty()) << opener + 1;
    }
}

}  // namespace
}  // namespace remote::vt
