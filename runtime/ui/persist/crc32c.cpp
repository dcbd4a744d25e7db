#include "runtime/ui/persist/crc32c.hpp"

#include <array>

namespace orvo_ui::persist {
namespace {

// Slicing-by-8 tables for the reflected polynomial 0x82F63B78.
constexpr std::array<std::array<std::uint32_t, 256>, 8> make_tables() {
    std::array<std::array<std::uint32_t, 256>, 8> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0x82f63b78u : c >> 1;
        t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i) {
        for (std::size_t s = 1; s < 8; ++s)
            t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xff];
    }
    return t;
}

constexpr auto kTables = make_tables();

}  // namespace

std::uint32_t crc32c(std::span<const std::uint8_t> bytes) {
    std::uint32_t c = 0xffffffffu;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        const std::uint32_t lo =
            c ^ (std::uint32_t{bytes[i]} | std::uint32_t{bytes[i + 1]} << 8 |
                 std::uint32_t{bytes[i + 2]} << 16 | std::uint32_t{bytes[i + 3]} << 24);
        c = kTables[7][lo & 0xff] ^ kTables[6][(lo >> 8) & 0xff] ^ kTables[5][(lo >> 16) & 0xff] ^
            kTables[4][lo >> 24] ^ kTables[3][bytes[i + 4]] ^ kTables[2][bytes[i + 5]] ^
            kTables[1][bytes[i + 6]] ^ kTables[0][bytes[i + 7]];
    }
    for (; i < bytes.size(); ++i)
        c = (c >> 8) ^ kTables[0][(c ^ bytes[i]) & 0xff];
    return c ^ 0xffffffffu;
}

}  // namespace orvo_ui::persist
