#pragma once
// Commands from the UI thread to the SSH worker, and the checks every send goes through.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "sync/bounded_queue.hpp"
#include "sync/one_shot.hpp"

namespace remote::ssh {

// The outcome of writing one acknowledged command: success, or the write error's text.
struct InputAck {
    std::optional<std::string> error;
    bool operator==(const InputAck&) const = default;
};

struct SshInput {
    std::vector<std::uint8_t> bytes;  // 1 to kMaxInputBytes
    std::optional<sync::OneShotSender<InputAck>> ack;
};

inline constexpr std::size_t kInputCapacity = 256;
inline constexpr std::size_t kOutputCapacity = 128;
inline constexpr std::size_t kMaxInputBytes = 65536;

using InputSender = sync::Sender<SshInput>;
using InputReceiver = sync::Receiver<SshInput>;
using OutputChunk = std::vector<std::uint8_t>;
using OutputSender = sync::Sender<OutputChunk>;
using OutputReceiver = sync::Receiver<OutputChunk>;

// None when the bytes may be sent; otherwise the refusal text (empty, or over the limit).
std::optional<std::string> check_input_size(std::size_t size);

// Checks the size and offers the command without waiting. Success is none; otherwise the
// refusal text, and the command (with its acknowledgement) is discarded.
std::optional<std::string> offer_input(InputSender& sender, std::span<const std::uint8_t> bytes,
                                       std::optional<sync::OneShotSender<InputAck>> ack);

}  // namespace remote::ssh
