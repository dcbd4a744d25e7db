#include "doc/profile_store.hpp"

#include <gtest/gtest.h>

namespace remote {
namespace {

namespace d = orvo_ui::doc;

ConnectionProfile profile(std::string name, ConnectionKind kind = ConnectionKind::Ssh) {
    ConnectionProfile p;
    p.id = Uuid::random_v4();
    p.name = std::move(name);
    p.kind = kind;
    p.host = "10.0.0.5";
    p.port = 2222;
    p.user = "ann";
    p.auth = AuthMethod::PublicKey;
    p.group = "lab";
    p.favorite = true;
    p.last_used = "2h ago";
    p.presence = Presence::Offline;
    return p;
}

d::ObjId connections(ProfileDocument& doc) {
    auto value = doc.get(d::kRoot, "connections").value();
    return std::get<d::ObjRef>(*value).id;
}

d::ObjId entry_of(ProfileDocument& doc, const Uuid& id) {
    auto value = doc.get(connections(doc), id.to_string()).value();
    return std::get<d::ObjRef>(*value).id;
}

TEST(ProfileStore, WriteThenReadRoundTripsInIdOrder) {
    ProfileDocument doc;
    std::vector<ConnectionProfile> written;
    for (const auto kind : kAllKinds) {
        written.push_back(profile(std::string("P ") + std::string(kind_label(kind)), kind));
    }
    written[1].auth = AuthMethod::Password;
    written[3].auth = AuthMethod::DeviceIdentity;
    written[2].presence = Presence::Online;
    written[0].presence = Presence::Unknown;
    for (const auto& p : written)
        write_profile(doc, p);
    std::sort(written.begin(), written.end(),
              [](const auto& a, const auto& b) { return a.id.to_string() < b.id.to_string(); });
    EXPECT_EQ(read_profiles(doc), written);
}

TEST(ProfileStore, EmptyDocumentReadsEmptyAndStaysUntouched) {
    ProfileDocument doc;
    EXPECT_TRUE(read_profiles(doc).empty());
    EXPECT_FALSE(doc.has_uncommitted());
    EXPECT_FALSE(doc.get(d::kRoot, "connections").value());
}

TEST(ProfileStore, WritingTheSameProfileTwiceChangesNothing) {
    ProfileDocument doc;
    ConnectionProfile p = profile("Box");
    write_profile(doc, p);
    ASSERT_TRUE(doc.commit());
    write_profile(doc, p);
    EXPECT_FALSE(doc.has_uncommitted());
    EXPECT_FALSE(doc.commit());
    // A changed field writes only that field.
    p.group = "prod";
    write_profile(doc, p);
    EXPECT_TRUE(doc.commit());
    EXPECT_EQ(read_profiles(doc)[0].group, "prod");
}

TEST(ProfileStore, WrongTypedConnectionsReadsEmptyAndIsReplacedByTheNextWrite) {
    ProfileDocument doc;
    ASSERT_TRUE(doc.put(d::kRoot, "connections", std::string("oops")).ok());
    EXPECT_TRUE(read_profiles(doc).empty());
    const ConnectionProfile p = profile("Box");
    write_profile(doc, p);
    EXPECT_EQ(read_profiles(doc), std::vector<ConnectionProfile>{p});
}

TEST(ProfileStore, FieldsFallBackToDefaults) {
    struct Case {
        const char* label;
        std::string key;
        d::Scalar stored;
        std::function<void(const ConnectionProfile&)> check;
    };
    const std::vector<Case> cases = {
        {"unsigned port 70000", "port", std::uint64_t{70000},
         [](const auto& p) { EXPECT_EQ(p.port, 4464); }},
        {"float port 22.9", "port", 22.9, [](const auto& p) { EXPECT_EQ(p.port, 22); }},
        {"negative float port", "port", -1.5, [](const auto& p) { EXPECT_EQ(p.port, 65535); }},
        {"NaN port", "port", std::nan(""), [](const auto& p) { EXPECT_EQ(p.port, 0); }},
        {"huge float port", "port", 1e300, [](const auto& p) { EXPECT_EQ(p.port, 0xFFFF); }},
        {"counter port", "port", d::Counter{5900}, [](const auto& p) { EXPECT_EQ(p.port, 5900); }},
        {"timestamp port", "port", d::Timestamp{65558},
         [](const auto& p) { EXPECT_EQ(p.port, 22); }},
        {"string port", "port", std::string("22"), [](const auto& p) { EXPECT_EQ(p.port, 0); }},
        {"lower-case vnc kind", "kind", std::string("vnc"),
         [](const auto& p) { EXPECT_EQ(p.kind, ConnectionKind::Ssh); }},
        {"RDP kind", "kind", std::string("RDP"),
         [](const auto& p) { EXPECT_EQ(p.kind, ConnectionKind::Rdp); }},
        {"numeric kind", "kind", std::int64_t{1},
         [](const auto& p) { EXPECT_EQ(p.kind, ConnectionKind::Ssh); }},
        {"unknown auth", "auth", std::string("Kerberos"),
         [](const auto& p) { EXPECT_EQ(p.auth, AuthMethod::Password); }},
        {"presence in capitals", "presence", std::string("Online"),
         [](const auto& p) { EXPECT_EQ(p.presence, Presence::Unknown); }},
        {"favourite as integer", "favorite", std::int64_t{1},
         [](const auto& p) { EXPECT_FALSE(p.favorite); }},
        {"host as integer", "host", std::int64_t{7}, [](const auto& p) { EXPECT_EQ(p.host, ""); }},
        {"name as string scalar", "name", std::string("Scalar"),
         [](const auto& p) { EXPECT_EQ(p.name, ""); }},
    };
    for (const auto& c : cases) {
        ProfileDocument doc;
        const ConnectionProfile p = profile("Box");
        write_profile(doc, p);
        ASSERT_TRUE(doc.put(entry_of(doc, p.id), c.key, c.stored).ok()) << c.label;
        const auto read = read_profiles(doc);
        ASSERT_EQ(read.size(), 1u) << c.label;
        SCOPED_TRACE(c.label);
        c.check(read[0]);
    }
}

TEST(ProfileStore, ForeignKeysAndEntriesAreSkippedAndKept) {
    ProfileDocument doc;
    const ConnectionProfile p = profile("Box");
    write_profile(doc, p);
    const d::ObjId map = connections(doc);
    ASSERT_TRUE(doc.put(map, "not-a-uuid", std::string("x")).ok());
    ASSERT_TRUE(doc.put_object(map, "also-not", d::ObjType::Map).ok());
    const std::string scalar_id = Uuid::random_v4().to_string();
    ASSERT_TRUE(doc.put(map, scalar_id, std::int64_t{3}).ok());
    EXPECT_EQ(read_profiles(doc), std::vector<ConnectionProfile>{p});
    write_profile(doc, profile("Other"));
    EXPECT_TRUE(doc.get(map, "not-a-uuid").value());
    EXPECT_TRUE(doc.get(map, "also-not").value());
}

TEST(ProfileStore, NameScalarIsReplacedByATextObjectOnWrite) {
    ProfileDocument doc;
    ConnectionProfile p = profile("Box");
    write_profile(doc, p);
    ASSERT_TRUE(doc.put(entry_of(doc, p.id), "name", std::string("Scalar")).ok());
    write_profile(doc, p);
    const auto name = doc.get(entry_of(doc, p.id), "name").value();
    ASSERT_TRUE(std::holds_alternative<d::ObjRef>(*name));
    EXPECT_EQ(read_profiles(doc)[0].name, "Box");
}

TEST(ProfileStore, RenameFavouriteAndDelete) {
    ProfileDocument doc;
    ConnectionProfile p = profile("Box");
    p.favorite = false;
    write_profile(doc, p);
    rename_profile(doc, p.id, "Bux Box");
    set_favorite(doc, p.id, true);
    auto read = read_profiles(doc);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].name, "Bux Box");
    EXPECT_TRUE(read[0].favorite);
    EXPECT_EQ(read[0].host, p.host);
    ASSERT_TRUE(doc.commit());
    set_favorite(doc, p.id, true);  // unchanged: no change
    EXPECT_FALSE(doc.has_uncommitted());
    delete_profile(doc, p.id);
    EXPECT_TRUE(read_profiles(doc).empty());
}

