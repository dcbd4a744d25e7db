#pragma once
// An encoded action: the type name of its payload and the payload's compact JSON.

#include <string>

namespace orvo_actions {

struct EncodedAction {
    std::string type_name;
    std::string json;
    bool operator==(const EncodedAction&) const = default;
};

// Why an action could not be decoded, built or carried out; one line for the user or a log.
struct ActionError {
    std::string message;
    bool operator==(const ActionError&) const = default;
};

}  // namespace orvo_actions
