#pragma once
// Profile identities: random version-4 UUIDs, written as 36-character lowercase hyphenated text.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace remote {

struct Uuid {
    std::array<std::uint8_t, 16> bytes{};

    static Uuid random_v4();
    static std::optional<Uuid> parse(std::string_view text);
    std::string to_string() const;

    auto operator<=>(const Uuid&) const = default;
};

}  // namespace remote
