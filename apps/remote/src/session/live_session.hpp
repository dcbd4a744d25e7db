#pragma once
// The single live-session slot and what it can hold: a worker-backed session (SSH, VNC, or the
// reserved Orvo device session), or a start that did not run a worker.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "profile/profile.hpp"
#include "profile/validation.hpp"
#include "rfb/vnc_worker.hpp"
#include "session/session_status.hpp"
#include "ssh/ssh_session.hpp"

namespace remote {

// The UI-side handle of a VNC session. Dropping it closes the input queue, which stops the
// worker.
struct VncSession {
    std::optional<std::uint64_t> last_seen_generation;
    rfb::VncWorkerHandle worker;
};

// An Orvo device session. Reserved: device streams do not start yet, so the slot never holds
// one, but ending a session already honours its stream serial.
struct DeviceSession {
    std::uint64_t serial = 0;
    SessionStatus status = SessionStatus::connecting();
};

struct LiveSession {
    struct Ssh {
        ssh::SshSession session;
    };
    struct Vnc {
        VncSession session;
    };
    struct Device {
        DeviceSession session;
    };
    // A start was refused before any worker ran.
    struct StartFailed {
        std::string text;
    };
    // The profile's transport cannot connect.
    struct NotAvailable {
        TransportAvailability availability;
        ConnectionKind kind;
    };
    // A fixed status shown by review scenes; no worker runs.
    struct Placeholder {
        SessionStatus status;
    };
    std::variant<Ssh, Vnc, Device, StartFailed, NotAvailable, Placeholder> value;
};

// The status each slot content reports.
SessionStatus slot_status(const LiveSession& session);
std::optional<SessionStatus> slot_status(const std::optional<LiveSession>& session);

// Device-stream records the framework drains: open a stream, or close the one with a serial.
struct DeviceEffect {
    struct OpenStream {
        std::string endpoint_id;
        std::uint64_t serial = 0;
        bool operator==(const OpenStream&) const = default;
    };
    struct CloseStream {
        std::uint64_t serial = 0;
        bool operator==(const CloseStream&) const = default;
    };
    std::variant<OpenStream, CloseStream> value;
    bool operator==(const DeviceEffect&) const = default;
};

}  // namespace remote
