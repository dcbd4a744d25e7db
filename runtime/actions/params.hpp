#pragma once
// Arguments an invoker passes to an action, by parameter name.

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace orvo_actions::params {

class ActionArgs {
  public:
    ActionArgs() = default;
    explicit ActionArgs(std::map<std::string, std::string, std::less<>> values)
        : values_(std::move(values)) {}

    void set(std::string name, std::string value) { values_[std::move(name)] = std::move(value); }
    // The text argument with this name, if it was given.
    std::optional<std::string> text(std::string_view name) const {
        const auto it = values_.find(name);
        if (it == values_.end())
            return std::nullopt;
        return it->second;
    }
    const std::map<std::string, std::string, std::less<>>& values() const { return values_; }

  private:
    std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace orvo_actions::params
