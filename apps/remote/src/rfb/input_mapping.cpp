#include "rfb/input_mapping.hpp"

#include <algorithm>
#include <cmath>

namespace remote::rfb {
namespace {

std::uint16_t map_axis(double p, double start, double end, std::uint16_t size) {
    double v = (p - start) / (end - start) * size;
    v = std::clamp(v, 0.0, static_cast<double>(size) - 1.0);
    v = std::clamp(v, 0.0, 65535.0);
    return static_cast<std::uint16_t>(std::trunc(v));
}

}  // namespace

std::optional<FramebufferPoint> map_pointer(orvo_ui::Point position,
                                            const orvo_ui::Rect& surface_rect,
                                            std::uint16_t fb_width, std::uint16_t fb_height) {
    const auto& r = surface_rect;
    // Written so that NaN anywhere fails every comparison and maps to nothing.
    if (!(r.right - r.left > 0.0) || !(r.bottom - r.top > 0.0)) {
        return std::nullopt;
    }
    if (!(position.x >= r.left && position.x < r.right && position.y >= r.top &&
          position.y < r.bottom)) {
        return std::nullopt;
    }
    if (fb_width == 0 || fb_height == 0) {
        return std::nullopt;
    }
    return FramebufferPoint{map_axis(position.x, r.left, r.right, fb_width),
                            map_axis(position.y, r.top, r.bottom, fb_height)};
}

std::optional<std::uint8_t> button_bit(orvo_ui::PointerButton button) {
    switch (button) {
        case orvo_ui::PointerButton::Left:
            return 1;
        case orvo_ui::PointerButton::Middle:
            return 2;
        case orvo_ui::PointerButton::Right:
            return 4;
        case orvo_ui::PointerButton::Other:
            break;
    }
    return std::nullopt;
}

std::uint8_t apply_button(std::uint8_t mask, orvo_ui::PointerButton button, bool pressed) {
    const auto bit = button_bit(button);
    if (!bit) {
        return mask;
    }
    return static_cast<std::uint8_t>(pressed ? (mask | *bit) : (mask & ~*bit));
}

std::optional<std::uint32_t> keysym_for_key(const orvo_ui::KeyEvent& key) {
    using orvo_ui::NamedKey;
    switch (key.key) {
        case NamedKey::Enter:
            return 0xFF0D;
        case NamedKey::Tab:
            return 0xFF09;
        case NamedKey::Space:
            return 0x0020;
        case NamedKey::ArrowDown:
            return 0xFF54;
        case NamedKey::ArrowLeft:
            return 0xFF51;
        case NamedKey::ArrowRight:
            return 0xFF53;
        case NamedKey::ArrowUp:
            return 0xFF52;
        case NamedKey::Backspace:
            return 0xFF08;
        case NamedKey::Delete:
            return 0xFFFF;
        case NamedKey::Escape:
            return 0xFF1B;
        default:
            break;
    }
    const auto first = orvo_ui::utf8::first_scalar(key.text);
    if (!first) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*first);
}

std::vector<VncInput> key_press_orders(const orvo_ui::KeyEvent& key) {
    if (!key.pressed) {
        return {};
    }
    const auto keysym = keysym_for_key(key);
    if (!keysym) {
        return {};
    }
    return {VncKey{true, *keysym}, VncKey{false, *keysym}};
}

}  // namespace remote::rfb
