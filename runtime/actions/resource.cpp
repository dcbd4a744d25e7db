#include "runtime/actions/resource.hpp"

namespace orvo_actions::resource {

ActionSpec ActionSpec::make(std::string id, std::string label, OperationClass operation_class,
                            std::variant<EncodedAction, PayloadBuilder> payload) {
    ActionSpec spec;
    spec.id = std::move(id);
    spec.label = std::move(label);
    spec.operation_class = operation_class;
    spec.payload = std::move(payload);
    return spec;
}

ActionSpec ActionSpec::with_contract(std::vector<std::string> tags,
                                     std::array<std::uint8_t, 5> settings) && {
    contract = Contract{std::move(tags), settings};
    return std::move(*this);
}

ActionSpec ActionSpec::destructive() && {
    is_destructive = true;
    return std::move(*this);
}

ActionSpec ActionSpec::with_input(InputParameter input) && {
    inputs.push_back(std::move(input));
    return std::move(*this);
}

ActionSpec ActionSpec::unavailable_because(std::string code, std::string message) && {
    unavailable = Unavailable{std::move(code), std::move(message)};
    return std::move(*this);
}

ActionSpec ActionSpec::with_description(std::string text) && {
    description = std::move(text);
    return std::move(*this);
}

Contract ActionSpec::effective_contract() const {
    if (contract)
        return *contract;
    if (operation_class == OperationClass::View)
        return Contract{{}, {0, 0, 0, 0, 1}};
    return Contract{{}, {0, 2, 0, 1, 3}};
}

std::variant<EncodedAction, ActionError> ActionSpec::build(const params::ActionArgs& args) const {
    for (const auto& input : inputs) {
        if (input.required && !args.text(input.name)) {
            return ActionError{"missing argument `" + input.name + "`"};
        }
    }
    std::variant<EncodedAction, ActionError> built =
        std::holds_alternative<EncodedAction>(payload)
            ? std::variant<EncodedAction, ActionError>(std::get<EncodedAction>(payload))
            : std::get<PayloadBuilder>(payload)(args);
    if (const auto* encoded = std::get_if<EncodedAction>(&built); encoded && enforced_type) {
        if (auto error = enforce_operation_type(*encoded, *enforced_type))
            return *error;
    }
    return built;
}

Resource Resource::with_action(ActionSpec action) && {
    actions.push_back(std::move(action));
    return std::move(*this);
}

Resource Resource::with_child(Resource child) && {
    children.push_back(std::move(child));
    return std::move(*this);
}

const ActionSpec* Resource::find_action(const std::string& action_id) const {
    for (const auto& a : actions) {
        if (a.id == action_id)
            return &a;
    }
    return nullptr;
}

std::vector<InputParameter> derive_input(const ActionSpec& action) {
    if (std::holds_alternative<EncodedAction>(action.payload))
        return {};
    return action.inputs;
}

std::optional<ActionError> enforce_operation_type(const EncodedAction& payload,
                                                  const std::string& expected_type) {
    if (payload.type_name == expected_type)
        return std::nullopt;
    return ActionError{"payload type " + payload.type_name + " is not " + expected_type};
}

const Resource* find_resource(const std::vector<Resource>& roots, const std::string& id) {
    for (const auto& r : roots) {
        if (r.id == id)
            return &r;
        if (const Resource* child = find_resource(r.children, id))
            return child;
    }
    return nullptr;
}

}  // namespace orvo_actions::resource
