#pragma once
// Carrying the user's keys and pointer to the live session. Sending never waits; during routing a
// full or closed queue loses the event silently.

#include <optional>
#include <string>

#include "platform.hpp"
#include "rfb/vnc_input.hpp"
#include "session/session_manager.hpp"

namespace remote {

// Offers one order to the VNC worker; the refusal text when its queue is full or closed.
std::optional<std::string> send_vnc_input(VncSession& vnc, const rfb::VncInput& order);

// A key in the session view, after the shell's own bindings: a connected SSH session gets the
// bytes of a press, a connected VNC session the keysym's down and up. True when a connected
// session took the key (releases included, which send nothing).
bool route_session_key(std::optional<LiveSession>& session, const orvo_ui::KeyEvent& key);

// Pointer motion to a connected VNC session, when it lies over the drawn desktop.
void route_pointer_moved(SessionFields fields, orvo_ui::Point position);

// A button over the drawn desktop of a connected VNC session: updates button_mask and sends the
// pointer state. Off the desktop nothing changes.
void route_pointer_button(SessionFields fields, orvo_ui::Point position,
                          orvo_ui::PointerButton button, bool pressed);

}  // namespace remote
