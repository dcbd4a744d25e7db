#pragma once
// The pump of a live shell channel: server output to the output queue, the user's input to the
// channel, until the server ends the channel, the connection goes, the UI drops its output
// receiver, or the input queue closes.

#include <libssh/callbacks.h>
#include <libssh/libssh.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "ssh/ssh_input.hpp"

namespace remote::ssh {

class ShellPump {
  public:
    ShellPump(InputReceiver& input, OutputSender& output);
    ShellPump(const ShellPump&) = delete;
    ShellPump& operator=(const ShellPump&) = delete;

    // Routes the channel's messages here. Installed as soon as the channel is open, so output
    // that arrives while the shell is being requested is not lost.
    void attach(ssh_session session, ssh_channel channel);

    // Runs until a leave condition. None after a clean leave; the write error's text otherwise.
    std::optional<std::string> run();

  private:
    static int on_data(ssh_session session, ssh_channel channel, void* data, uint32_t len,
                       int is_stderr, void* self);
    static void on_eof(ssh_session session, ssh_channel channel, void* self);
    static void on_close(ssh_session session, ssh_channel channel, void* self);
    static int on_input_ready(socket_t fd, int revents, void* self);

    void take_input();
    // Writes as much of the pending command as the window allows; the error text on failure.
    std::optional<std::string> continue_write();
    void listen_for_input(bool on);

    InputReceiver& input_;
    OutputSender& output_;
    ssh_session session_ = nullptr;
    ssh_channel channel_ = nullptr;
    ssh_event event_ = nullptr;
    ssh_channel_callbacks_struct callbacks_{};
    std::optional<SshInput> pending_;
    std::size_t pending_offset_ = 0;
    bool listening_ = false;
    bool input_closed_ = false;
    bool leave_ = false;
    std::chrono::steady_clock::time_point last_traffic_;
};

}  // namespace remote::ssh
