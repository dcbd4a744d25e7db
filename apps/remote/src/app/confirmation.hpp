#pragma once
// Confirmations the user answers before something outside the view changes.

#include <string>
#include <variant>

#include "profile/profile.hpp"

namespace remote {

// The algorithm and fingerprint of an observed SSH host key.
struct ObservedHostKey {
    std::string algorithm;
    std::string fingerprint;
    bool operator==(const ObservedHostKey&) const = default;
};

struct PendingConfirmation {
    struct Connect {
        std::string snapshot;
        Uuid id;
        bool operator==(const Connect&) const = default;
    };
    struct Delete {
        std::string snapshot;
        Uuid id;
        bool operator==(const Delete&) const = default;
    };
    struct TrustSshHostKey {
        std::string snapshot;
        Uuid id;
        ObservedHostKey key;
        bool operator==(const TrustSshHostKey&) const = default;
    };
    struct ForgetSshHostKey {
        std::string snapshot;
        Uuid id;
        bool operator==(const ForgetSshHostKey&) const = default;
    };
    std::variant<Connect, Delete, TrustSshHostKey, ForgetSshHostKey> value;
    bool operator==(const PendingConfirmation&) const = default;
};

// "{kind}|{host}|{port}|{user}|{auth}": what a confirmation was asked about. Name, group,
// favourite, presence and last use are left out so renaming does not invalidate it.
std::string profile_snapshot(const ConnectionProfile& profile);

}  // namespace remote
