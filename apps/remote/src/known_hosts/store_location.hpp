#pragma once
// Where the trust file lives, and the checks that keep it private to this user.

#include <filesystem>

#include "known_hosts/store_result.hpp"

namespace remote {

// Set to any value, this variable is the trust file's path as given.
inline constexpr const char* known_hosts_override_variable = "REMOTE_SSH_KNOWN_HOSTS";

// The validated trust-file path: the override, or "known-hosts.json" in "orvo/remote" under the
// XDG state directory. That directory is created with mode 0700 when it is absent; an existing one
// with looser permissions is refused, not repaired.
StoreResult<std::filesystem::path> known_hosts_path();

// A real directory (not a symbolic link) with no group or other permission bits.
StoreResult<Done> validate_store_directory(const std::filesystem::path& dir);

// A path with a private parent directory that is either absent or a regular file (not a symbolic
// link) with no group or other permission bits.
StoreResult<Done> validate_store_file(const std::filesystem::path& path);

}  // namespace remote
