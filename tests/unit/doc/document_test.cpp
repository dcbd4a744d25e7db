#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "doc_dump.hpp"
#include "runtime/ui/doc/document.hpp"
#include "runtime/ui/doc/text_diff.hpp"

namespace {

using namespace orvo_ui::doc;

ActorId actor_with(std::uint8_t b) {
    ActorId a;
    a.bytes.fill(b);
    return a;
}

std::vector<std::uint8_t> committed(Document& d) {
    auto c = d.commit();
    EXPECT_TRUE(c.has_value());
    return c ? c->bytes : std::vector<std::uint8_t>{};
}

Scalar scalar_at(const Document& d, ObjId map, std::string_view key) {
    auto v = d.get(map, key);
    EXPECT_TRUE(v.ok());
    EXPECT_TRUE(v.value().has_value());
    return std::get<Scalar>(*v.value());
}

TEST(DocumentScalars, EveryKindSurvivesReplicationWithItsKind) {
    const std::vector<std::pair<std::string, Scalar>> cases = {
        {"string", std::string("héllo, 世界")},
        {"empty string", std::string()},
        {"signed min", std::numeric_limits<std::int64_t>::min()},
        {"signed -1", std::int64_t{-1}},
        {"unsigned max", std::numeric_limits<std::uint64_t>::max()},
        {"float", 22.9},
        {"float nan", std::numeric_limits<double>::quiet_NaN()},
        {"float -0", -0.0},
        {"counter", Counter{-7}},
        {"timestamp", Timestamp{1'700'000'000'000}},
        {"true", true},
        {"false", false},
    };
    Document a(actor_with(1));
    for (const auto& [key, value] : cases)
        ASSERT_TRUE(a.put(kRoot, key, value).ok());
    Document b(actor_with(2));
    auto report = b.apply_change(committed(a));
    ASSERT_EQ(report.applied, 1u);
    for (const auto& [key, value] : cases) {
        EXPECT_TRUE(same_scalar(scalar_at(b, kRoot, key), value)) << key;
    }
}

TEST(DocumentScalars, SameNumberOfAnotherKindIsADifferentValue) {
    Document d;
    ASSERT_TRUE(d.put(kRoot, "port", std::int64_t{22}).ok());
    (void)d.commit();
    ASSERT_TRUE(d.put(kRoot, "port", std::uint64_t{22}).ok());
    EXPECT_TRUE(d.commit().has_value());
    EXPECT_TRUE(std::holds_alternative<std::uint64_t>(scalar_at(d, kRoot, "port")));
}

TEST(DocumentMaps, KeysAscendNestedMapsAndTextsRead) {
    Document d;
    auto conns = d.put_object(kRoot, "connections", ObjType::Map).value();
    for (const char* k : {"b", "a", "c", "B", "aa"}) {
        ASSERT_TRUE(d.put_object(conns, k, ObjType::Map).ok());
    }
    EXPECT_EQ(d.keys(conns).value(), (std::vector<std::string>{"B", "a", "aa", "b", "c"}));
    auto entry = std::get<ObjRef>(*d.get(conns, "a").value()).id;
    auto name = d.put_object(entry, "name", ObjType::Text).value();
    ASSERT_TRUE(d.splice(name, 0, 0, "Büro").ok());
    ASSERT_TRUE(d.splice(name, 4, 0, " 2").ok());
    ASSERT_TRUE(d.splice(name, 1, 1, "u").ok());
    EXPECT_EQ(d.text(name).value(), "Buro 2");
    EXPECT_EQ(d.length(name).value(), 6u);
}

TEST(DocumentMaps, ReadingAndWritingTheWrongObjectFails) {
    Document d;
    auto name = d.put_object(kRoot, "name", ObjType::Text).value();
    auto map = d.put_object(kRoot, "map", ObjType::Map).value();
    const ObjId missing{999, 0};
    struct Case {
        const char* what;
        ErrorCode expected;
        std::function<std::optional<Error>()> run;
    };
    auto err = [](const auto& r) -> std::optional<Error> {
        return r.ok() ? std::nullopt : std::optional<Error>(r.error());
    };
    const std::vector<Case> cases = {
        {"get on a text", ErrorCode::WrongObjectType, [&] { return err(d.get(name, "k")); }},
        {"keys of a missing object", ErrorCode::NoSuchObject, [&] { return err(d.keys(missing)); }},
        {"text of a map", ErrorCode::WrongObjectType, [&] { return err(d.text(map)); }},
        {"put on a text", ErrorCode::WrongObjectType, [&] { return err(d.put(name, "k", true)); }},
        {"splice past the end", ErrorCode::OutOfRange,
         [&] { return err(d.splice(name, 1, 0, "x")); }},
        {"removal past the end", ErrorCode::OutOfRange,
         [&] { return err(d.splice(name, 0, 1, "")); }},
        {"removal overflowing", ErrorCode::OutOfRange,
         [&] { return err(d.splice(name, 1, SIZE_MAX, "")); }},
        {"splice of broken UTF-8", ErrorCode::InvalidText,
         [&] { return err(d.splice(name, 0, 0, "\xc3")); }},
        {"string of broken UTF-8", ErrorCode::InvalidText,
         [&] { return err(d.put(map, "k", std::string("\xed\xa0\x80"))); }},
        {"key of broken UTF-8", ErrorCode::InvalidText,
         [&] { return err(d.put_object(map, "\xff", ObjType::Map)); }},
    };
    (void)d.commit();
    const std::string before = doc_test::dump(d, kRoot);
    for (const auto& c : cases) {
        auto e = c.run();
        ASSERT_TRUE(e.has_value()) << c.what;
        EXPECT_EQ(e->code, c.expected) << c.what;
    }
    EXPECT_EQ(doc_test::dump(d, kRoot), before);
    EXPECT_FALSE(d.commit().has_value());
}

TEST(DocumentWrites, WritingWhatIsThereMakesNoChange) {
    Document d;
    auto entry = d.put_object(kRoot, "entry", ObjType::Map).value();
    auto name = d.put_object(entry, "name", ObjType::Text).value();
    ASSERT_TRUE(d.splice(name, 0, 0, "Home server").ok());
    ASSERT_TRUE(d.put(entry, "host", std::string("10.0.0.1")).ok());
    ASSERT_TRUE(d.put(entry, "port", std::int64_t{22}).ok());
    ASSERT_TRUE(d.put(entry, "ratio", std::numeric_limits<double>::quiet_NaN()).ok());
    ASSERT_TRUE(d.put(entry, "favorite", false).ok());
    ASSERT_TRUE(d.commit().has_value());

    const std::vector<std::pair<const char*, std::function<Status()>>> writes = {
        {"same string", [&] { return d.put(entry, "host", std::string("10.0.0.1")); }},
        {"same signed", [&] { return d.put(entry, "port", std::int64_t{22}); }},
        {"same NaN",
         [&] { return d.put(entry, "ratio", std::numeric_limits<double>::quiet_NaN()); }},
        {"same boolean", [&] { return d.put(entry, "favorite", false); }},
        {"delete of an absent key", [&] { return d.delete_key(entry, "user"); }},
        {"empty splice", [&] { return d.splice(name, 3, 0, ""); }},
        {"diffed splice of the same text",
         [&] { return splice_text_diffed(d, name, "Home server"); }},
    };
    for (const auto& [what, write] : writes) {
        ASSERT_TRUE(write().ok()) << what;
        EXPECT_FALSE(d.has_uncommitted()) << what;
        EXPECT_FALSE(d.commit().has_value()) << what;
    }
    ASSERT_TRUE(d.put(entry, "port", std::int64_t{23}).ok());
    EXPECT_TRUE(d.commit().has_value());
}

TEST(DocumentMerge, ConcurrentPutsKeepBothAndTheGreatestOpIdWins) {
    Document a(actor_with(1)), b(actor_with(2));
    ASSERT_TRUE(a.put(kRoot, "host", std::string("from a")).ok());
    ASSERT_TRUE(b.put(kRoot, "host", std::string("from b")).ok());
    auto ca = committed(a), cb = committed(b);
    ASSERT_EQ(a.apply_change(cb).applied, 1u);
    ASSERT_EQ(b.apply_change(ca).applied, 1u);
    // Equal counters: the greater actor id decides.
    for (const Document* d : {&a, &b}) {
        EXPECT_TRUE(same_scalar(scalar_at(*d, kRoot, "host"), std::string("from b")));
        EXPECT_EQ(d->conflicts(kRoot, "host").value().size(), 2u);
    }
    // A later write by the lesser actor has seen both and replaces both.
    ASSERT_TRUE(a.put(kRoot, "host", std::string("settled")).ok());
    ASSERT_EQ(b.apply_change(committed(a)).applied, 1u);
    EXPECT_EQ(b.conflicts(kRoot, "host").value().size(), 1u);
    EXPECT_TRUE(same_scalar(scalar_at(b, kRoot, "host"), std::string("settled")));
}

TEST(DocumentMerge, DeleteRemovesOnlyWhatItSaw) {
    Document a(actor_with(1)), b(actor_with(2));
    ASSERT_TRUE(a.put(kRoot, "k", std::int64_t{1}).ok());
    auto base = committed(a);
    ASSERT_EQ(b.apply_change(base).applied, 1u);
    ASSERT_TRUE(a.delete_key(kRoot, "k").ok());
    ASSERT_TRUE(b.put(kRoot, "k", std::int64_t{2}).ok());
    auto ca = committed(a), cb = committed(b);
    a.apply_change(cb);
    b.apply_change(ca);
    EXPECT_EQ(doc_test::dump(a, kRoot), doc_test::dump(b, kRoot));
    EXPECT_TRUE(same_scalar(scalar_at(a, kRoot, "k"), std::int64_t{2}));
}

TEST(DocumentMerge, ConcurrentInsertionsAtOnePlaceInterleaveIdentically) {
    Document a(actor_with(1)), b(actor_with(2)), c(actor_with(3));
    auto name = a.put_object(kRoot, "name", ObjType::Text).value();
    ASSERT_TRUE(a.splice(name, 0, 0, "ac").ok());
    auto base = committed(a);
    b.apply_change(base);
    c.apply_change(base);
    ASSERT_TRUE(a.splice(name, 1, 0, "1").ok());
    ASSERT_TRUE(b.splice(name, 1, 0, "2").ok());
    ASSERT_TRUE(c.splice(name, 1, 1, "3").ok());
    std::vector<std::vector<std::uint8_t>> edits = {committed(a), committed(b), committed(c)};
    a.apply_changes(std::vector{edits[2], edits[1]});
    b.apply_changes(std::vector{edits[0], edits[2]});
    c.apply_changes(std::vector{edits[1], edits[0]});
    const std::string text = a.text(name).value();
    EXPECT_EQ(b.text(name).value(), text);
    EXPECT_EQ(c.text(name).value(), text);
    EXPECT_EQ(text.size(), 4u);  // a, three insertions, c removed
    EXPECT_EQ(text.front(), 'a');
}

TEST(DocumentApply, ApplyingAgainChangesNothing) {
    Document a(actor_with(1)), b(actor_with(2));
    std::vector<std::vector<std::uint8_t>> changes;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(a.put(kRoot, "k" + std::to_string(i), std::int64_t{i}).ok());
        changes.push_back(committed(a));
    }
    auto first = b.apply_changes(changes);
    EXPECT_EQ(first.applied, 5u);
    const std::string once = doc_test::dump(b, kRoot);
    const auto heads = b.heads();
    auto second = b.apply_changes(changes);
    EXPECT_EQ(second.applied, 0u);
    EXPECT_EQ(second.duplicates, 5u);
    EXPECT_EQ(doc_test::dump(b, kRoot), once);
    EXPECT_EQ(b.heads(), heads);
    EXPECT_EQ(b.change_count(), 5u);
    // Our own changes coming back are duplicates too.
    EXPECT_EQ(a.apply_changes(changes).duplicates, 5u);
}

