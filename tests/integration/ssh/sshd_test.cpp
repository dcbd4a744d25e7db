// The SSH session against OpenSSH's sshd: host-key trust, public-key authentication, the shell.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "integration/ssh/session_waits.hpp"
#include "integration/ssh/sshd_server.hpp"
#include "known_hosts/host_key_store.hpp"
#include "ssh/ssh_session.hpp"

namespace remote::ssh {
namespace {

using namespace testing;

class SshdTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready());
        trust_dir = server.dir() + "/trust";
        std::filesystem::create_directory(trust_dir);
        ::chmod(trust_dir.c_str(), 0700);
        known_hosts = trust_dir / "known-hosts.json";
        host_identity = {"ssh-ed25519", fingerprint_of(server.host_key() + ".pub")};
        ASSERT_FALSE(host_identity.fingerprint.empty());
    }

    SshLaunch launch(SshAuth auth) const {
        return SshLaunch{"127.0.0.1",   current_user(),   known_hosts,  std::move(auth),
                         server.port(), kTerminalColumns, kTerminalRows};
    }
    SshLaunch key_launch() const { return launch(SshPublicKey{server.client_key(), std::nullopt}); }

    SshSession start(SshLaunch l) {
        auto started = start_ssh_session(std::move(l));
        if (auto* error = std::get_if<std::string>(&started)) {
            ADD_FAILURE() << "start failed: " << *error;
            std::abort();
        }
        return std::move(std::get<SshSession>(started));
    }

    void trust(const HostKeyIdentity& identity) {
        ASSERT_TRUE(trust_host_key(known_hosts, "127.0.0.1", server.port(), identity).ok());
    }

    std::string target() const { return "127.0.0.1:" + std::to_string(server.port()); }

    SshdServer server;
    std::filesystem::path trust_dir;
    std::filesystem::path known_hosts;
    HostKeyIdentity host_identity;
};

TEST_F(SshdTest, UnknownKeyIsReviewedThenTrustedKeyConnectsRunsCommandsAndEnds) {
    SshSession first = start(key_launch());
    const SessionStatus refused = settle(first);
    EXPECT_EQ(refused, SessionStatus::failed("SSH host key for " + target() +
                                             " needs explicit trust: ssh-ed25519 " +
                                             host_identity.fingerprint));
    EXPECT_EQ(first.review(), HostKeyReview{HostKeyReview::Unknown{host_identity}});

    trust(std::get<HostKeyReview::Unknown>(first.review()->value).observed);
    SshSession second = start(key_launch());
    ASSERT_EQ(settle(second), SessionStatus::connected()) << read_file(server.log());
    EXPECT_FALSE(second.review().has_value());

    EXPECT_EQ(second.send_input(as_bytes("echo hel''lo\r")), std::nullopt);
    // The command line shows hel''lo; only the output line shows the joined word.
    EXPECT_TRUE(wait_screen(second, "\nhello ")) << screen_text(second.terminal());

    auto acknowledged = second.send_input_acknowledged(as_bytes("exit\r"));
    ASSERT_TRUE(std::holds_alternative<sync::OneShotReceiver<InputAck>>(acknowledged));
    auto ack =
        std::get<sync::OneShotReceiver<InputAck>>(acknowledged).wait_for(std::chrono::seconds(10));
    EXPECT_EQ(ack.state, sync::OneShotState::Ready);
    EXPECT_EQ(ack.value, InputAck{});
    EXPECT_TRUE(wait_status(second, [](const SessionStatus& s) { return !s.is_active(); }));
    EXPECT_EQ(second.status(), SessionStatus::ended());
}

TEST_F(SshdTest, ChangedKeyIsBlockedBeforeAnyAuthentication) {
    const HostKeyIdentity pinned{"ssh-ed25519", fingerprint_of(server.stranger_key() + ".pub")};
    trust(pinned);
    SshSession session = start(key_launch());
    EXPECT_EQ(
        settle(session),
        SessionStatus::failed("SSH host key changed for " + target() + ". Expected ssh-ed25519 " +
                              pinned.fingerprint + "; received ssh-ed25519 " +
                              host_identity.fingerprint + ". Connection blocked."));
    const HostKeyReview changed{HostKeyReview::Changed{pinned, host_identity}};
    EXPECT_EQ(session.review(), changed);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let sshd write its log
    const std::string log = read_file(server.log());
    EXPECT_EQ(log.find("userauth-request"), std::string::npos) << log;
    EXPECT_NE(log.find("Connection from 127.0.0.1"), std::string::npos) << log;
}

TEST_F(SshdTest, KeyForAnotherPortCountsAsUnknown) {
    ASSERT_TRUE(trust_host_key(known_hosts, "127.0.0.1",
                               static_cast<std::uint16_t>(server.port() + 1),
                               HostKeyIdentity{"ssh-ed25519", "SHA256:other"})
                    .ok());
    SshSession session = start(key_launch());
    settle(session);
    EXPECT_EQ(session.review(), HostKeyReview{HostKeyReview::Unknown{host_identity}});
}

struct AuthCase {
    const char* name;
    std::string (SshdServer::*key)() const;
    std::optional<std::string> passphrase;
    // Empty: Connected; else the failure text, where {key} stands for the key path.
    std::string failure;
};

class SshdAuthTest : public SshdTest, public ::testing::WithParamInterface<AuthCase> {};

TEST_P(SshdAuthTest, PublicKeyAuthentication) {
    trust(host_identity);
    const AuthCase& c = GetParam();
    const std::string key_path = (server.*c.key)();
    SshSession session = start(launch(SshPublicKey{key_path, c.passphrase}));
    const SessionStatus status = settle(session);
    if (c.failure.empty()) {
        EXPECT_EQ(status, SessionStatus::connected()) << status.text();
        return;
    }
    std::string expected = c.failure;
    if (const auto at = expected.find("{key}"); at != std::string::npos) {
        expected.replace(at, 5, key_path);
    }
    EXPECT_TRUE(status.is<SessionStatus::Failed>());
    EXPECT_EQ(status.text().substr(0, expected.size()), expected) << status.text();
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SshdAuthTest,
    ::testing::Values(
        AuthCase{"plain", &SshdServer::client_key, std::nullopt, ""},
        AuthCase{"encrypted", &SshdServer::encrypted_key, SshdServer::kPassphrase, ""},
        AuthCase{"encrypted_wrong_passphrase", &SshdServer::encrypted_key, "wrong",
                 "load key {key}: "},
        AuthCase{"encrypted_without_passphrase", &SshdServer::encrypted_key, std::nullopt,
                 "load key {key}: "},
        AuthCase{"not_authorized", &SshdServer::stranger_key, std::nullopt,
                 "Authentication failed"},
        AuthCase{"not_a_key_file", &SshdServer::log, std::nullopt, "load key {key}: "}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace remote::ssh
