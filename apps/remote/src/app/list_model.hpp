#pragma once
// Which saved connections the list shows, and in which order.

#include <string_view>
#include <vector>

#include "profile/profile.hpp"

namespace remote {

// Profiles matching the search text (trimmed, lower-cased, a substring of the lower-cased name,
// host, user, group or kind), favourites first, then by lower-cased name compared bytewise;
// ties keep document order.
std::vector<const ConnectionProfile*> visible_list(const std::vector<ConnectionProfile>& profiles,
                                                   std::string_view search_text);

}  // namespace remote
