#pragma once
// An 8-bit RGBA colour value with straight (not premultiplied) alpha.

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace orvo_ui {

struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;

    // 0xRRGGBB, opaque.
    static constexpr Color hex(std::uint32_t rgb) {
        return {static_cast<std::uint8_t>((rgb >> 16) & 0xFF),
                static_cast<std::uint8_t>((rgb >> 8) & 0xFF), static_cast<std::uint8_t>(rgb & 0xFF),
                255};
    }

    // The same colour with its alpha set to `alpha` (0 transparent .. 1 opaque).
    Color with_alpha(double alpha) const { return {r, g, b, unit_to_byte(alpha)}; }

    // The same colour with its alpha multiplied by `factor` (0..1).
    Color faded(double factor) const { return {r, g, b, unit_to_byte(a / 255.0 * factor)}; }

    // Linear mix towards `other`: t = 0 gives this colour, t = 1 gives `other`.
    Color mix(Color other, double t) const {
        const double k = std::clamp(t, 0.0, 1.0);
        auto channel = [k](std::uint8_t from, std::uint8_t to) {
            return static_cast<std::uint8_t>(std::lround(from + (to - from) * k));
        };
        return {channel(r, other.r), channel(g, other.g), channel(b, other.b), channel(a, other.a)};
    }

    // Mixed towards white by `amount` (0.08 is "8% lighter"); alpha is kept.
    Color lighter(double amount) const {
        Color c = mix(Color{255, 255, 255, a}, amount);
        c.a = a;
        return c;
    }

    bool operator==(const Color&) const = default;

  private:
    static std::uint8_t unit_to_byte(double v) {
        return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
    }
};

}  // namespace orvo_ui
