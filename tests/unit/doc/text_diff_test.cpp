#include <gtest/gtest.h>

#include "runtime/ui/doc/change.hpp"
#include "runtime/ui/doc/text_diff.hpp"

namespace {

using namespace orvo_ui::doc;

TEST(TextDiff, SpliceKeepsTheLongestCommonPrefixAndSuffix) {
    struct Case {
        std::u32string from, to;
        SpliceRange expected;
    };
    const std::vector<Case> cases = {
        {U"", U"", {0, 0, 0, 0}},
        {U"", U"abc", {0, 0, 0, 3}},
        {U"abc", U"", {0, 3, 0, 0}},
        {U"abc", U"abc", {3, 0, 3, 0}},
        {U"web-01", U"web-02", {5, 1, 5, 1}},
        {U"Office", U"My Office", {0, 0, 0, 3}},
        {U"Office", U"Office 2", {6, 0, 6, 2}},
        // Repeats: the suffix must not reach back into the prefix.
        {U"aaa", U"aa", {2, 1, 2, 0}},
        {U"aa", U"aaa", {2, 0, 2, 1}},
        {U"abab", U"ab", {2, 2, 2, 0}},
        {U"Büro", U"Bureau", {1, 3, 1, 5}},
        {U"日本語", U"日本", {2, 1, 2, 0}},
        {U"x🙂y", U"x🙃y", {1, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(diff_splice(c.from, c.to), c.expected)
            << std::string(c.from.begin(), c.from.end()).size();
    }
}

// Counts what the committed change removed and inserted.
std::pair<std::size_t, std::size_t> removed_and_inserted(Document& d) {
    auto c = d.commit();
    if (!c)
        return {0, 0};
    auto decoded = decode_change(c->bytes);
    EXPECT_TRUE(decoded.ok());
    std::size_t removed = 0, inserted = 0;
    for (const auto& op : decoded.value().ops) {
        removed += op.kind == OpKind::Remove ? 1 : 0;
        inserted += op.kind == OpKind::Insert ? op.width : 0;
    }
    return {removed, inserted};
}

TEST(TextDiff, DiffedSpliceWritesOnlyTheDifference) {
    struct Case {
        std::string from, to;
        std::size_t removed, inserted;
    };
    const std::vector<Case> cases = {
        {"web-01", "web-02", 1, 1},
        {"Office", "Office", 0, 0},
        {"", "Büro", 0, 4},
        {"Büro", "", 4, 0},
        {"aaa", "aaaa", 0, 1},
        {"Home server", "Home", 7, 0},
        {"日本語テキスト", "日本語", 4, 0},
    };
    for (const auto& c : cases) {
        Document d;
        auto name = d.put_object(kRoot, "name", ObjType::Text).value();
        ASSERT_TRUE(d.splice(name, 0, 0, c.from).ok());
        (void)d.commit();
        ASSERT_TRUE(splice_text_diffed(d, name, c.to).ok());
        EXPECT_EQ(d.text(name).value(), c.to);
        EXPECT_EQ(removed_and_inserted(d), std::make_pair(c.removed, c.inserted))
            << c.from << " -> " << c.to;
    }
}

TEST(TextDiff, ConcurrentRenamesOfDifferentPartsBothSurvive) {
    ActorId x, y;
    x.bytes.fill(1);
    y.bytes.fill(2);
    Document a(x), b(y);
    auto name = a.put_object(kRoot, "name", ObjType::Text).value();
    ASSERT_TRUE(a.splice(name, 0, 0, "web server").ok());
    b.apply_change(a.commit()->bytes);
    ASSERT_TRUE(splice_text_diffed(a, name, "Web server").ok());
    ASSERT_TRUE(splice_text_diffed(b, name, "web server 2").ok());
    auto ca = a.commit()->bytes;
    auto cb = b.commit()->bytes;
    a.apply_change(cb);
    b.apply_change(ca);
    EXPECT_EQ(a.text(name).value(), "Web server 2");
    EXPECT_EQ(b.text(name).value(), "Web server 2");
}

TEST(TextDiff, RefusesWhatIsNotAText) {
    Document d;
    auto map = d.put_object(kRoot, "m", ObjType::Map).value();
    auto name = d.put_object(kRoot, "name", ObjType::Text).value();
    EXPECT_EQ(splice_text_diffed(d, map, "x").error().code, ErrorCode::WrongObjectType);
    EXPECT_EQ(splice_text_diffed(d, name, "\xc3(").error().code, ErrorCode::InvalidText);
    EXPECT_EQ(d.text(name).value(), "");
}

}  // namespace
