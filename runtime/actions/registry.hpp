#pragma once
// Codecs by payload type name: how an encoded action is decoded, applied to the document and
// shown in a debug rendering.

#include <any>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "runtime/actions/encoded.hpp"
#include "runtime/ui/doc/document.hpp"

namespace orvo_actions::registry {

// Decoding failed: the payload's type name and the JSON facility's error text.
struct DecodingError {
    std::string type_name;
    std::string json_error;
};

class Registry {
  public:
    template <class T>
    using Decoder = std::function<std::variant<T, std::string>(std::string_view json)>;
    template <class T>
    using Applier = std::function<void(const T&, orvo_ui::doc::Document&)>;
    template <class T>
    using Debugger = std::function<std::string(const T&)>;

    // Registers (or replaces) the codec of one payload type.
    template <class T>
    void register_codec(std::string type_name, Decoder<T> decode, Applier<T> apply,
                        Debugger<T> debug) {
        Codec codec;
        codec.decode = [decode](std::string_view json) -> std::variant<std::any, std::string> {
            auto result = decode(json);
            if (auto* value = std::get_if<T>(&result))
                return std::any(std::move(*value));
            return std::get<std::string>(std::move(result));
        };
        codec.apply = [apply](const std::any& value, orvo_ui::doc::Document& doc) {
            apply(std::any_cast<const T&>(value), doc);
        };
        codec.debug = [debug](const std::any& value) {
            return debug(std::any_cast<const T&>(value));
        };
        codecs_[std::move(type_name)] = std::move(codec);
    }

    bool has(std::string_view type_name) const;
    // Decodes and applies; an unknown type or a bad payload changes nothing.
    std::optional<ActionError> apply(const EncodedAction& action,
                                     orvo_ui::doc::Document& document) const;
    std::variant<std::string, DecodingError> debug_text(const EncodedAction& action) const;

  private:
    struct Codec {
        std::function<std::variant<std::any, std::string>(std::string_view)> decode;
        std::function<void(const std::any&, orvo_ui::doc::Document&)> apply;
        std::function<std::string(const std::any&)> debug;
    };
    std::variant<std::any, DecodingError> decode(const EncodedAction& action,
                                                 const Codec** codec) const;
    std::map<std::string, Codec, std::less<>> codecs_;
};

}  // namespace orvo_actions::registry
