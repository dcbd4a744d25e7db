#pragma once
// SshSession: the UI-side handle of one SSH session. It keeps the session's terminal and talks to
// the "remote-ssh" worker only through the two queues and the two cells. Dropping the handle
// closes both queues; the worker notices, sends end-of-file, disconnects and exits on its own.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "session/session_status.hpp"
#include "ssh/host_key_review.hpp"
#include "ssh/ssh_input.hpp"
#include "ssh/ssh_launch.hpp"
#include "ssh/ssh_worker.hpp"
#include "vt/terminal_screen.hpp"

namespace remote::ssh {

class SshSession {
  public:
    SshSession(SshSession&&) noexcept = default;
    SshSession& operator=(SshSession&&) noexcept = default;

    TerminalScreen& terminal() { return *terminal_; }
    const TerminalScreen& terminal() const { return *terminal_; }

    SessionStatus status() const;
    std::optional<HostKeyReview> review() const { return review_->get(); }

    // Checks and queues the bytes without waiting; none on success, else the refusal text.
    std::optional<std::string> send_input(std::span<const std::uint8_t> bytes);
    // The same, with a reply that later says whether the bytes were written; it reads Dropped
    // when the session ends first.
    std::variant<sync::OneShotReceiver<InputAck>, std::string> send_input_acknowledged(
        std::span<const std::uint8_t> bytes);

    // Feeds every waiting output chunk, in order, to the terminal; true when there was one.
    bool drain_output();

  private:
    friend std::variant<SshSession, std::string> start_ssh_session(SshLaunch launch);
    SshSession(std::uint16_t columns, std::uint16_t rows, InputSender input, OutputReceiver output);

    std::unique_ptr<TerminalScreen> terminal_;
    std::shared_ptr<StatusCell> status_;
    std::shared_ptr<ReviewCell> review_;
    // Declared after the output receiver so that dropping the handle closes the input first:
    // the worker then sees the end of input and sends end-of-file before it leaves.
    OutputReceiver output_;
    InputSender input_;
};

// Creates the terminal, the cells and the queues and starts the detached "remote-ssh" thread.
// Returns at once; the error is the system's text when the thread cannot be started.
std::variant<SshSession, std::string> start_ssh_session(SshLaunch launch);

}  // namespace remote::ssh
