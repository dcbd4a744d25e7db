#pragma once
// What an application offers to its users, key bindings and automation clients: resources
// (things) with actions (what can be done to them).

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "runtime/actions/encoded.hpp"
#include "runtime/actions/params.hpp"

namespace orvo_actions::resource {

// How an action is carried out: applied to the document (None), started and polled
// (Background), or applied at once (View).
enum class OperationClass : std::uint8_t { None = 0, Background = 1, View = 2 };

struct Contract {
    std::vector<std::string> tags;
    std::array<std::uint8_t, 5> settings{};
    bool operator==(const Contract&) const = default;
};

struct InputParameter {
    std::string name;
    std::string prompt;
    std::string subject;
    std::string description;
    bool required = false;
    bool operator==(const InputParameter&) const = default;
};

struct Unavailable {
    std::string code;
    std::string message;
    bool operator==(const Unavailable&) const = default;
};

using PayloadBuilder =
    std::function<std::variant<EncodedAction, ActionError>(const params::ActionArgs&)>;

struct ActionSpec {
    std::string id;
    std::string label;
    std::string description;
    OperationClass operation_class = OperationClass::None;
    // A fixed payload, or one built from the invoker's arguments.
    std::variant<EncodedAction, PayloadBuilder> payload;
    std::vector<InputParameter> inputs;
    std::optional<Contract> contract;
    bool is_destructive = false;
    std::optional<Unavailable> unavailable;
    // The payload type an operation action must produce ("remote.operation"), if checked.
    std::optional<std::string> enforced_type;

    static ActionSpec make(std::string id, std::string label, OperationClass operation_class,
                           std::variant<EncodedAction, PayloadBuilder> payload);

    ActionSpec with_contract(std::vector<std::string> tags,
                             std::array<std::uint8_t, 5> settings) &&;
    ActionSpec destructive() &&;
    ActionSpec with_input(InputParameter input) &&;
    ActionSpec unavailable_because(std::string code, std::string message) &&;
    ActionSpec with_description(std::string text) &&;

    // The contract in force: the explicit one, or the default of the operation class.
    Contract effective_contract() const;
    // Builds the payload for these arguments, checking its type where one is enforced.
    std::variant<EncodedAction, ActionError> build(const params::ActionArgs& args) const;
};

struct Resource {
    std::string id;
    std::string kind;
    std::string label;
    std::vector<ActionSpec> actions;
    std::vector<Resource> children;

    Resource with_action(ActionSpec action) &&;
    Resource with_child(Resource child) &&;
    const ActionSpec* find_action(const std::string& action_id) const;
};

// The inputs an action asks for before it can build its payload.
std::vector<InputParameter> derive_input(const ActionSpec& action);
// Refuses a payload whose type is not the expected one.
std::optional<ActionError> enforce_operation_type(const EncodedAction& payload,
                                                  const std::string& expected_type);
// Finds a resource by id anywhere in the forest.
const Resource* find_resource(const std::vector<Resource>& roots, const std::string& id);

}  // namespace orvo_actions::resource
