#pragma once
// Errors of the RFB client as values. Every failure a server or the network can cause ends up
// here; the worker turns it into the session's status text.

#include <string>
#include <utility>
#include <variant>

namespace remote::rfb {

enum class RfbErrorKind {
    EndOfStream,  // the connection closed before a message was complete
    Refused,      // the connection attempt was refused
    TimedOut,     // the connection attempt or the connection timed out
    Cancelled,    // the session was dropped; the worker exits without a report
    System,       // any other operating-system or name-resolution failure
    Protocol,     // the server broke the protocol or a limit; the text says how
};

struct RfbError {
    RfbErrorKind kind = RfbErrorKind::Protocol;
    std::string text;
    bool operator==(const RfbError&) const = default;
};

inline RfbError protocol_error(std::string text) {
    return {RfbErrorKind::Protocol, std::move(text)};
}

struct Done {
    bool operator==(const Done&) const = default;
};

// A value or an RfbError.
template <class T>
class [[nodiscard]] RfbResult {
  public:
    RfbResult(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    RfbResult(RfbError error) : v_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    const RfbError& error() const { return std::get<1>(v_); }

  private:
    std::variant<T, RfbError> v_;
};

using RfbStatus = RfbResult<Done>;

inline RfbStatus ok_status() {
    return Done{};
}

}  // namespace remote::rfb
