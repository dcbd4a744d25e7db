#pragma once
// What the UI thread hands to the VNC worker, and what the worker is started with.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace remote::rfb {

// A pointer state: buttons held (bit 0 primary, 1 middle, 2 secondary) at framebuffer pixels.
struct VncPointer {
    std::uint8_t button_mask = 0;
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    bool operator==(const VncPointer&) const = default;
};

struct VncKey {
    bool down = false;
    std::uint32_t keysym = 0;
    bool operator==(const VncKey&) const = default;
};

// One order to the VNC worker, copied by value.
using VncInput = std::variant<VncPointer, VncKey>;

struct VncLaunch {
    std::string host;  // the profile's host, verbatim
    std::uint16_t port = 5900;
    std::optional<std::string> password;
};

}  // namespace remote::rfb
