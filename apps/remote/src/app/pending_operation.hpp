#pragma once
// The one background operation that may be in flight.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "profile/uuid.hpp"
#include "sync/one_shot.hpp"

namespace remote {

using OperationId = std::array<std::uint8_t, 16>;

// The worker's answer to acknowledged input: success, or why it failed.
struct InputAck {
    std::optional<std::string> error;
};

struct PendingOperation {
    struct Connect {
        OperationId operation;
        Uuid connection;
        std::uint64_t generation = 0;
    };
    struct SendText {
        sync::OneShotReceiver<InputAck> ack;
        OperationId operation;
        Uuid connection;
        std::uint64_t generation = 0;
    };
    std::variant<Connect, SendText> value;
};

}  // namespace remote
