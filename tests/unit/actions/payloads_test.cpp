#include "actions/payloads.hpp"

#include <gtest/gtest.h>

#include "actions/apply.hpp"

namespace remote {
namespace {

const Uuid kId = *Uuid::parse("0f8b3c1e-2a4d-4e6f-8a9b-0c1d2e3f4a5b");
const std::string kIdText = "0f8b3c1e-2a4d-4e6f-8a9b-0c1d2e3f4a5b";

TEST(Payloads, EncodeToTheExactCompactShapes) {
    struct Case {
        EncodedAction encoded;
        std::string type;
        std::string json;
    };
    const std::vector<Case> cases = {
        {encode_action({RemoteAction::SetFavorite{kId, true}}), "remote.action",
         R"({"SetFavorite":{"id":")" + kIdText + R"(","favorite":true}})"},
        {encode_action({RemoteAction::UpsertConnection{
             kId, "Box", "h", 22, "u", ConnectionKind::Orvo, AuthMethod::DeviceIdentity, "g"}}),
         "remote.action",
         R"({"UpsertConnection":{"id":")" + kIdText +
             R"(","name":"Box","host":"h","port":22,"user":"u","kind":"Orvo","auth":"DeviceIdentity","group":"g"}})"},
        {encode_action({RemoteAction::DeleteConnection{kId}}), "remote.action",
         R"({"DeleteConnection":{"id":")" + kIdText + R"("}})"},
        {encode_operation({RemoteOperation::ShowConnections{}}), "remote.operation",
         R"("ShowConnections")"},
        {encode_operation({RemoteOperation::NewConnectionForm{}}), "remote.operation",
         R"("NewConnectionForm")"},
        {encode_operation({RemoteOperation::SendText{kId, "ls -l\n"}}), "remote.operation",
         R"({"SendText":{"connection_id":")" + kIdText + R"(","text":"ls -l\n"}})"},
        {encode_operation({RemoteOperation::TrustSshHostKey{kId, {"ssh-ed25519", "SHA256:x"}}}),
         "remote.operation",
         R"({"TrustSshHostKey":{"connection_id":")" + kIdText +
             R"(","observed":{"algorithm":"ssh-ed25519","fingerprint":"SHA256:x"}}})"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.encoded.type_name, c.type);
        EXPECT_EQ(c.encoded.json, c.json);
    }
}

TEST(Payloads, EveryVariantRoundTrips) {
    const std::vector<RemoteAction> actions = {
        {RemoteAction::UpsertConnection{kId, "Bøx", "h", 65535, "u", ConnectionKind::Vnc,
                                        AuthMethod::Password, ""}},
        {RemoteAction::RenameConnection{kId, "  spaced  "}},
        {RemoteAction::SetFavorite{kId, false}},
        {RemoteAction::DeleteConnection{kId}},
    };
    for (const auto& a : actions) {
        const auto decoded = decode_action(encode_action(a).json);
        ASSERT_TRUE(std::holds_alternative<RemoteAction>(decoded)) << encode_action(a).json;
        EXPECT_EQ(std::get<RemoteAction>(decoded), a);
    }
    const std::vector<RemoteOperation> operations = {
        {RemoteOperation::ShowConnections{}},
        {RemoteOperation::NewConnectionForm{}},
        {RemoteOperation::EditConnection{kId}},
        {RemoteOperation::Connect{kId}},
        {RemoteOperation::Disconnect{kId}},
        {RemoteOperation::SendText{kId, "x"}},
        {RemoteOperation::TrustSshHostKey{kId, {"a", "b"}}},
        {RemoteOperation::ForgetSshHostKey{kId}},
    };
    for (const auto& o : operations) {
        const auto decoded = decode_operation("remote.operation", encode_operation(o).json);
        ASSERT_TRUE(std::holds_alternative<RemoteOperation>(decoded)) << encode_operation(o).json;
        EXPECT_EQ(std::get<RemoteOperation>(decoded), o);
    }
}

