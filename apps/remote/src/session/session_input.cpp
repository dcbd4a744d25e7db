#include "session/session_input.hpp"

#include "rfb/input_mapping.hpp"
#include "vt/key_encoding.hpp"

namespace remote {
namespace {

std::optional<rfb::FramebufferPoint> map_onto_desktop(VncSession& vnc,
                                                      const std::optional<orvo_ui::Rect>& surface,
                                                      orvo_ui::Point position) {
    if (!surface) {
        return std::nullopt;
    }
    const auto snapshot = vnc.worker.framebuffer->get();
    if (!snapshot) {
        return std::nullopt;
    }
    return rfb::map_pointer(position, *surface, snapshot->width(), snapshot->height());
}

}  // namespace

std::optional<std::string> send_vnc_input(VncSession& vnc, const rfb::VncInput& order) {
    return rfb::send_vnc_input(vnc.worker.input, order);
}

bool route_session_key(std::optional<LiveSession>& session, const orvo_ui::KeyEvent& key) {
    if (ssh::SshSession* ssh = ssh_session(session)) {
        if (!ssh->status().is<SessionStatus::Connected>()) {
            return false;
        }
        const std::string bytes = key.pressed ? encode_key(key) : std::string();
        if (!bytes.empty()) {
            (void)ssh->send_input(std::span<const std::uint8_t>(
                reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        }
        return true;
    }
    if (VncSession* vnc = live_vnc(session)) {
        for (const rfb::VncInput& order : rfb::key_press_orders(key)) {
            (void)send_vnc_input(*vnc, order);
        }
        return true;
    }
    return false;
}

void route_pointer_moved(SessionFields f, orvo_ui::Point position) {
    VncSession* vnc = live_vnc(f.session);
    if (vnc == nullptr) {
        return;
    }
    if (const auto point = map_onto_desktop(*vnc, f.surface_rect, position)) {
        (void)send_vnc_input(*vnc, rfb::VncPointer{f.button_mask, point->x, point->y});
    }
}

void route_pointer_button(SessionFields f, orvo_ui::Point position, orvo_ui::PointerButton button,
                          bool pressed) {
    VncSession* vnc = live_vnc(f.session);
    if (vnc == nullptr) {
        return;
    }
    const auto point = map_onto_desktop(*vnc, f.surface_rect, position);
    if (!point) {
        return;
    }
    f.button_mask = rfb::apply_button(f.button_mask, button, pressed);
    (void)send_vnc_input(*vnc, rfb::VncPointer{f.button_mask, point->x, point->y});
}

}  // namespace remote
