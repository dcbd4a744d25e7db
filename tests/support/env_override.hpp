#pragma once
// Sets or clears environment variables for one test and puts the old values back afterwards.

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace test_support {

class EnvOverride {
  public:
    EnvOverride() = default;
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

    void set(const char* name, const std::optional<std::string>& value) {
        if (saved_.find(name) == saved_.end()) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~EnvOverride() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }

  private:
    std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace test_support