TEST(Payloads, DecodingIsStrict) {
    const std::string upsert_fields = R"("id":")" + kIdText +
                                      R"(","name":"B","host":"h","port":22,"user":"u",)"
                                      R"("kind":"Ssh","auth":"Password")";
    struct Case {
        std::string json;
        bool valid;
        std::string error_part;
    };
    const std::vector<Case> cases = {
        {R"({"UpsertConnection":{)" + upsert_fields + R"(,"group":"g","extra":1}})", true, ""},
        {R"({"UpsertConnection":{"group":"g",)" + upsert_fields + "}}", true, ""},
        {R"({"UpsertConnection":{)" + upsert_fields + "}}", false, "missing field `group`"},
        {R"({"UpsertConnection":{)" + upsert_fields + R"(,"group":"g","group":"h"}})", false,
         "duplicate field `group`"},
        {R"({"SetFavorite":{"id":")" + kIdText + R"(","favorite":"yes"}})", false, "favorite"},
        {R"({"SetFavorite":{"id":"not-a-uuid","favorite":true}})", false, "UUID"},
        {R"({"SetFavorite":{"id":42,"favorite":true}})", false, "`id`"},
        {R"({"DeleteConnection":{"id":")" + kIdText + R"("},"Other":{}})", false, "one member"},
        {R"({"Explode":{"id":")" + kIdText + R"("}})", false, "unknown variant `Explode`"},
        {R"({"UpsertConnection":{)" + std::string(R"("id":")") + kIdText +
             R"(","name":"B","host":"h","port":70000,"user":"u","kind":"Ssh","auth":"Password","group":""}})",
         false, "port"},
        {R"({"UpsertConnection":{)" + std::string(R"("id":")") + kIdText +
             R"(","name":"B","host":"h","port":22.5,"user":"u","kind":"Ssh","auth":"Password","group":""}})",
         false, "port"},
        {R"({"UpsertConnection":{)" + std::string(R"("id":")") + kIdText +
             R"(","name":"B","host":"h","port":22,"user":"u","kind":"SSH","auth":"Password","group":""}})",
         false, "unknown variant `SSH`"},
        {R"({"UpsertConnection":{)" + std::string(R"("id":")") + kIdText +
             R"(","name":"B","host":"h","port":22,"user":"u","kind":"Ssh","auth":"Public key","group":""}})",
         false, "auth"},
        {R"("DeleteConnection")", false, "needs its fields"},
        {R"({"SetFavorite":)", false, "parse error"},
        {"", false, "parse error"},
        {"[]", false, "one member"},
    };
    for (const auto& c : cases) {
        const auto decoded = decode_action(c.json);
        EXPECT_EQ(std::holds_alternative<RemoteAction>(decoded), c.valid) << c.json;
        if (!c.valid) {
            ASSERT_TRUE(std::holds_alternative<PayloadError>(decoded)) << c.json;
            EXPECT_NE(std::get<PayloadError>(decoded).message.find(c.error_part), std::string::npos)
                << std::get<PayloadError>(decoded).message;
        }
    }
}

TEST(Payloads, OperationDecodingChecksTheTypeName) {
    EXPECT_TRUE(std::holds_alternative<std::monostate>(
        decode_operation("remote.action", R"("ShowConnections")")));
    const auto bad = decode_operation("remote.operation", R"({"ShowConnections":{}})");
    ASSERT_TRUE(std::holds_alternative<PayloadError>(bad));
    const auto missing =
        decode_operation("remote.operation", R"({"TrustSshHostKey":{"connection_id":")" + kIdText +
                                                 R"(","observed":{"algorithm":"a"}}})");
    ASSERT_TRUE(std::holds_alternative<PayloadError>(missing));
    EXPECT_EQ(std::get<PayloadError>(missing).message, "missing field `fingerprint`");
}

TEST(ApplyAction, UpsertKeepsWhatTheFormDoesNotEdit) {
    ProfileDocument doc;
    ConnectionProfile existing;
    existing.id = kId;
    existing.name = "Old";
    existing.favorite = true;
    existing.presence = Presence::Online;
    existing.last_used = "12m ago";
    write_profile(doc, existing);
    apply_action({RemoteAction::UpsertConnection{kId, "New", "h", 2222, "u", ConnectionKind::Ssh,
                                                 AuthMethod::PublicKey, "lab"}},
                 doc);
    const Uuid fresh = Uuid::random_v4();
    apply_action({RemoteAction::UpsertConnection{fresh, "Fresh", "f", 5900, "", ConnectionKind::Vnc,
                                                 AuthMethod::Password, ""}},
                 doc);
    for (const auto& p : read_profiles(doc)) {
        if (p.id == kId) {
            EXPECT_EQ(p.name, "New");
            EXPECT_EQ(p.port, 2222);
            EXPECT_TRUE(p.favorite);
            EXPECT_EQ(p.presence, Presence::Online);
            EXPECT_EQ(p.last_used, "12m ago");
        } else {
            EXPECT_EQ(p.id, fresh);
            EXPECT_FALSE(p.favorite);
            EXPECT_EQ(p.presence, Presence::Unknown);
            EXPECT_EQ(p.last_used, "Never");
        }
    }
    apply_action({RemoteAction::RenameConnection{kId, " untrimmed "}}, doc);
    apply_action({RemoteAction::SetFavorite{fresh, true}}, doc);
    apply_action({RemoteAction::DeleteConnection{Uuid::random_v4()}}, doc);
    const auto profiles = read_profiles(doc);
    ASSERT_EQ(profiles.size(), 2u);
    for (const auto& p : profiles) {
        if (p.id == kId) {
            EXPECT_EQ(p.name, " untrimmed ");
        } else {
            EXPECT_TRUE(p.favorite);
        }
    }
    apply_action({RemoteAction::DeleteConnection{kId}}, doc);
    EXPECT_EQ(read_profiles(doc).size(), 1u);
}

}  // namespace
}  // namespace remote
