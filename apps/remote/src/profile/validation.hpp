#pragma once
// When a form may become a profile, and when a profile may start a live session.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profile/profile.hpp"

namespace remote {

enum class TransportAvailability { Ready, CapabilityRequired, BackendUnavailable, InvalidProfile };

inline constexpr std::string_view kPortProblem = "Port must be 1–65535";

// The problem with a target and its authentication, if any (wrong auth for the kind, or an
// Orvo device node that is not an exact endpoint id).
std::optional<std::string> target_problem(ConnectionKind kind, std::string_view host,
                                          AuthMethod auth);

// Every problem of the form, in a fixed order; empty when the form may be saved.
std::vector<std::string> validate_form(const FormState& form);

// The port a port text names: decimal ASCII digits with an optional leading plus sign, blank
// around it allowed, 1 to 65535.
std::optional<std::uint16_t> parse_port_text(std::string_view text);

ConnectionProfile profile_from_form(const FormState& form, const Uuid& id);

// True when REMOTE_LIVE_SESSIONS is set to any valid UTF-8 text (the empty text included).
// Read anew at every call.
bool live_sessions_enabled();

TransportAvailability transport_availability(const ConnectionProfile& profile);
std::string_view availability_text(TransportAvailability availability, ConnectionKind kind);
// The code under which an unavailable connect is reported; empty for Ready.
std::string_view availability_code(TransportAvailability availability);

}  // namespace remote
