#include "runtime/actions/registry.hpp"

namespace orvo_actions::registry {

bool Registry::has(std::string_view type_name) const {
    return codecs_.find(type_name) != codecs_.end();
}

std::variant<std::any, DecodingError> Registry::decode(const EncodedAction& action,
                                                       const Codec** codec) const {
    const auto it = codecs_.find(action.type_name);
    if (it == codecs_.end()) {
        return DecodingError{action.type_name, "no codec is registered for this type"};
    }
    *codec = &it->second;
    auto decoded = it->second.decode(action.json);
    if (auto* error = std::get_if<std::string>(&decoded)) {
        return DecodingError{action.type_name, std::move(*error)};
    }
    return std::get<std::any>(std::move(decoded));
}

std::optional<ActionError> Registry::apply(const EncodedAction& action,
                                           orvo_ui::doc::Document& document) const {
    const Codec* codec = nullptr;
    auto decoded = decode(action, &codec);
    if (auto* error = std::get_if<DecodingError>(&decoded)) {
        return ActionError{"could not decode " + error->type_name + ": " + error->json_error};
    }
    codec->apply(std::get<std::any>(decoded), document);
    return std::nullopt;
}

std::variant<std::string, DecodingError> Registry::debug_text(const EncodedAction& action) const {
    const Codec* codec = nullptr;
    auto decoded = decode(action, &codec);
    if (auto* error = std::get_if<DecodingError>(&decoded))
        return *error;
    return codec->debug(std::get<std::any>(decoded));
}

}  // namespace orvo_actions::registry
