#pragma once
// UI-side pure functions of a VNC session: where a pointer lands on the remote framebuffer, the
// RFB button bits, and the keysym of a key press.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform.hpp"
#include "rfb/vnc_input.hpp"

namespace remote::rfb {

struct FramebufferPoint {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    bool operator==(const FramebufferPoint&) const = default;
};

// Maps a position in logical units over surface_rect (the whole framebuffer stretched over it)
// to framebuffer pixels. None outside the rectangle (its right and bottom edges excluded), for
// an empty rectangle, or for a framebuffer without pixels.
std::optional<FramebufferPoint> map_pointer(orvo_ui::Point position,
                                            const orvo_ui::Rect& surface_rect,
                                            std::uint16_t fb_width, std::uint16_t fb_height);

// Primary 1, middle 2, secondary 4; other buttons have no bit.
std::optional<std::uint8_t> button_bit(orvo_ui::PointerButton button);

// The mask after pressing or releasing the button.
std::uint8_t apply_button(std::uint8_t mask, orvo_ui::PointerButton button, bool pressed);

// The keysym of a key: from the named-key table, else the first character of the produced text.
std::optional<std::uint32_t> keysym_for_key(const orvo_ui::KeyEvent& key);

// The orders for a key event: Key down then Key up for a press that has a keysym; nothing for
// releases and for keys without one.
std::vector<VncInput> key_press_orders(const orvo_ui::KeyEvent& key);

}  // namespace remote::rfb
