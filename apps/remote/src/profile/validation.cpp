#include "profile/validation.hpp"

#include <algorithm>
#include <cstdlib>

#include "platform.hpp"
#include "profile/endpoint_id.hpp"
#include "profile/text.hpp"

namespace remote {
namespace {

std::string_view wrong_auth_message(ConnectionKind kind) {
    switch (kind) {
        case ConnectionKind::Ssh:
            return "SSH profiles support password or public-key authentication.";
        case ConnectionKind::Vnc:
            return "VNC profiles support password authentication only.";
        case ConnectionKind::Rdp:
            return "RDP profiles support password authentication only.";
        case ConnectionKind::Orvo:
            return "Orvo device profiles must use Orvo device identity.";
    }
    std::abort();
}

bool auth_allowed(ConnectionKind kind, AuthMethod auth) {
    const auto allowed = allowed_auth_methods(kind);
    return std::find(allowed.begin(), allowed.end(), auth) != allowed.end();
}

}  // namespace

std::optional<std::string> target_problem(ConnectionKind kind, std::string_view host,
                                          AuthMethod auth) {
    if (!auth_allowed(kind, auth)) {
        return std::string(wrong_auth_message(kind));
    }
    if (kind == ConnectionKind::Orvo) {
        const std::string_view node = trim_unicode(host);
        if (!node.empty() && !EndpointId::parse(node)) {
            return std::string("Orvo device node must be an exact certified endpoint id.");
        }
    }
    return std::nullopt;
}

std::optional<std::uint16_t> parse_port_text(std::string_view text) {
    std::string_view digits = trim_unicode(text);
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 65535) {
            return std::nullopt;
        }
    }
    if (value == 0) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

std::vector<std::string> validate_form(const FormState& form) {
    std::vector<std::string> problems;
    if (trim_unicode(form.name).empty()) {
        problems.emplace_back("Name is required");
    }
    if (trim_unicode(form.host).empty()) {
        problems.emplace_back("Host is required");
    }
    if (form.kind != ConnectionKind::Orvo && !parse_port_text(form.port)) {
        problems.emplace_back(kPortProblem);
    }
    if (auto problem = target_problem(form.kind, form.host, form.auth)) {
        problems.push_back(std::move(*problem));
    }
    return problems;
}

ConnectionProfile profile_from_form(const FormState& form, const Uuid& id) {
    ConnectionProfile profile;
    profile.id = id;
    profile.name = std::string(trim_unicode(form.name));
    profile.kind = form.kind;
    profile.host = std::string(trim_unicode(form.host));
    if (form.kind == ConnectionKind::Orvo) {
        profile.port = 0;
    } else {
        profile.port = parse_port_text(form.port).value_or(default_port(form.kind));
    }
    profile.user = kind_keeps_user(form.kind) ? std::string(trim_unicode(form.user)) : "";
    profile.auth = form.auth;
    profile.group = std::string(trim_unicode(form.group));
    profile.favorite = false;
    profile.last_used = "Never";
    profile.presence = Presence::Unknown;
    return profile;
}

bool live_sessions_enabled() {
    const char* value = std::getenv("REMOTE_LIVE_SESSIONS");
    return value != nullptr && orvo_ui::utf8::valid(value);
}

TransportAvailability transport_availability(const ConnectionProfile& profile) {
    switch (profile.kind) {
        case ConnectionKind::Ssh:
        case ConnectionKind::Vnc:
            if (!live_sessions_enabled()) {
                return TransportAvailability::CapabilityRequired;
            }
            break;
        case ConnectionKind::Rdp:
            return TransportAvailability::BackendUnavailable;
        case ConnectionKind::Orvo:
            break;
    }
    if (target_problem(profile.kind, profile.host, profile.auth)) {
        return TransportAvailability::InvalidProfile;
    }
    return TransportAvailability::Ready;
}

std::string_view availability_text(TransportAvailability availability, ConnectionKind kind) {
    switch (availability) {
        case TransportAvailability::Ready:
            return "This transport is ready to connect.";
        case TransportAvailability::CapabilityRequired:
            if (kind == ConnectionKind::Ssh) {
                return "SSH is installed, but this build has not been granted live network "
                       "access.";
            }
            if (kind == ConnectionKind::Vnc) {
                return "VNC is installed, but this build has not been granted live network "
                       "access.";
            }
            return "This transport needs a capability before it can connect.";
        case TransportAvailability::BackendUnavailable:
            return "RDP profiles are preserved, but this Orvo build has no RDP client backend.";
        case TransportAvailability::InvalidProfile:
            return "This saved connection has incompatible target or authentication settings.";
    }
    std::abort();
}

std::string_view availability_code(TransportAvailability availability) {
    switch (availability) {
        case TransportAvailability::Ready:
            return "";
        case TransportAvailability::CapabilityRequired:
            return "live_session_capability_required";
        case TransportAvailability::BackendUnavailable:
            return "transport_backend_unavailable";
        case TransportAvailability::InvalidProfile:
            return "invalid_connection_profile";
    }
    std::abort();
}

}  // namespace remote
