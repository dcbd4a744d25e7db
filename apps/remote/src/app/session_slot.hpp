#pragma once
// The single live-session slot and what it can hold. Worker-backed sessions (SSH, VNC, Orvo
// device) join this set together with their workers; until then a ready transport cannot
// start and says so in the slot.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "profile/profile.hpp"
#include "profile/validation.hpp"
#include "session/session_status.hpp"

namespace remote {

struct LiveSession {
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
    std::variant<StartFailed, NotAvailable, Placeholder> value;
};

// The status each slot content reports.
SessionStatus slot_status(const LiveSession& session);

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
