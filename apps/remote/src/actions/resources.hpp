#pragma once
// What Remote offers to the framework's action registry and to automation clients: the
// "remote.action" codec, the operation type, and the resources with their actions.

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "actions/payloads.hpp"
#include "doc/profile_store.hpp"
#include "platform.hpp"

namespace remote {

// The host-key review of a live SSH session, as far as the resources need it.
struct PendingHostKeyReview {
    enum class Kind { Unknown, Changed, StoreUnavailable };
    Kind kind = Kind::Unknown;
    HostKeyIdentity observed;  // meaningful for Unknown
};

void register_codecs(orvo_actions::registry::Registry& registry);
std::set<std::string> operation_types();

// The "remote.connections" resource with one child per saved profile.
std::vector<orvo_actions::resource::Resource> connection_resources(const ProfileDocument& document);

// The live session's resource; `ssh_connected` tells whether it is an SSH terminal in the
// connected state.
orvo_actions::resource::Resource session_resource(
    const ConnectionProfile& profile, bool ssh_connected,
    const std::optional<PendingHostKeyReview>& review);

}  // namespace remote
