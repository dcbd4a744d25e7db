#pragma once
// What an application answers when the framework starts, applies or polls an operation.

#include <array>
#include <cstdint>
#include <string>
#include <variant>

namespace orvo_actions::operation {

using OperationId = std::array<std::uint8_t, 16>;

struct NotHandled {};
struct Running {};
struct Completed {};
struct Rejected {
    std::string message;
};
using StartResult = std::variant<NotHandled, Running, Completed, Rejected>;

struct Handled {};
struct ApplyError {
    std::string message;
};
using ApplyResult = std::variant<NotHandled, Handled, ApplyError>;

struct NothingToReport {};
struct PollCompleted {
    OperationId operation{};
};
struct PollFailed {
    std::string code;
    std::string message;
    OperationId operation{};
};
struct PollCancelled {
    std::string message;
    OperationId operation{};
};
using PollResult = std::variant<NothingToReport, PollCompleted, PollFailed, PollCancelled>;

}  // namespace orvo_actions::operation