TEST(DocumentApply, ChangesWithMissingDependenciesWaitForThem) {
    Document a(actor_with(1)), b(actor_with(2));
    std::vector<std::vector<std::uint8_t>> changes;
    auto conns = a.put_object(kRoot, "connections", ObjType::Map).value();
    changes.push_back(committed(a));
    auto entry = a.put_object(conns, "x", ObjType::Map).value();
    changes.push_back(committed(a));
    ASSERT_TRUE(a.put(entry, "host", std::string("h")).ok());
    changes.push_back(committed(a));

    auto r1 = b.apply_change(changes[2]);
    EXPECT_EQ(r1.applied, 0u);
    EXPECT_EQ(r1.waiting, 1u);
    EXPECT_FALSE(b.get(kRoot, "connections").value().has_value());
    auto r2 = b.apply_change(changes[1]);
    EXPECT_EQ(r2.applied, 0u);
    EXPECT_EQ(r2.waiting, 2u);
    EXPECT_EQ(b.apply_change(changes[2]).duplicates, 1u);
    auto r3 = b.apply_change(changes[0]);
    EXPECT_EQ(r3.applied, 3u);
    EXPECT_EQ(r3.waiting, 0u);
    EXPECT_TRUE(r3.rejected.empty());
    EXPECT_EQ(doc_test::dump(b, kRoot), doc_test::dump(a, kRoot));
}

