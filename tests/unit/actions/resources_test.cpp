#include "actions/resources.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

#include "scenes/sample_data.hpp"

namespace remote {
namespace {

using orvo_actions::resource::ActionSpec;
using orvo_actions::resource::OperationClass;
using orvo_actions::resource::Resource;

ConnectionProfile profile(std::string name, ConnectionKind kind, AuthMethod auth,
                          std::string host = "h") {
    ConnectionProfile p;
    p.id = Uuid::random_v4();
    p.name = std::move(name);
    p.kind = kind;
    p.auth = auth;
    p.host = std::move(host);
    return p;
}

const ActionSpec& action(const Resource& r, const std::string& id) {
    const ActionSpec* a = r.find_action(id);
    if (a == nullptr) {
        ADD_FAILURE() << "no action " << id << " on " << r.id;
        std::abort();
    }
    return *a;
}

TEST(Resources, ConnectionListShape) {
    unsetenv("REMOTE_LIVE_SESSIONS");
    ProfileDocument doc;
    auto fav = profile("Fav", ConnectionKind::Ssh, AuthMethod::Password);
    fav.favorite = true;
    const auto nameless = profile("", ConnectionKind::Vnc, AuthMethod::Password, "10.0.0.9");
    const auto rdp = profile("Win", ConnectionKind::Rdp, AuthMethod::Password);
    const auto orvo_pw = profile("Dev", ConnectionKind::Orvo, AuthMethod::Password);
    const auto orvo = profile("Studio", ConnectionKind::Orvo, AuthMethod::DeviceIdentity,
                              demo_device_endpoint(1));
    for (const auto& p : {fav, nameless, rdp, orvo_pw, orvo})
        write_profile(doc, p);

    const auto roots = connection_resources(doc);
    ASSERT_EQ(roots.size(), 1u);
    const Resource& root = roots[0];
    EXPECT_EQ(root.id, "remote.connections");
    EXPECT_EQ(root.kind, "remote.connection-list");
    EXPECT_EQ(root.label, "Remote connections");
    ASSERT_EQ(root.actions.size(), 2u);
    EXPECT_EQ(root.actions[0].id, "open");
    EXPECT_EQ(root.actions[0].operation_class, OperationClass::View);
    EXPECT_EQ(std::get<EncodedAction>(root.actions[1].payload).json, R"("NewConnectionForm")");
    ASSERT_EQ(root.children.size(), 5u);

    struct Expect {
        const ConnectionProfile* p;
        std::string label;
        std::string favorite_label;
        std::string favorite_json_part;
        std::string unavailable_code;
        std::string unavailable_message;
    };
    const Expect expectations[] = {
        {&fav, "Fav", "Remove from favourites", "\"favorite\":false",
         "live_session_capability_required",
         "SSH is installed, but this build has not been granted live network access."},
        {&nameless, "10.0.0.9", "Add to favourites", "\"favorite\":true",
         "live_session_capability_required",
         "VNC is installed, but this build has not been granted live network access."},
        {&rdp, "Win", "Add to favourites", "\"favorite\":true", "transport_backend_unavailable",
         "RDP profiles are preserved, but this Orvo build has no RDP client backend."},
        {&orvo_pw, "Dev", "Add to favourites", "\"favorite\":true", "invalid_connection_profile",
         "Orvo device profiles must use Orvo device identity."},
        {&orvo, "Studio", "Add to favourites", "\"favorite\":true", "", ""},
    };
    for (const auto& e : expectations) {
        const Resource* r = orvo_actions::resource::find_resource(
            roots, "remote.connection:" + e.p->id.to_string());
        ASSERT_NE(r, nullptr) << e.label;
        EXPECT_EQ(r->kind, "remote.connection");
        EXPECT_EQ(r->label, e.label);
        std::vector<std::string> ids;
        for (const auto& a : r->actions)
            ids.push_back(a.id);
        EXPECT_EQ(ids,
                  (std::vector<std::string>{"open", "connect", "rename", "favorite", "delete"}));
        const auto& favorite = action(*r, "favorite");
        EXPECT_EQ(favorite.label, e.favorite_label);
        EXPECT_NE(std::get<EncodedAction>(favorite.payload).json.find(e.favorite_json_part),
                  std::string::npos);
        EXPECT_TRUE(action(*r, "delete").is_destructive);
        const auto& connect = action(*r, "connect");
        EXPECT_EQ(connect.operation_class, OperationClass::Background);
        EXPECT_EQ(connect.effective_contract().tags,
                  (std::vector<std::string>{"network", "session"}));
        EXPECT_EQ(connect.effective_contract().settings,
                  (std::array<std::uint8_t, 5>{0, 2, 0, 3, 1}));
        EXPECT_EQ(connect.description.rfind("Open a live session to this saved connection. ", 0),
                  0u);
        if (e.unavailable_code.empty()) {
            EXPECT_FALSE(connect.unavailable) << e.label;
        } else {
            ASSERT_TRUE(connect.unavailable) << e.label;
            EXPECT_EQ(connect.unavailable->code, e.unavailable_code);
            EXPECT_EQ(connect.unavailable->message, e.unavailable_message);
        }
    }
}

TEST(Resources, RenameBuildsItsPayloadFromTheArgument) {
    ProfileDocument doc;
    const auto p = profile("Box", ConnectionKind::Ssh, AuthMethod::Password);
    write_profile(doc, p);
    const auto roots = connection_resources(doc);
    const auto& rename = action(roots[0].children[0], "rename");
    orvo_actions::params::ActionArgs args;
    args.set("value", "New Box");
    const auto built = rename.build(args);
    ASSERT_TRUE(std::holds_alternative<EncodedAction>(built));
    EXPECT_EQ(std::get<EncodedAction>(built),
              encode_action({RemoteAction::RenameConnection{p.id, "New Box"}}));
    EXPECT_EQ(std::get<EncodedAction>(rename.build({})).json,
              encode_action({RemoteAction::RenameConnection{p.id, ""}}).json);
}

TEST(Resources, SessionResourceFollowsTheSessionAndItsReview) {
    const auto p = profile("Box", ConnectionKind::Ssh, AuthMethod::Password);
    struct Case {
        bool ssh_connected;
        std::optional<PendingHostKeyReview> review;
        std::vector<std::string> actions;
        bool send_available;
    };
    const PendingHostKeyReview unknown{PendingHostKeyReview::Kind::Unknown,
                                       {"ssh-ed25519", "SHA256:abc"}};
    const PendingHostKeyReview changed{PendingHostKeyReview::Kind::Changed, {}};
    const PendingHostKeyReview store{PendingHostKeyReview::Kind::StoreUnavailable, {}};
    const Case cases[] = {
        {true, std::nullopt, {"disconnect", "send-text"}, true},
        {false, std::nullopt, {"disconnect", "send-text"}, false},
        {false, unknown, {"disconnect", "send-text", "trust-host-key"}, false},
        {false, changed, {"disconnect", "send-text", "forget-host-key"}, false},
        {false, store, {"disconnect", "send-text"}, false},
    };
    for (const auto& c : cases) {
        const Resource r = session_resource(p, c.ssh_connected, c.review);
        EXPECT_EQ(r.id, "remote.session:" + p.id.to_string());
        EXPECT_EQ(r.kind, "remote.session");
        EXPECT_EQ(r.label, "Box session");
        std::vector<std::string> ids;
        for (const auto& a : r.actions)
            ids.push_back(a.id);
        EXPECT_EQ(ids, c.actions);
        const auto& send = action(r, "send-text");
        EXPECT_EQ(!send.unavailable, c.send_available);
        if (!c.send_available) {
            EXPECT_EQ(send.unavailable->code, "terminal_not_connected");
            EXPECT_EQ(send.unavailable->message, "Text input requires a connected SSH terminal");
        }
        EXPECT_TRUE(std::holds_alternative<orvo_actions::ActionError>(send.build({})));
    }
    const Resource trusting = session_resource(p, false, unknown);
    const auto& trust = action(trusting, "trust-host-key");
    EXPECT_EQ(trust.description,
              "Explicitly trust ssh-ed25519 SHA256:abc for this device only after out-of-band "
              "verification.");
    EXPECT_EQ(trust.effective_contract().settings, (std::array<std::uint8_t, 5>{0, 2, 0, 3, 3}));
    EXPECT_EQ(action(session_resource(p, false, changed), "forget-host-key")
                  .effective_contract()
                  .settings,
              (std::array<std::uint8_t, 5>{0, 2, 0, 2, 3}));
}

TEST(Resources, RegisteredCodecAppliesAndRejects) {
    orvo_actions::registry::Registry registry;
    register_codecs(registry);
    EXPECT_EQ(operation_types(), std::set<std::string>{"remote.operation"});
    ProfileDocument doc;
    const auto p = profile("Box", ConnectionKind::Ssh, AuthMethod::Password);
    EXPECT_FALSE(registry.apply(encode_action(upsert_from_profile(p)), doc));
    EXPECT_EQ(read_profiles(doc).size(), 1u);
    const auto error = registry.apply({"remote.action", R"({"SetFavorite":{}})"}, doc);
    ASSERT_TRUE(error);
    EXPECT_NE(error->message.find("remote.action"), std::string::npos);
    EXPECT_NE(error->message.find("missing field `id`"), std::string::npos);
}

}  // namespace
}  // namespace remote
