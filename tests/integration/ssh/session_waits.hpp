#pragma once
// Waiting on an SSH session from a test: its status, and text on its terminal.

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "ssh/ssh_session.hpp"

namespace remote::ssh::testing {

// The screen as text, one line per row, trailing blanks kept.
inline std::string screen_text(const TerminalScreen& screen) {
    std::string out;
    for (const auto row : screen.rows()) {
        for (const Cell& cell : row) {
            out.push_back(cell.character < 0x80 ? static_cast<char>(cell.character) : '?');
        }
        out.push_back('\n');
    }
    return out;
}

// Drains output into the terminal until the status is no longer Connecting, or the timeout.
inline SessionStatus settle(SshSession& session,
                            std::chrono::seconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        session.drain_output();
        const SessionStatus status = session.status();
        if (!status.is<SessionStatus::Connecting>()) {
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return session.status();
}

// Drains output until pred(status) holds; false on timeout.
inline bool wait_status(SshSession& session, const std::function<bool(const SessionStatus&)>& pred,
                        std::chrono::seconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        session.drain_output();
        if (pred(session.status())) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Drains output until the screen holds the text; false on timeout.
inline bool wait_screen(SshSession& session, const std::string& text,
                        std::chrono::seconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        session.drain_output();
        if (screen_text(session.terminal()).find(text) != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

inline std::span<const std::uint8_t> as_bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace remote::ssh::testing
