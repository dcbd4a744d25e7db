#pragma once
// Failures of the document engine are values: an error code with a one-line text.

#include <string>
#include <utility>
#include <variant>

namespace orvo_ui::doc {

enum class ErrorCode {
    NoSuchObject,       // the object id names nothing in this document
    WrongObjectType,    // a map operation on a text object or the reverse
    OutOfRange,         // a text position or length beyond the text
    InvalidText,        // text that is not valid UTF-8
    MalformedChange,    // change bytes that do not decode
    InvalidChange,      // a change that decodes but cannot apply to this history
    ConflictingChange,  // a second, different change for an actor's sequence number
    UncommittedLocal,   // remote changes offered while local operations are not committed
};

struct Error {
    ErrorCode code;
    std::string message;
};

// Either a value or an error.
template <typename T, typename E = Error>
class [[nodiscard]] Result {
  public:
    Result(T value) : v_(std::move(value)) {}
    Result(E error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    // From a temporary the value moves out, so `for (auto& k : doc.keys(m).value())` is safe.
    T value() && { return std::move(std::get<0>(v_)); }
    const E& error() const { return std::get<1>(v_); }

  private:
    std::variant<T, E> v_;
};

struct Done {};
using Status = Result<Done>;

inline Status ok() {
    return Done{};
}
inline Error make_error(ErrorCode code, std::string message) {
    return Error{code, std::move(message)};
}

}  // namespace orvo_ui::doc
