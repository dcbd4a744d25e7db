#include <gtest/gtest.h>

#include "runtime/ui/persist/crc32c.hpp"
#include "runtime/ui/persist/log_format.hpp"

namespace {

using namespace orvo_ui::persist;
using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

TEST(Crc32c, MatchesTheStandardCheckValues) {
    const std::vector<std::pair<std::string, std::uint32_t>> cases = {
        {"", 0x00000000u},
        {"a", 0xc1d04330u},
        {"123456789", 0xe3069283u},
        {std::string(32, '\0'), 0x8a9136aau},
        {std::string(32, '\xff'), 0x62a8ab43u},
    };
    for (const auto& [text, crc] : cases)
        EXPECT_EQ(crc32c(bytes_of(text)), crc) << text.size();
}

TEST(LogRecords, ScanStopsAtTheLastWholeRecord) {
    const Bytes a = log_record(bytes_of("first change"));
    const Bytes b = log_record(bytes_of("second"));
    Bytes bad_crc = log_record(bytes_of("third"));
    bad_crc.back() ^= 0x20;
    Bytes huge = {0xff, 0xff, 0xff, 0x7f, 0, 0, 0, 0};
    auto cat = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const auto& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    struct Case {
        const char* what;
        Bytes bytes;
        std::size_t records;
        std::vector<std::size_t> bad;
        std::size_t end;
        bool torn;
        bool corrupt;
    };
    const std::size_t ab = a.size() + b.size();
    const std::vector<Case> cases = {
        {"empty", {}, 0, {}, 0, false, false},
        {"two whole records", cat({a, b}), 2, {}, ab, false, false},
        {"torn record header",
         cat({a, b, Bytes(a.begin(), a.begin() + 5)}),
         2,
         {},
         ab,
         true,
         false},
        {"torn record body", cat({a, b, Bytes(a.begin(), a.end() - 1)}), 2, {}, ab, true, false},
        {"bad check skipped",
         cat({a, bad_crc, b}),
         2,
         {a.size()},
         ab + bad_crc.size(),
         false,
         false},
        {"impossible length", cat({a, huge, b}), 1, {}, a.size(), false, true},
    };
    for (const auto& c : cases) {
        const ScanResult r = scan_records(c.bytes, 100);
        EXPECT_EQ(r.records.size(), c.records) << c.what;
        std::vector<std::size_t> expected_bad;
        for (auto off : c.bad)
            expected_bad.push_back(off + 100);
        EXPECT_EQ(r.bad_records, expected_bad) << c.what;
        EXPECT_EQ(r.end, c.end + 100) << c.what;
        EXPECT_EQ(r.torn, c.torn) << c.what;
        EXPECT_EQ(r.corrupt_length, c.corrupt) << c.what;
    }
    const Bytes both = cat({a, b});
    const ScanResult whole = scan_records(both, 0);
    ASSERT_EQ(whole.records.size(), 2u);
    EXPECT_EQ(Bytes(whole.records[1].change.begin(), whole.records[1].change.end()),
              bytes_of("second"));
    EXPECT_EQ(whole.records[1].offset, a.size());
}

TEST(LogNames, OnlyActorHexWithTheLogSuffixIsOurs) {
    orvo_ui::doc::ActorId actor;
    actor.bytes.fill(0xab);
    EXPECT_EQ(actor_of_log_name(log_name(actor)), actor);
    for (const char* name :
         {"notes.txt", "abababababababababababababababab", ".log",
          "ABABABABABABABABABABABABABABABAB.log", "abababababababababababababababab.log.tmp",
          "ababababababababababababababab.log"}) {
        EXPECT_FALSE(actor_of_log_name(name).has_value()) << name;
    }
    const Bytes header = log_header(actor);
    EXPECT_EQ(parse_log_header(header), actor);
    EXPECT_FALSE(parse_log_header(Bytes(header.begin(), header.end() - 1)).has_value());
    Bytes wrong = header;
    wrong[0] = 'X';
    EXPECT_FALSE(parse_log_header(wrong).has_value());
}

}  // namespace