TEST(DocumentApply, ChangesSinceHeadsAreExactlyWhatThePeerLacks) {
    Document a(actor_with(1)), b(actor_with(2));
    ASSERT_TRUE(a.put(kRoot, "x", std::int64_t{1}).ok());
    b.apply_change(committed(a));
    const auto b_heads = b.heads();
    ASSERT_TRUE(a.put(kRoot, "y", std::int64_t{2}).ok());
    auto c2 = committed(a);
    ASSERT_TRUE(a.put(kRoot, "z", std::int64_t{3}).ok());
    auto c3 = committed(a);
    EXPECT_EQ(a.changes_since(b_heads), (std::vector{c2, c3}));
    EXPECT_EQ(a.changes_since(a.heads()).size(), 0u);
    EXPECT_EQ(a.changes_since({}).size(), 3u);
    const ChangeHash unknown{};
    EXPECT_EQ(a.changes_since(std::span(&unknown, 1)).size(), 3u);
}

TEST(DocumentApply, LocalEditsMustBeCommittedFirst) {
    Document a(actor_with(1)), b(actor_with(2));
    ASSERT_TRUE(a.put(kRoot, "x", true).ok());
    auto ca = committed(a);
    ASSERT_TRUE(b.put(kRoot, "y", true).ok());
    auto r = b.apply_change(ca);
    ASSERT_EQ(r.rejected.size(), 1u);
    EXPECT_EQ(r.rejected[0].code, ErrorCode::UncommittedLocal);
    ASSERT_TRUE(b.commit().has_value());
    EXPECT_EQ(b.apply_change(ca).applied, 1u);
}

TEST(DocumentApply, SecondDifferentChangeForOneSequenceNumberIsRefused) {
    Document a(actor_with(1)), forked(actor_with(1)), b(actor_with(2));
    ASSERT_TRUE(a.put(kRoot, "x", true).ok());
    ASSERT_TRUE(forked.put(kRoot, "x", false).ok());
    EXPECT_EQ(b.apply_change(committed(a)).applied, 1u);
    auto r = b.apply_change(committed(forked));
    ASSERT_EQ(r.rejected.size(), 1u);
    EXPECT_EQ(r.rejected[0].code, ErrorCode::ConflictingChange);
    EXPECT_TRUE(same_scalar(scalar_at(b, kRoot, "x"), true));
}

}  // namespace
