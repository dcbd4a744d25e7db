#pragma once
// The shell's vocabulary: text fields, views and the closed set of user intents.

#include <cstddef>
#include <optional>
#include <variant>

#include "profile/profile.hpp"
#include "profile/uuid.hpp"

namespace remote {

enum class FieldId { Search, Name, Host, Port, User, Group };
inline constexpr FieldId kAllFields[] = {FieldId::Search, FieldId::Name, FieldId::Host,
                                         FieldId::Port,   FieldId::User, FieldId::Group};
inline constexpr std::size_t kFieldCount = 6;

// New form, or editing the profile with this id.
struct FormMode {
    std::optional<Uuid> edit;
    static FormMode new_profile() { return {}; }
    static FormMode editing(const Uuid& id) { return {id}; }
    bool operator==(const FormMode&) const = default;
};

struct AppView {
    struct List {
        bool operator==(const List&) const = default;
    };
    struct Form {
        FormMode mode;
        bool operator==(const Form&) const = default;
    };
    struct Session {
        Uuid id;
        bool operator==(const Session&) const = default;
    };
    std::variant<List, Form, Session> value;

    template <class V>
    bool is() const {
        return std::holds_alternative<V>(value);
    }
    bool operator==(const AppView&) const = default;
};

// Every user intent reaches the state as one of these.
namespace msg {
struct ShowConnections {};
struct NewConnectionForm {};
struct EditConnection {
    Uuid id;
};
struct Connect {
    Uuid id;
};
struct RequestConnect {
    Uuid id;
};
struct Select {
    Uuid id;
};
struct ToggleFavorite {
    Uuid id;
};
struct RequestDelete {
    Uuid id;
};
struct RequestTrustSshHostKey {
    Uuid id;
};
struct RequestForgetSshHostKey {
    Uuid id;
};
struct Confirm {};
struct CancelConfirmation {};
struct FocusField {
    FieldId field;
};
struct SetKind {
    ConnectionKind kind;
};
struct SetAuth {
    AuthMethod auth;
};
struct SaveForm {};
struct CancelForm {};
struct ToggleScale {};
struct ToggleFullscreen {};
struct Disconnect {};
struct PickDevice {
    std::size_t index;
};
struct ToggleNavigation {};
}  // namespace msg

using ShellMessage =
    std::variant<msg::ShowConnections, msg::NewConnectionForm, msg::EditConnection, msg::Connect,
                 msg::RequestConnect, msg::Select, msg::ToggleFavorite, msg::RequestDelete,
                 msg::RequestTrustSshHostKey, msg::RequestForgetSshHostKey, msg::Confirm,
                 msg::CancelConfirmation, msg::FocusField, msg::SetKind, msg::SetAuth,
                 msg::SaveForm, msg::CancelForm, msg::ToggleScale, msg::ToggleFullscreen,
                 msg::Disconnect, msg::PickDevice, msg::ToggleNavigation>;

}  // namespace remote
