// The live-session slot: counters, start and end rules, slot status, polling and the marks in
// the list.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "profile/validation.hpp"
#include "session/session_input.hpp"
#include "session/session_manager.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"
#include "unit/session/session_fixture.hpp"

namespace remote {
namespace {

using test_support::threads_named;
using testing::ScopedEnv;
using testing::SessionHarness;

// A private folder for the trust file, named by REMOTE_SSH_KNOWN_HOSTS.
class TrustFolder {
  public:
    explicit TrustFolder(mode_t mode = 0700) {
        ::chmod(dir_.path().c_str(), mode);
        env_.emplace("REMOTE_SSH_KNOWN_HOSTS", (dir_.path() / "known-hosts.json").c_str());
    }

  private:
    test_support::TempDir dir_{"remote-session-trust"};
    std::optional<ScopedEnv> env_;  // declared last: restored before the folder goes
};

SessionStatus status_of(SessionHarness& h) {
    return slot_status(h.session).value();
}

TEST(SessionStartTest, UnknownProfileChangesNothing) {
    SessionHarness h;
    h.add(ConnectionKind::Ssh, "host", 22);
    EXPECT_FALSE(start_session(h.fields(), Uuid::random_v4()));
    EXPECT_FALSE(h.session.has_value());
    EXPECT_EQ(h.session_generation, 0U);
    EXPECT_FALSE(h.session_target.has_value());
}

TEST(SessionStartTest, ExhaustedGenerationRefusesAndChangesNothingElse) {
    SessionHarness h;
    const Uuid id = h.add(ConnectionKind::Rdp, "host", 3389).id;
    h.session_generation = kMaxSessionCounter;
    h.fullscreen = true;
    h.surface_rect = orvo_ui::Rect{1, 2, 3, 4};
    h.button_mask = 5;
    h.session = LiveSession{LiveSession::Placeholder{SessionStatus::connected()}};

    EXPECT_TRUE(start_session(h.fields(), id));
    EXPECT_EQ(status_of(h), SessionStatus::failed(kIdentityExhaustedText));
    EXPECT_EQ(h.session_target, id);
    EXPECT_EQ(h.session_generation, kMaxSessionCounter);
    EXPECT_TRUE(h.fullscreen);
    EXPECT_TRUE(h.surface_rect.has_value());
    EXPECT_EQ(h.button_mask, 5);
    EXPECT_EQ(h.profiles[0].last_used, "Never");

    end_session(h.fields());
    EXPECT_EQ(h.session_generation, kMaxSessionCounter);
    EXPECT_FALSE(h.session.has_value());
    EXPECT_FALSE(h.session_target.has_value());
    EXPECT_FALSE(h.fullscreen);
}

TEST(SessionStartTest, TransportsWithoutTheCapabilityStartNoWorker) {
    const ScopedEnv no_live("REMOTE_LIVE_SESSIONS", nullptr);
    for (const ConnectionKind kind :
         {ConnectionKind::Ssh, ConnectionKind::Vnc, ConnectionKind::Rdp}) {
        SessionHarness h;
        const ConnectionProfile& p = h.add(kind, "127.0.0.1", 1);
        const Uuid id = p.id;
        const TransportAvailability availability = transport_availability(p);
        ASSERT_NE(availability, TransportAvailability::Ready);
        h.fullscreen = true;
        h.surface_rect = orvo_ui::Rect{0, 0, 10, 10};
        h.button_mask = 1;

        EXPECT_TRUE(start_session(h.fields(), id));
        ASSERT_TRUE(h.session.has_value());
        EXPECT_TRUE(std::holds_alternative<LiveSession::NotAvailable>(h.session->value));
        EXPECT_EQ(status_of(h),
                  SessionStatus::unavailable(std::string(availability_text(availability, kind))));
        EXPECT_EQ(h.session_generation, 1U);
        EXPECT_EQ(h.session_target, id);
        EXPECT_FALSE(h.fullscreen);
        EXPECT_FALSE(h.surface_rect.has_value());
        EXPECT_EQ(h.button_mask, 0);
        EXPECT_EQ(h.profiles[0].last_used, "Never");
        EXPECT_EQ(threads_named("remote-ssh") + threads_named("remote-vnc"), 0);
        EXPECT_FALSE(session_wants_frames(h.session));
    }
}

TEST(SessionStartTest, RdpNeverStartsEvenWithTheCapability) {
    const ScopedEnv live("REMOTE_LIVE_SESSIONS", "1");
    SessionHarness h;
    const Uuid id = h.add(ConnectionKind::Rdp, "desk", 3389).id;
    EXPECT_TRUE(start_session(h.fields(), id));
    ASSERT_TRUE(std::holds_alternative<LiveSession::NotAvailable>(h.session->value));
    EXPECT_EQ(std::get<LiveSession::NotAvailable>(h.session->value).availability,
              TransportAvailability::BackendUnavailable);
}

TEST(SessionStartTest, SshPreChecksFailBeforeAnyWorker) {
    const ScopedEnv live("REMOTE_LIVE_SESSIONS", "1");
    const ScopedEnv no_password("REMOTE_SSH_PASSWORD", nullptr);
    struct Case {
        mode_t trust_mode;
        std::string expected_prefix;
    };
    const std::vector<Case> cases = {
        {0700, "no SSH password: set REMOTE_SSH_PASSWORD"},
        {0755, "SSH host-key trust is unavailable: "},
    };
    for (const auto& c : cases) {
        const TrustFolder trust(c.trust_mode);
        SessionHarness h;
        const Uuid id = h.add(ConnectionKind::Ssh, "127.0.0.1", 22).id;
        EXPECT_TRUE(start_session(h.fields(), id));
        ASSERT_TRUE(std::holds_alternative<LiveSession::StartFailed>(h.session->value));
        const std::string text = status_of(h).text();
        EXPECT_EQ(text.substr(0, c.expected_prefix.size()), c.expected_prefix) << text;
        EXPECT_EQ(h.profiles[0].last_used, "just now");
        EXPECT_EQ(h.session_generation, 1U);
        EXPECT_EQ(threads_named("remote-ssh"), 0);
    }
}

TEST(SessionStartTest, SshWorkerReportsItsConnectFailureInTheSlot) {
    const ScopedEnv live("REMOTE_LIVE_SESSIONS", "1");
    const ScopedEnv password("REMOTE_SSH_PASSWORD", "pw");
    const TrustFolder trust;
    SessionHarness h;
    // Port 1 on the loopback: nothing listens, the connection is refused.
    const Uuid id = h.add(ConnectionKind::Ssh, "127.0.0.1", 1).id;
    EXPECT_TRUE(start_session(h.fields(), id));
    ASSERT_NE(ssh_session(h.session), nullptr);
    EXPECT_EQ(h.profiles[0].last_used, "just now");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (status_of(h).is_active() && std::chrono::steady_clock::now() < deadline) {
        EXPECT_TRUE(session_wants_frames(h.session));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const SessionStatus status = status_of(h);
    ASSERT_TRUE(status.is<SessionStatus::Failed>());
    EXPECT_EQ(status.text().rfind("connect: ", 0), 0U) << status.text();
    EXPECT_FALSE(session_wants_frames(h.session));
    EXPECT_FALSE(poll_session(h.fields()));
    EXPECT_NE(h.profiles[0].presence, Presence::Online);
}

TEST(SessionEndTest, OnlyEndingADeviceSessionQueuesItsCloseStream) {
    SessionHarness h;
    const Uuid id = h.add(ConnectionKind::Rdp, "desk", 3389).id;
    h.session = LiveSession{LiveSession::Device{DeviceSession{7, SessionStatus::connected()}}};
    h.session_target = id;
    h.remote_frame = std::get<orvo_ui::Image>(
        orvo_ui::Image::from_rgba(std::make_shared<const std::vector<std::uint8_t>>(4, 0), 1, 1));
    end_session(h.fields());
    ASSERT_EQ(h.device_effects.size(), 1U);
    EXPECT_EQ(h.device_effects[0], DeviceEffect{DeviceEffect::CloseStream{7}});
    EXPECT_EQ(h.session_generation, 1U);
    EXPECT_FALSE(h.remote_frame.has_value());
    EXPECT_FALSE(h.session_target.has_value());

    // Replacing a device session by a new start queues nothing.
    h.session = LiveSession{LiveSession::Device{DeviceSession{8, SessionStatus::connected()}}};
    EXPECT_TRUE(start_session(h.fields(), id));
    EXPECT_EQ(h.device_effects.size(), 1U);
    EXPECT_EQ(h.session_generation, 2U);

    // Ending any other content queues nothing either.
    end_session(h.fields());
    EXPECT_EQ(h.device_effects.size(), 1U);
    EXPECT_EQ(h.session_generation, 3U);
}

TEST(SessionStatusTest, AnimationFramesOnlyWhileStartingOrConnected) {
    struct Case {
        std::optional<SessionStatus> status;
        bool frames;
    };
    const std::vector<Case> cases = {
        {std::nullopt, false},
        {SessionStatus::connecting(), true},
        {SessionStatus::connected(), true},
        {SessionStatus::ended(), false},
        {SessionStatus::unavailable("x"), false},
        {SessionStatus::failed("y"), false},
    };
    for (const auto& c : cases) {
        std::optional<LiveSession> slot;
        if (c.status) {
            slot = LiveSession{LiveSession::Placeholder{*c.status}};
        }
        EXPECT_EQ(slot_status(slot), c.status);
        EXPECT_EQ(session_wants_frames(slot), c.frames);
    }
}

TEST(SessionPollTest, ConnectedSessionMarksItsProfileOnlineInTheListOnce) {
    struct Case {
        SessionStatus status;
        bool online;
    };
    for (const auto& c :
         {Case{SessionStatus::connected(), true}, Case{SessionStatus::connecting(), false},
          Case{SessionStatus::ended(), false}}) {
        SessionHarness h;
        const Uuid id = h.add(ConnectionKind::Ssh, "host", 22).id;
        h.session = LiveSession{LiveSession::Placeholder{c.status}};
        h.session_target = id;
        EXPECT_EQ(poll_session(h.fields()), c.online);
        EXPECT_EQ(h.profiles[0].presence == Presence::Online, c.online);
        EXPECT_FALSE(poll_session(h.fields()));  // nothing new the second time
    }
}

}  // namespace
}  // namespace remote
