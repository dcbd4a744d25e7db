#include "profile/profile.hpp"

#include <algorithm>
#include <cstdlib>

#include "profile/text.hpp"

namespace remote {
namespace {

struct KindRow {
    ConnectionKind kind;
    std::string_view payload;
    std::string_view document;
    std::string_view label;
    std::uint16_t port;
    bool keeps_user;
};

constexpr KindRow kKindRows[] = {
    {ConnectionKind::Ssh, "Ssh", "SSH", "SSH", 22, true},
    {ConnectionKind::Vnc, "Vnc", "VNC", "VNC", 5900, false},
    {ConnectionKind::Rdp, "Rdp", "RDP", "RDP", 3389, true},
    {ConnectionKind::Orvo, "Orvo", "Orvo", "Orvo device", 0, false},
};

struct AuthRow {
    AuthMethod auth;
    std::string_view payload;
    std::string_view document;
    std::string_view identifier;
};

constexpr AuthRow kAuthRows[] = {
    {AuthMethod::Password, "Password", "Password", "password"},
    {AuthMethod::PublicKey, "PublicKey", "Public key", "public-key"},
    {AuthMethod::DeviceIdentity, "DeviceIdentity", "Device identity", "device-identity"},
};

constexpr std::string_view kPresenceTexts[] = {"online", "offline", "unknown"};

const KindRow& row(ConnectionKind kind) {
    return kKindRows[static_cast<int>(kind)];
}
const AuthRow& row(AuthMethod auth) {
    return kAuthRows[static_cast<int>(auth)];
}

}  // namespace

std::string_view kind_payload_name(ConnectionKind kind) {
    return row(kind).payload;
}
std::string_view kind_document_text(ConnectionKind kind) {
    return row(kind).document;
}
std::string_view kind_label(ConnectionKind kind) {
    return row(kind).label;
}

std::optional<ConnectionKind> kind_from_payload_name(std::string_view text) {
    for (const auto& r : kKindRows) {
        if (r.payload == text)
            return r.kind;
    }
    return std::nullopt;
}

std::optional<ConnectionKind> kind_from_document_text(std::string_view text) {
    for (const auto& r : kKindRows) {
        if (r.document == text)
            return r.kind;
    }
    return std::nullopt;
}

std::string_view auth_payload_name(AuthMethod auth) {
    return row(auth).payload;
}
std::string_view auth_document_text(AuthMethod auth) {
    return row(auth).document;
}
std::string_view auth_label(AuthMethod auth) {
    return row(auth).document;
}
std::string_view auth_identifier(AuthMethod auth) {
    return row(auth).identifier;
}

std::optional<AuthMethod> auth_from_payload_name(std::string_view text) {
    for (const auto& r : kAuthRows) {
        if (r.payload == text)
            return r.auth;
    }
    return std::nullopt;
}

std::optional<AuthMethod> auth_from_document_text(std::string_view text) {
    for (const auto& r : kAuthRows) {
        if (r.document == text)
            return r.auth;
    }
    return std::nullopt;
}

std::string_view presence_document_text(Presence presence) {
    return kPresenceTexts[static_cast<int>(presence)];
}

std::optional<Presence> presence_from_document_text(std::string_view text) {
    for (Presence p : kAllPresences) {
        if (presence_document_text(p) == text)
            return p;
    }
    return std::nullopt;
}

std::vector<AuthMethod> allowed_auth_methods(ConnectionKind kind) {
    switch (kind) {
        case ConnectionKind::Ssh:
            return {AuthMethod::Password, AuthMethod::PublicKey};
        case ConnectionKind::Vnc:
        case ConnectionKind::Rdp:
            return {AuthMethod::Password};
        case ConnectionKind::Orvo:
            return {AuthMethod::DeviceIdentity};
    }
    std::abort();
}

std::uint16_t default_port(ConnectionKind kind) {
    return row(kind).port;
}
bool kind_keeps_user(ConnectionKind kind) {
    return row(kind).keeps_user;
}

std::string display_name(const ConnectionProfile& profile) {
    if (!trim_unicode(profile.name).empty()) {
        return profile.name;
    }
    return profile.host;
}

}  // namespace remote
