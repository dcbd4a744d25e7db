#pragma once
// Saved profiles inside the shared document:
//   root ▸ "connections" ▸ <id text> ▸ { "name": text object, "host", "port", "user", "kind",
//   "auth", "last_used", "presence", "group", "favorite" }.
// Reading never fails (unreadable parts take defaults or are skipped); writers touch only what
// changed, so re-saving an unchanged profile adds no history.

#include <string_view>
#include <vector>

#include "platform.hpp"
#include "profile/profile.hpp"

namespace remote {

using ProfileDocument = orvo_ui::doc::Document;

std::vector<ConnectionProfile> read_profiles(const ProfileDocument& document);
void write_profile(ProfileDocument& document, const ConnectionProfile& profile);
void rename_profile(ProfileDocument& document, const Uuid& id, std::string_view name);
void set_favorite(ProfileDocument& document, const Uuid& id, bool favorite);
void delete_profile(ProfileDocument& document, const Uuid& id);

}  // namespace remote
