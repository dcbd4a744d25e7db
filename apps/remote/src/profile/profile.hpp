#pragma once
// A saved connection and the two enumerations it is made of, with every text form they take.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profile/uuid.hpp"

namespace remote {

enum class ConnectionKind { Ssh, Vnc, Rdp, Orvo };
enum class AuthMethod { Password, PublicKey, DeviceIdentity };
enum class Presence { Online, Offline, Unknown };

inline constexpr ConnectionKind kAllKinds[] = {ConnectionKind::Ssh, ConnectionKind::Vnc,
                                               ConnectionKind::Rdp, ConnectionKind::Orvo};
inline constexpr AuthMethod kAllAuthMethods[] = {AuthMethod::Password, AuthMethod::PublicKey,
                                                 AuthMethod::DeviceIdentity};
inline constexpr Presence kAllPresences[] = {Presence::Online, Presence::Offline,
                                             Presence::Unknown};

struct ConnectionProfile {
    Uuid id;
    std::string name;
    ConnectionKind kind = ConnectionKind::Ssh;
    std::string host;
    std::uint16_t port = 22;
    std::string user;
    AuthMethod auth = AuthMethod::Password;
    std::string group;
    bool favorite = false;
    std::string last_used = "Never";
    Presence presence = Presence::Unknown;

    bool operator==(const ConnectionProfile&) const = default;
};

// The form the user edits before a profile is saved: five texts, a kind and an auth.
struct FormState {
    std::string name;
    std::string host;
    std::string port = "22";
    std::string user;
    std::string group;
    ConnectionKind kind = ConnectionKind::Ssh;
    AuthMethod auth = AuthMethod::Password;

    bool operator==(const FormState&) const = default;
};

// Text forms. Payload names are those of action payloads ("Ssh"), document texts those of the
// shared document ("SSH"), labels what the screen shows ("Orvo device").
std::string_view kind_payload_name(ConnectionKind kind);
std::string_view kind_document_text(ConnectionKind kind);
std::string_view kind_label(ConnectionKind kind);
std::optional<ConnectionKind> kind_from_payload_name(std::string_view text);
std::optional<ConnectionKind> kind_from_document_text(std::string_view text);

std::string_view auth_payload_name(AuthMethod auth);
std::string_view auth_document_text(AuthMethod auth);  // also the label
std::string_view auth_label(AuthMethod auth);
std::string_view auth_identifier(AuthMethod auth);  // "public-key", for accessibility ids
std::optional<AuthMethod> auth_from_payload_name(std::string_view text);
std::optional<AuthMethod> auth_from_document_text(std::string_view text);

std::string_view presence_document_text(Presence presence);
std::optional<Presence> presence_from_document_text(std::string_view text);

std::vector<AuthMethod> allowed_auth_methods(ConnectionKind kind);
std::uint16_t default_port(ConnectionKind kind);
// Whether profiles of this kind keep a user name (VNC and Orvo device profiles never do).
bool kind_keeps_user(ConnectionKind kind);

// The text that names a profile as a resource: its name, or its host when the name is blank.
std::string display_name(const ConnectionProfile& profile);

}  // namespace remote
