#pragma once
// Results of trust-store operations: a value, or a plain error text meant for the user.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <variant>

namespace remote {

struct StoreError {
    std::string text;

    bool operator==(const StoreError&) const = default;
};

// Success without a value.
struct Done {
    bool operator==(const Done&) const = default;
};

template <class T>
class [[nodiscard]] StoreResult {
  public:
    StoreResult(T value) : state_(std::move(value)) {}
    StoreResult(StoreError error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }

    // Only for a successful result.
    const T& value() const {
        const T* v = std::get_if<T>(&state_);
        if (v == nullptr) {
            fail("StoreResult::value called on an error");
        }
        return *v;
    }
    T& value() {
        T* v = std::get_if<T>(&state_);
        if (v == nullptr) {
            fail("StoreResult::value called on an error");
        }
        return *v;
    }

    // Only for a failed result.
    const std::string& error() const {
        const StoreError* e = std::get_if<StoreError>(&state_);
        if (e == nullptr) {
            fail("StoreResult::error called on a success");
        }
        return e->text;
    }

  private:
    [[noreturn]] static void fail(const char* text) {
        std::fputs(text, stderr);
        std::fputc('\n', stderr);
        std::abort();
    }

    std::variant<T, StoreError> state_;
};

}  // namespace remote
