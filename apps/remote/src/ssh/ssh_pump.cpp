#include "ssh/ssh_pump.hpp"

#include <poll.h>

#include "ssh/client_settings.hpp"
#include "ssh/libssh_handles.hpp"

namespace remote::ssh {
namespace {

constexpr int kPollMillis = 1000;

}  // namespace

ShellPump::ShellPump(InputReceiver& input, OutputSender& output)
    : input_(input), output_(output), last_traffic_(std::chrono::steady_clock::now()) {}

void ShellPump::attach(ssh_session session, ssh_channel channel) {
    session_ = session;
    channel_ = channel;
    callbacks_ = {};
    callbacks_.userdata = this;
    callbacks_.channel_data_function = &ShellPump::on_data;
    callbacks_.channel_eof_function = &ShellPump::on_eof;
    callbacks_.channel_close_function = &ShellPump::on_close;
    ssh_callbacks_init(&callbacks_);
    ssh_set_channel_callbacks(channel, &callbacks_);
}

int ShellPump::on_data(ssh_session, ssh_channel, void* data, uint32_t len, int, void* self) {
    // Standard output and standard error alike, in the order they arrive.
    auto* pump = static_cast<ShellPump*>(self);
    pump->last_traffic_ = std::chrono::steady_clock::now();
    if (pump->leave_ || len == 0) {
        return static_cast<int>(len);
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    // Waits for room while the UI is 128 chunks behind; nothing else is read meanwhile.
    if (pump->output_.push(OutputChunk(bytes, bytes + len)) != sync::SendStatus::Ok) {
        pump->leave_ = true;
    }
    return static_cast<int>(len);
}

void ShellPump::on_eof(ssh_session, ssh_channel, void* self) {
    static_cast<ShellPump*>(self)->leave_ = true;
}

void ShellPump::on_close(ssh_session, ssh_channel, void* self) {
    static_cast<ShellPump*>(self)->leave_ = true;
}

int ShellPump::on_input_ready(socket_t, int, void* self) {
    static_cast<ShellPump*>(self)->take_input();
    return 0;
}

void ShellPump::take_input() {
    if (pending_ || input_closed_) {
        return;
    }
    auto taken = input_.take_if_present();
    if (taken.status == sync::TakeStatus::Item) {
        pending_ = std::move(taken.item);
        pending_offset_ = 0;
        last_traffic_ = std::chrono::steady_clock::now();
    } else if (taken.status == sync::TakeStatus::Closed) {
        input_closed_ = true;
    }
}

void ShellPump::listen_for_input(bool on) {
    if (on == listening_ || input_.event_fd() < 0) {
        return;
    }
    if (on) {
        ssh_event_add_fd(event_, input_.event_fd(), POLLIN, &ShellPump::on_input_ready, this);
    } else {
        ssh_event_remove_fd(event_, input_.event_fd());
    }
    listening_ = on;
}

std::optional<std::string> ShellPump::continue_write() {
    auto& bytes = pending_->bytes;
    while (pending_offset_ < bytes.size()) {
        const auto rest = static_cast<uint32_t>(bytes.size() - pending_offset_);
        const int written = ssh_channel_write(channel_, bytes.data() + pending_offset_, rest);
        if (written == SSH_ERROR) {
            std::string text = ssh_get_error(session_);
            if (pending_->ack) {
                pending_->ack->send(InputAck{text});
            }
            pending_.reset();
            return text;
        }
        if (written == 0) {
            return std::nullopt;  // the window is full: wait for the server to open it
        }
        pending_offset_ += static_cast<std::size_t>(written);
    }
    if (pending_->ack) {
        pending_->ack->send(InputAck{});
    }
    pending_.reset();
    return std::nullopt;
}

std::optional<std::string> ShellPump::run() {
    EventHandle event(ssh_event_new());
    if (!event) {
        return std::string("could not create the SSH event loop");
    }
    event_ = event.get();
    if (ssh_event_add_session(event_, session_) != SSH_OK) {
        event_ = nullptr;
        return std::string("could not watch the SSH connection");
    }
    std::optional<std::string> error;
    const auto inactivity = std::chrono::seconds(kInactivitySeconds);
    while (!leave_) {
        if (output_.closed()) {
            // The UI dropped the session; its input is gone as well, so the shell hears the end.
            if (input_.closed()) {
                ssh_channel_send_eof(channel_);
            }
            break;
        }
        if (pending_) {
            if ((error = continue_write())) {
                break;
            }
        }
        if (!pending_ && input_closed_) {
            ssh_channel_send_eof(channel_);
            break;
        }
        // While a command is still being written, no new one is taken. Otherwise one poll
        // serves the socket and the input queue together, so neither starves the other.
        listen_for_input(!pending_);
        int wait = kPollMillis;
        if (!pending_ && input_.event_fd() < 0) {
            take_input();  // no eventfd: look at the queue every few milliseconds instead
            wait = 5;
        }
        if (ssh_event_dopoll(event_, wait) == SSH_ERROR || !ssh_is_connected(session_) ||
            ssh_channel_is_closed(channel_) != 0) {
            break;
        }
        if (std::chrono::steady_clock::now() - last_traffic_ > inactivity) {
            break;
        }
    }
    listen_for_input(false);
    ssh_event_remove_session(event_, session_);
    event_ = nullptr;
    return error;
}

}  // namespace remote::ssh
