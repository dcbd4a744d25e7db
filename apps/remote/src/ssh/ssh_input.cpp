#include "ssh/ssh_input.hpp"

namespace remote::ssh {

std::optional<std::string> check_input_size(std::size_t size) {
    if (size == 0) {
        return "SSH input cannot be empty";
    }
    if (size > kMaxInputBytes) {
        return "SSH input exceeds the " + std::to_string(kMaxInputBytes / 1024) +
               " KiB per-operation limit";
    }
    return std::nullopt;
}

std::optional<std::string> offer_input(InputSender& sender, std::span<const std::uint8_t> bytes,
                                       std::optional<sync::OneShotSender<InputAck>> ack) {
    if (auto refused = check_input_size(bytes.size())) {
        return refused;
    }
    SshInput command{std::vector<std::uint8_t>(bytes.begin(), bytes.end()), std::move(ack)};
    switch (sender.offer(std::move(command))) {
        case sync::SendStatus::Ok:
            return std::nullopt;
        case sync::SendStatus::Full:
            return "SSH input is busy; wait for the remote session to catch up";
        case sync::SendStatus::Closed:
            break;
    }
    return "SSH session input channel is closed";
}

}  // namespace remote::ssh
