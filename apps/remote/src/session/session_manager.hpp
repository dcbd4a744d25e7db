#pragma once
// Starting, ending and polling the live session. The fields live in the application object;
// these functions work on references to them, all on the UI thread, and never wait on a worker.

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "platform.hpp"
#include "profile/profile.hpp"
#include "profile/uuid.hpp"
#include "session/live_session.hpp"

namespace remote {

inline constexpr std::uint64_t kMaxSessionCounter = UINT64_MAX;
inline constexpr const char* kIdentityExhaustedText =
    "remote session identity exhausted; restart the application";

// The session-related fields of the application, by reference.
struct SessionFields {
    std::optional<LiveSession>& session;
    std::optional<Uuid>& session_target;
    std::uint64_t& session_generation;
    std::uint64_t& next_session_serial;
    std::optional<orvo_ui::Image>& remote_frame;
    std::deque<DeviceEffect>& device_effects;
    std::optional<orvo_ui::Rect>& surface_rect;
    std::uint8_t& button_mask;
    bool& fullscreen;
    // The application's profile list (the "just now" and online marks go here, never into the
    // shared document).
    std::vector<ConnectionProfile>& profiles;
};

// Starts a session for the profile. False when there is no such profile (nothing changed);
// true when the slot has new content and the view should show the session.
bool start_session(SessionFields fields, const Uuid& id);

// Ends the live session; the view should go back to the list.
void end_session(SessionFields fields);

// Collects what the workers produced: SSH output into the terminal, the newest VNC picture into
// remote_frame, and the online mark once connected. Call only while the session view is shown.
// True when anything changed.
bool poll_session(SessionFields fields);

// True while the slot's session is starting or connected.
bool session_wants_frames(const std::optional<LiveSession>& session);

// The slot's session when it is of that kind, else null.
ssh::SshSession* ssh_session(std::optional<LiveSession>& session);
VncSession* vnc_session(std::optional<LiveSession>& session);

// The VNC handle when the slot holds a connected VNC session, else null.
VncSession* live_vnc(std::optional<LiveSession>& session);

}  // namespace remote
