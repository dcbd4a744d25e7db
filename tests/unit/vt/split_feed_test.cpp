// Feeding a stream in pieces must give exactly the screen that feeding it whole gives, wherever
// the pieces are cut: inside UTF-8 characters, parameters, strings or between them.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "case_name.hpp"
#include "screen_text.hpp"
#include "vt/terminal_screen.hpp"

namespace remote {
namespace {

// A deterministic stream that mixes everything the screen meets from a real shell, plus
// broken input.
std::string mixed_stream(std::size_t pieces, unsigned seed) {
    // Text is frequent and whole-screen erasing rare, so that the final screen has content.
    const std::vector<std::pair<int, std::string>> fragments = {
        {8, "plain ascii text "},
        {8, "a long line of output that is certainly wider than the small screen used here "},
        {4, "\r\n"},
        {1, "\n"},
        {1, "\r"},
        {1, "\t"},
        {1, "\b\b"},
        {3, "\x1b[31m"},
        {3, "\x1b[1;92m"},
        {1, "\x1b[0m"},
        {1, "\x1b[m"},
        {3, "\x1b[38;5;33m"},
        {3, "\x1b[38:2:10:20:30m"},
        {1, "\x1b[22;39m"},
        {1, "\x1b[3;7H"},
        {1, "\x1b[H"},
        {1, "\x1b[999;999H"},
        {1, "\x1b[2A"},
        {1, "\x1b[B"},
        {1, "\x1b[5C"},
        {1, "\x1b[3D"},
        {1, "\x1b[12G"},
        {1, "\x1b[K"},
        {1, "\x1b[2K"},
        {1, "\x1b[J"},
        {1, "\x1b[2J"},
        {1, "\x1b[?25l"},
        {1, "\x1b[?1049h"},
        {1, "\x1b[2r"},
        {3, "\x1b[65599m"},
        {3,
         "\x1b[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18;19;20;21;22;23;24;25;26;27;28;29;"
         "30;31;32;33;34;35m"},
        {1,
         "\x1b"
         "7"},
        {1,
         "\x1b"
         "8"},
        {1, "\x1b(B"},
        {1, "\x1b]0;user@host: ~/src\x07"},
        {1, "\x1b]2;caf\xc3\xa9\x1b\\"},
        {1, "\x1bP1$qm\x1b\\"},
        {1, "\x1b_apc\x1b\\"},
        {8, "\xc3\xa9t\xc3\xa9 "},
        {8, "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"},
        {1, "\xf0\x9f\x99\x82"},
        {1, "\xe2\x94\x8c\xe2\x94\x80\xe2\x94\x90"},
        {1, "\xff"},
        {1, "\xc3("},
        {1, "\xe2\x82"},
        {1, "\xed\xa0\x80"},
        {1, "\xc2\x85"},
        {1, "\x1b[1\x18"},
        {1, "\x1b[2\x1b[3C"},
        {1, "\x7f"},
        {1, "\x07"},
    };
    std::vector<int> weights;
    for (const auto& fragment : fragments) {
        weights.push_back(fragment.first);
    }
    std::mt19937 rng(seed);
    std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
    std::string out;
    for (std::size_t i = 0; i < pieces; ++i) {
        out += fragments[pick(rng)].second;
    }
    return out;
}

constexpr std::size_t kPieces = 500;

struct Snapshot {
    std::vector<std::vector<Cell>> grid;
    CursorPosition cursor;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const TerminalScreen& screen) {
    Snapshot s;
    for (const auto row : screen.rows()) {
        s.grid.emplace_back(row.begin(), row.end());
    }
    s.cursor = screen.cursor();
    return s;
}

Snapshot feed_whole(const std::string& stream, std::uint16_t columns, std::uint16_t rows) {
    TerminalScreen screen(columns, rows);
    screen.feed(stream);
    return snapshot(screen);
}

std::size_t count_cells(const Snapshot& s, bool (*pred)(const Cell&)) {
    std::size_t n = 0;
    for (const auto& row : s.grid) {
        for (const Cell& cell : row) {
            n += pred(cell) ? 1 : 0;
        }
    }
    return n;
}

struct SplitCase {
    const char* name;
    std::uint16_t columns, rows;
    unsigned seed;
};

class SplitFeedTest : public testing::TestWithParam<SplitCase> {
  protected:
    std::string stream_ = mixed_stream(kPieces, GetParam().seed);
    Snapshot whole_ = feed_whole(stream_, GetParam().columns, GetParam().rows);
};

// Guards the split tests against a stream that proves nothing.
TEST(SplitFeed, StreamExercisesTheScreen) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const std::string stream = mixed_stream(kPieces, seed);
        const Snapshot whole = feed_whole(stream, 80, 24);
        EXPECT_GT(stream.size(), 3500u);
        EXPECT_GT(count_cells(whole, [](const Cell& c) { return !c.color.is_default(); }), 0u);
        EXPECT_GT(count_cells(whole, [](const Cell& c) { return c.bold; }), 0u);
        EXPECT_GT(count_cells(whole, [](const Cell& c) { return c.character > 0x7F; }), 0u);
        EXPECT_GT(count_cells(whole, [](const Cell& c) { return c.character != U' '; }), 10u);
    }
}

TEST_P(SplitFeedTest, AnySingleSplitGivesTheSameScreen) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream_.data());
    for (std::size_t split = 0; split <= stream_.size(); ++split) {
        TerminalScreen screen(GetParam().columns, GetParam().rows);
        screen.feed(std::span(bytes, split));
        screen.feed(std::span(bytes + split, stream_.size() - split));
        ASSERT_EQ(snapshot(screen), whole_) << "split at byte " << split;
    }
}

TEST_P(SplitFeedTest, OneByteAtATimeGivesTheSameScreen) {
    TerminalScreen screen(GetParam().columns, GetParam().rows);
    for (const char c : stream_) {
        screen.feed(std::string_view(&c, 1));
    }
    EXPECT_EQ(snapshot(screen), whole_);
}

TEST_P(SplitFeedTest, RandomPiecesGiveTheSameScreen) {
    std::mt19937 rng(GetParam().seed + 1000);
    for (int round = 0; round < 50; ++round) {
        std::uniform_int_distribution<std::size_t> length(0, 1 + static_cast<std::size_t>(round));
        TerminalScreen screen(GetParam().columns, GetParam().rows);
        std::size_t at = 0;
        while (at < stream_.size()) {
            const std::size_t n = std::min(length(rng), stream_.size() - at);
            screen.feed(std::string_view(stream_).substr(at, n));
            at += n;
        }
        ASSERT_EQ(snapshot(screen), whole_) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Screen, SplitFeedTest,
                         testing::Values(SplitCase{"small_screen", 20, 5, 1},
                                         SplitCase{"standard_screen", 80, 24, 2},
                                         SplitCase{"single_column", 1, 3, 3}),
                         test::case_name<SplitCase>);

}  // namespace
}  // namespace remote
