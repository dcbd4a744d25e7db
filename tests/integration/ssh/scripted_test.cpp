// The SSH session against a scripted libssh server: password authentication, interleaved
// standard error, exit status before end-of-file, a server that stops reading, a dropped handle.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "integration/ssh/scripted_server.hpp"
#include "integration/ssh/session_waits.hpp"
#include "known_hosts/host_key_store.hpp"
#include "ssh/ssh_session.hpp"
#include "support/temp_dir.hpp"

namespace remote::ssh {
namespace {

using namespace testing;

class ScriptedTest : public ::testing::Test {
  protected:
    SshSession connect(ScriptedSshServer& server, const std::string& password = kScriptedPassword) {
        EXPECT_TRUE(
            trust_host_key(known_hosts, "127.0.0.1", server.port(), server.identity()).ok());
        auto started =
            start_ssh_session(SshLaunch{"127.0.0.1", "tester", known_hosts, SshPassword{password},
                                        server.port(), kTerminalColumns, kTerminalRows});
        if (auto* error = std::get_if<std::string>(&started)) {
            ADD_FAILURE() << *error;
            std::abort();
        }
        return std::move(std::get<SshSession>(started));
    }

    test_support::TempDir temp{"remote-ssh-scripted"};
    const std::filesystem::path dir = temp.path();
    const std::filesystem::path known_hosts = dir / "known-hosts.json";
};

// The screen's first rows with trailing blanks cut.
std::vector<std::string> first_rows(const TerminalScreen& screen, std::size_t count) {
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < count; ++r) {
        std::string line;
        for (const Cell& cell : screen.rows()[r]) {
            line.push_back(static_cast<char>(cell.character));
        }
        line.erase(line.find_last_not_of(' ') + 1);
        rows.push_back(line);
    }
    return rows;
}

void wait_for_eof(ssh_channel channel) {
    read_until(channel, "\x01never\x01", 15000);
}

struct PasswordCase {
    const char* name;
    const char* password;
    SessionStatus expected;
};

class PasswordTest : public ScriptedTest, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(PasswordTest, PasswordAuthentication) {
    ScriptedSshServer server([](ssh_session, ssh_channel channel) { wait_for_eof(channel); });
    SshSession session = connect(server, GetParam().password);
    EXPECT_EQ(settle(session), GetParam().expected);
    EXPECT_EQ(server.shell_started(), GetParam().expected.is<SessionStatus::Connected>());
}

INSTANTIATE_TEST_SUITE_P(
    Passwords, PasswordTest,
    ::testing::Values(PasswordCase{"right", kScriptedPassword, SessionStatus::connected()},
                      PasswordCase{"wrong", "guess",
                                   SessionStatus::failed("Authentication failed")}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(ScriptedTest, StandardErrorIsShownInArrivalOrder) {
    ScriptedSshServer server([](ssh_session, ssh_channel channel) {
        ssh_channel_write(channel, "out-1\r\n", 7);
        ssh_channel_write_stderr(channel, "err-2\r\n", 7);
        ssh_channel_write(channel, "out-3\r\n", 7);
        ssh_channel_write_stderr(channel, "err-4\r\n", 7);
        wait_for_eof(channel);
    });
    SshSession session = connect(server);
    ASSERT_EQ(settle(session), SessionStatus::connected());
    EXPECT_TRUE(wait_screen(session, "err-4"));
    EXPECT_EQ(first_rows(session.terminal(), 5),
              (std::vector<std::string>{"out-1", "err-2", "out-3", "err-4", ""}));
}

TEST_F(ScriptedTest, ExitStatusAloneKeepsTheSessionAndTheFollowingEndOfFileEndsIt) {
    ScriptedSshServer server([](ssh_session, ssh_channel channel) {
        ssh_channel_write(channel, "done\r\n", 6);
        ssh_channel_request_send_exit_status(channel, 3);
        read_until(channel, "go");
        ssh_channel_send_eof(channel);
        ssh_channel_close(channel);
    });
    SshSession session = connect(server);
    ASSERT_EQ(settle(session), SessionStatus::connected());
    ASSERT_TRUE(wait_screen(session, "done"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(session.status(), SessionStatus::connected());
    EXPECT_EQ(session.send_input(as_bytes("go")), std::nullopt);
    EXPECT_TRUE(wait_status(session, [](const SessionStatus& s) { return !s.is_active(); }));
    EXPECT_EQ(session.status(), SessionStatus::ended());
}

TEST_F(ScriptedTest, ServerThatStopsReadingFillsTheInputQueue) {
    std::atomic<bool> release{false};
    ScriptedSshServer server([&](ssh_session, ssh_channel) {
        // Reads nothing, so the client's window closes and its writes stall.
        for (int i = 0; i < 3000 && !release; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    std::optional<SshSession> session = connect(server);
    ASSERT_EQ(settle(*session), SessionStatus::connected());

    // More than the channel window in 64 KiB commands: the worker stalls on one of them.
    const std::vector<std::uint8_t> block(kMaxInputBytes, 'x');
    std::vector<sync::OneShotReceiver<InputAck>> acks;
    for (int i = 0; i < 40; ++i) {
        auto sent = session->send_input_acknowledged(block);
        ASSERT_TRUE(std::holds_alternative<sync::OneShotReceiver<InputAck>>(sent));
        acks.push_back(std::move(std::get<sync::OneShotReceiver<InputAck>>(sent)));
    }
    // Wait until no acknowledgement has come for a second: the worker holds one command
    // unfinished.
    std::size_t answered = 0;
    for (int settled_rounds = 0; settled_rounds < 10;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::size_t now_answered = 0;
        for (auto& ack : acks) {
            if (ack.poll().state != sync::OneShotState::Pending) {
                ++now_answered;
            }
        }
        // poll hands a value over once; later polls of the same reply read Dropped, not Pending.
        settled_rounds = now_answered == answered ? settled_rounds + 1 : 0;
        answered = now_answered;
    }
    ASSERT_LT(answered, acks.size());
    const std::size_t waiting = acks.size() - answered - 1;  // one is being written
    const std::uint8_t byte = 'y';
    for (std::size_t i = waiting; i < kInputCapacity; ++i) {
        ASSERT_EQ(session->send_input({&byte, 1}), std::nullopt) << "command " << i + 1;
    }
    EXPECT_EQ(session->send_input({&byte, 1}),
              "SSH input is busy; wait for the remote session to catch up");

    // The acknowledgements of commands that were never written read Dropped once the session
    // is gone.
    session.reset();
    EXPECT_EQ(acks.back().wait_for(std::chrono::seconds(10)).state, sync::OneShotState::Dropped);
    release = true;
}

TEST_F(ScriptedTest, DroppedHandleSendsEndOfFileDisconnectsAndEndsTheWorker) {
    std::atomic<bool> eof_seen{false};
    std::atomic<bool> disconnected{false};
    ScriptedSshServer server([&](ssh_session session, ssh_channel channel) {
        wait_for_eof(channel);
        eof_seen = ssh_channel_is_eof(channel) != 0;
        // The client's disconnect message ends the connection on our side.
        ssh_event event = ssh_event_new();
        ssh_event_add_session(event, session);
        for (int i = 0; i < 100 && ssh_is_connected(session); ++i) {
            ssh_event_dopoll(event, 100);
        }
        disconnected = ssh_is_connected(session) == 0;
        ssh_event_remove_session(event, session);
        ssh_event_free(event);
    });
    const auto workers_before = [] {
        // Workers of earlier tests may still be finishing.
        for (int i = 0; i < 100 && threads_named("remote-ssh") > 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return threads_named("remote-ssh");
    }();
    std::optional<SshSession> session = connect(server);
    ASSERT_EQ(settle(*session), SessionStatus::connected());
    EXPECT_EQ(threads_named("remote-ssh"), workers_before + 1);

    session.reset();
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        gone = threads_named("remote-ssh") == workers_before;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(gone) << "the remote-ssh thread is still running";
    for (int i = 0; i < 100 && !disconnected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(eof_seen);
    EXPECT_TRUE(disconnected);
}

}  // namespace
}  // namespace remote::ssh
