#pragma once
// The two payload types everything a user or an automation client does travels as:
// RemoteAction changes saved profiles; RemoteOperation asks the running application to do
// something. Both are JSON: a variant with fields is {"Name":{fields in order}}, a variant
// without fields is the string "Name".

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "known_hosts/host_key_identity.hpp"
#include "platform.hpp"
#include "profile/profile.hpp"

namespace remote {

inline constexpr std::string_view kActionTypeName = "remote.action";
inline constexpr std::string_view kOperationTypeName = "remote.operation";

struct RemoteAction {
    struct UpsertConnection {
        Uuid id;
        std::string name;
        std::string host;
        std::uint16_t port = 0;
        std::string user;
        ConnectionKind kind = ConnectionKind::Ssh;
        AuthMethod auth = AuthMethod::Password;
        std::string group;
        bool operator==(const UpsertConnection&) const = default;
    };
    struct RenameConnection {
        Uuid id;
        std::string name;
        bool operator==(const RenameConnection&) const = default;
    };
    struct SetFavorite {
        Uuid id;
        bool favorite = false;
        bool operator==(const SetFavorite&) const = default;
    };
    struct DeleteConnection {
        Uuid id;
        bool operator==(const DeleteConnection&) const = default;
    };
    std::variant<UpsertConnection, RenameConnection, SetFavorite, DeleteConnection> value;
    bool operator==(const RemoteAction&) const = default;
};

struct RemoteOperation {
    struct ShowConnections {
        bool operator==(const ShowConnections&) const = default;
    };
    struct NewConnectionForm {
        bool operator==(const NewConnectionForm&) const = default;
    };
    struct EditConnection {
        Uuid connection_id;
        bool operator==(const EditConnection&) const = default;
    };
    struct Connect {
        Uuid connection_id;
        bool operator==(const Connect&) const = default;
    };
    struct Disconnect {
        Uuid connection_id;
        bool operator==(const Disconnect&) const = default;
    };
    struct SendText {
        Uuid connection_id;
        std::string text;
        bool operator==(const SendText&) const = default;
    };
    struct TrustSshHostKey {
        Uuid connection_id;
        HostKeyIdentity observed;
        bool operator==(const TrustSshHostKey&) const = default;
    };
    struct ForgetSshHostKey {
        Uuid connection_id;
        bool operator==(const ForgetSshHostKey&) const = default;
    };
    std::variant<ShowConnections, NewConnectionForm, EditConnection, Connect, Disconnect, SendText,
                 TrustSshHostKey, ForgetSshHostKey>
        value;
    bool operator==(const RemoteOperation&) const = default;
};

// An encoded action: its type name and its compact JSON text.
using EncodedAction = orvo_actions::EncodedAction;

struct PayloadError {
    std::string message;
};

template <class T>
using Decoded = std::variant<T, PayloadError>;

EncodedAction encode_action(const RemoteAction& action);
Decoded<RemoteAction> decode_action(std::string_view json);

EncodedAction encode_operation(const RemoteOperation& operation);
// Nothing (std::monostate) when the type name is not "remote.operation".
std::variant<std::monostate, RemoteOperation, PayloadError> decode_operation(
    std::string_view type_name, std::string_view json);

// Builds the action that saves a profile's editable fields.
RemoteAction upsert_from_profile(const ConnectionProfile& profile);

}  // namespace remote
