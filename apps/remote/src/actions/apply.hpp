#pragma once
// Applying a RemoteAction to the shared document.

#include "actions/payloads.hpp"
#include "doc/profile_store.hpp"

namespace remote {

// Never fails; an action naming an id that is not in the document changes nothing (an upsert
// creates the profile).
void apply_action(const RemoteAction& action, ProfileDocument& document);

}  // namespace remote
