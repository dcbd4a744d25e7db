// The session manager with real servers: a VNC desktop from Xvnc reaching remote_frame, and an
// SSH profile against sshd from the first, untrusted connection to typed commands.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "integration/rfb/xvnc_server.hpp"
#include "integration/ssh/session_waits.hpp"
#include "integration/ssh/sshd_server.hpp"
#include "known_hosts/host_key_store.hpp"
#include "session/session_input.hpp"
#include "session/session_manager.hpp"
#include "unit/session/session_fixture.hpp"

namespace remote {
namespace {

using remote::testing::ScopedEnv;
using remote::testing::SessionHarness;

// Polls as painting would until pred holds; false on timeout.
template <class Pred>
bool poll_until(SessionHarness& h, Pred pred,
                std::chrono::seconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        poll_session(h.fields());
        if (pred()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(LiveVncTest, XvncDesktopReachesTheRemoteFrameAfterAPoll) {
    const ScopedEnv live("REMOTE_LIVE_SESSIONS", "1");
    const ScopedEnv no_password("REMOTE_VNC_PASSWORD", nullptr);
    rfb::testing::XvncServer server("None", "", 320, 240);
    ASSERT_TRUE(server.ready());
    SessionHarness h;
    const Uuid id = h.add(ConnectionKind::Vnc, "127.0.0.1", server.port()).id;
    ASSERT_TRUE(start_session(h.fields(), id));
    ASSERT_NE(vnc_session(h.session), nullptr);
    EXPECT_TRUE(session_wants_frames(h.session));

    ASSERT_TRUE(poll_until(h, [&] { return h.remote_frame.has_value(); }))
        << slot_status(h.session)->text();
    EXPECT_EQ(slot_status(h.session), SessionStatus::connected());
    EXPECT_EQ(h.remote_frame->width(), 320);
    EXPECT_EQ(h.remote_frame->height(), 240);
    // The picture is the worker's snapshot itself, not a copy.
    const auto snapshot = vnc_session(h.session)->worker.framebuffer->get();
    ASSERT_TRUE(snapshot.has_value());
    if (snapshot->generation() == vnc_session(h.session)->last_seen_generation) {
        EXPECT_EQ(h.remote_frame->data(), snapshot->bytes().data());
    }
    EXPECT_EQ(h.profiles[0].presence, Presence::Online);
    EXPECT_EQ(h.profiles[0].last_used, "just now");

    end_session(h.fields());
    EXPECT_FALSE(h.remote_frame.has_value());
    EXPECT_EQ(h.session_generation, 2U);
}

orvo_ui::KeyEvent key_for(char c) {
    orvo_ui::KeyEvent key;
    if (c == '\r') {
        key.key = orvo_ui::NamedKey::Enter;
        return key;
    }
    key.character = std::string(1, c);
    key.text = key.character;
    return key;
}

TEST(LiveSshTest, UntrustedFirstThenTrustedProfileTakesTypedCommands) {
    ssh::testing::SshdServer server;
    ASSERT_TRUE(server.ready());
    const std::string trust_dir = server.dir() + "/trust";
    std::filesystem::create_directory(trust_dir);
    ::chmod(trust_dir.c_str(), 0700);
    const std::string known_hosts = trust_dir + "/known-hosts.json";
    const ScopedEnv live("REMOTE_LIVE_SESSIONS", "1");
    const ScopedEnv trust_file("REMOTE_SSH_KNOWN_HOSTS", known_hosts.c_str());
    const ScopedEnv key("REMOTE_SSH_KEY", server.client_key().c_str());
    const ScopedEnv no_passphrase("REMOTE_SSH_KEY_PASSPHRASE", nullptr);
    const ScopedEnv user("USER", ssh::testing::current_user().c_str());

    SessionHarness h;
    const Uuid id =
        h.add(ConnectionKind::Ssh, "127.0.0.1", server.port(), AuthMethod::PublicKey).id;
    ASSERT_TRUE(start_session(h.fields(), id));
    ASSERT_TRUE(poll_until(h, [&] { return !slot_status(h.session)->is_active(); }));
    const std::string refused = slot_status(h.session)->text();
    EXPECT_EQ(refused.rfind("SSH host key for 127.0.0.1:" + std::to_string(server.port()) +
                                " needs explicit trust: ssh-ed25519 SHA256:",
                            0),
              0U)
        << refused;
    const auto review = ssh_session(h.session)->review();
    ASSERT_TRUE(review.has_value());
    const auto& observed = std::get<ssh::HostKeyReview::Unknown>(review->value).observed;
    ASSERT_TRUE(trust_host_key(known_hosts, "127.0.0.1", server.port(), observed).ok());

    ASSERT_TRUE(start_session(h.fields(), id));
    EXPECT_EQ(h.session_generation, 2U);
    ASSERT_TRUE(
        poll_until(h, [&] { return !slot_status(h.session)->is<SessionStatus::Connecting>(); }));
    ASSERT_EQ(slot_status(h.session), SessionStatus::connected()) << slot_status(h.session)->text();
    poll_session(h.fields());
    EXPECT_EQ(h.profiles[0].presence, Presence::Online);

    for (const char c : std::string("echo ab''cd\r")) {
        EXPECT_TRUE(route_session_key(h.session, key_for(c)));
    }
    ASSERT_TRUE(poll_until(h, [&] {
        return ssh::testing::screen_text(ssh_session(h.session)->terminal()).find("\nabcd ") !=
               std::string::npos;
    })) << ssh::testing::screen_text(ssh_session(h.session)->terminal());

    end_session(h.fields());
    EXPECT_FALSE(h.session.has_value());
    EXPECT_EQ(h.session_generation, 3U);
}

}  // namespace
}  // namespace remote