TEST(ProfileStore, MissingIdsChangeNothingButTheConnectionsMap) {
    ProfileDocument doc;
    const Uuid missing = Uuid::random_v4();
    rename_profile(doc, missing, "x");
    set_favorite(doc, missing, true);
    delete_profile(doc, missing);
    const auto value = doc.get(d::kRoot, "connections").value();
    ASSERT_TRUE(value);
    EXPECT_TRUE(doc.keys(connections(doc)).value().empty());
}

TEST(ProfileStore, ConcurrentRenamesMergeCharacterByCharacter) {
    ProfileDocument a;
    ConnectionProfile p = profile("Build Box");
    write_profile(a, p);
    ASSERT_TRUE(a.commit());
    ProfileDocument b;
    b.apply_changes(a.changes_since({}));
    rename_profile(a, p.id, "Build Box 2");
    rename_profile(b, p.id, "My Build Box");
    ASSERT_TRUE(a.commit());
    ASSERT_TRUE(b.commit());
    a.apply_changes(b.changes_since({}));
    b.apply_changes(a.changes_since({}));
    EXPECT_EQ(read_profiles(a)[0].name, "My Build Box 2");
    EXPECT_EQ(read_profiles(a), read_profiles(b));
}

}  // namespace
}  // namespace remote

namespace remote {
namespace {

// Two replicas that both started empty each create their own connections map; after merging
// one map is visible, and the profiles saved into the other must not disappear.
TEST(ProfileStore, ProfilesInConcurrentConnectionMapsStayVisible) {
    ProfileDocument a;
    ProfileDocument b;
    const ConnectionProfile from_a = profile("From A");
    const ConnectionProfile from_b = profile("From B");
    write_profile(a, from_a);
    write_profile(b, from_b);
    ASSERT_TRUE(a.commit());
    ASSERT_TRUE(b.commit());
    a.apply_changes(b.changes_since({}));
    b.apply_changes(a.changes_since({}));
    for (ProfileDocument* doc : {&a, &b}) {
        const auto read = read_profiles(*doc);
        ASSERT_EQ(read.size(), 2u);
    }
    // Every writer reaches the profile wherever it lives.
    for (const auto& p : {from_a, from_b}) {
        rename_profile(a, p.id, p.name + "!");
        set_favorite(a, p.id, false);
    }
    for (const auto& p : read_profiles(a)) {
        EXPECT_EQ(p.name.back(), '!');
        EXPECT_FALSE(p.favorite);
    }
    delete_profile(a, from_a.id);
    delete_profile(a, from_b.id);
    EXPECT_TRUE(read_profiles(a).empty());
}

}  // namespace
}  // namespace remote
