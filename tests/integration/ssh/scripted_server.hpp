#pragma once
// An SSH server built on libssh's server API, running in a thread of the test: it accepts one
// connection, takes password authentication ("s3cret"), opens a session channel with a
// pseudo-terminal and a shell, then hands the channel to the test's script. It does what a real
// sshd will not do on demand: stop reading, interleave standard error, end with an exit status.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <libssh/libssh.h>
#include <libssh/server.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "known_hosts/host_key_identity.hpp"
#include "support/process.hpp"

namespace remote::ssh::testing {

inline constexpr const char* kScriptedPassword = "s3cret";

class ScriptedSshServer {
  public:
    using Script = std::function<void(ssh_session, ssh_channel)>;

    explicit ScriptedSshServer(Script script) : script_(std::move(script)) {
        bind_ = ssh_bind_new();
        if (ssh_pki_generate(SSH_KEYTYPE_ED25519, 0, &host_key_) != SSH_OK || bind_ == nullptr) {
            ADD_FAILURE() << "cannot create the scripted server";
            return;
        }
        const unsigned int any_port = 0;
        ssh_bind_options_set(bind_, SSH_BIND_OPTIONS_BINDADDR, "127.0.0.1");
        ssh_bind_options_set(bind_, SSH_BIND_OPTIONS_BINDPORT, &any_port);
        ssh_bind_options_set(bind_, SSH_BIND_OPTIONS_IMPORT_KEY, host_key_);
        if (ssh_bind_listen(bind_) != SSH_OK) {
            ADD_FAILURE() << "scripted server cannot listen: " << ssh_get_error(bind_);
            return;
        }
        sockaddr_in addr{};
        socklen_t len = sizeof addr;
        ::getsockname(ssh_bind_get_fd(bind_), reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { serve(); });
    }

    ~ScriptedSshServer() {
        if (thread_.joinable() && !accepted_) {
            // Nobody connected: a bare TCP connection releases the waiting accept.
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in addr{};
            addr.sin_family = AF_INET;
            addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            addr.sin_port = htons(port_);
            ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
            ::close(fd);
        }
        if (thread_.joinable()) {
            thread_.join();
        }
        // The bind owns the imported host key and frees it with itself.
        if (bind_ != nullptr) {
            ssh_bind_free(bind_);
        } else {
            ssh_key_free(host_key_);
        }
    }
    ScriptedSshServer(const ScriptedSshServer&) = delete;
    ScriptedSshServer& operator=(const ScriptedSshServer&) = delete;

    std::uint16_t port() const { return port_; }
    HostKeyIdentity identity() const { return host_key_identity(host_key_).value(); }
    bool authenticated() const { return authenticated_; }
    bool shell_started() const { return shell_started_; }

  private:
    void serve() {
        ssh_session session = ssh_new();
        const bool accepted = ssh_bind_accept(bind_, session) == SSH_OK;
        accepted_ = true;
        if (accepted && ssh_handle_key_exchange(session) == SSH_OK) {
            if (ssh_channel channel = open_shell(session)) {
                shell_started_ = true;
                script_(session, channel);
                ssh_channel_free(channel);
            }
        }
        ssh_disconnect(session);
        ssh_free(session);
    }

    // The message-based server API is deprecated in favour of callbacks, but it keeps this
    // scripted server short and sequential.
    static std::string password_of(ssh_message message) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        const char* password = ssh_message_auth_password(message);
#pragma GCC diagnostic pop
        return password != nullptr ? password : "";
    }

    // Answers authentication and channel messages until a shell runs; null when the client
    // leaves first.
    ssh_channel open_shell(ssh_session session) {
        ssh_channel channel = nullptr;
        while (ssh_message message = ssh_message_get(session)) {
            bool shell = false;
            const int type = ssh_message_type(message);
            const int subtype = ssh_message_subtype(message);
            if (type == SSH_REQUEST_AUTH && subtype == SSH_AUTH_METHOD_PASSWORD &&
                password_of(message) == kScriptedPassword) {
                authenticated_ = true;
                ssh_message_auth_reply_success(message, 0);
            } else if (type == SSH_REQUEST_AUTH) {
                ssh_message_auth_set_methods(message, SSH_AUTH_METHOD_PASSWORD);
                ssh_message_reply_default(message);
            } else if (type == SSH_REQUEST_CHANNEL_OPEN && subtype == SSH_CHANNEL_SESSION &&
                       authenticated_ && channel == nullptr) {
                channel = ssh_message_channel_request_open_reply_accept(message);
            } else if (type == SSH_REQUEST_CHANNEL && (subtype == SSH_CHANNEL_REQUEST_PTY ||
                                                       subtype == SSH_CHANNEL_REQUEST_SHELL)) {
                ssh_message_channel_request_reply_success(message);
                shell = subtype == SSH_CHANNEL_REQUEST_SHELL;
            } else {
                ssh_message_reply_default(message);
            }
            ssh_message_free(message);
            if (shell) {
                return channel;
            }
        }
        return nullptr;
    }

    Script script_;
    ssh_bind bind_ = nullptr;
    ssh_key host_key_ = nullptr;
    std::uint16_t port_ = 0;
    std::thread thread_;
    std::atomic<bool> accepted_{false};
    std::atomic<bool> authenticated_{false};
    std::atomic<bool> shell_started_{false};
};

// Reads from the channel until the text has arrived (or the channel ends); what was read.
inline std::string read_until(ssh_channel channel, const std::string& text,
                              int timeout_ms = 10000) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    char buf[4096];
    while (got.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        const int n = ssh_channel_read_timeout(channel, buf, sizeof buf, 0, 100);
        if (n < 0 || (n == 0 && ssh_channel_is_eof(channel))) {
            break;
        }
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

using test_support::threads_named;

}  // namespace remote::ssh::testing
