#pragma once
// Value types of the replicated document: actors, change hashes, object ids and scalars.

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orvo_ui::doc {

// A replica's identity: 16 random bytes, written as 32 lowercase hex digits.
struct ActorId {
    std::array<std::uint8_t, 16> bytes{};

    static ActorId random();
    static std::optional<ActorId> from_hex(std::string_view text);
    std::string to_hex() const;

    auto operator<=>(const ActorId&) const = default;
};

// The SHA-256 digest of a change's encoded bytes.
using ChangeHash = std::array<std::uint8_t, 32>;
std::string to_hex(const ChangeHash& hash);

enum class ObjType : std::uint8_t { Map, Text };

// Names an object: the root map, or the operation (counter, actor) that created it. The same
// object has the same ObjId on every replica.
struct ObjId {
    std::uint64_t counter = 0;
    ActorId actor;

    bool is_root() const { return counter == 0; }
    auto operator<=>(const ObjId&) const = default;
};

inline constexpr ObjId kRoot{};

struct Counter {
    std::int64_t value = 0;
    auto operator<=>(const Counter&) const = default;
};

// Milliseconds since the Unix epoch.
struct Timestamp {
    std::int64_t millis = 0;
    auto operator<=>(const Timestamp&) const = default;
};

// Typed scalars. The alternatives keep their kind: 22 as a signed integer and 22 as an
// unsigned integer are different values.
using Scalar =
    std::variant<std::string, std::int64_t, std::uint64_t, double, Counter, Timestamp, bool>;

// Same kind and same value; floating-point values compare by their bits, so that NaN equals
// itself and 0.0 differs from -0.0.
bool same_scalar(const Scalar& a, const Scalar& b);

struct ObjRef {
    ObjType type = ObjType::Map;
    ObjId id;
    bool operator==(const ObjRef&) const = default;
};

// What a map key holds: a scalar or a nested object.
using Value = std::variant<Scalar, ObjRef>;

}  // namespace orvo_ui::doc
