#pragma once
// The authentication material of one SSH connection attempt, taken from the environment right
// before the session starts. It is never stored anywhere.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "profile/profile.hpp"

namespace remote::ssh {

struct SshPassword {
    std::string password;
    bool operator==(const SshPassword&) const = default;
};

struct SshPublicKey {
    std::filesystem::path key_path;
    std::optional<std::string> passphrase;
    bool operator==(const SshPublicKey&) const = default;
};

using SshAuth = std::variant<SshPassword, SshPublicKey>;

// Reads one environment variable: none when unset or not valid UTF-8 text.
using EnvLookup = std::function<std::optional<std::string>(const char* name)>;

// The process environment, with values that are not UTF-8 counted as unset.
std::optional<std::string> process_env(const char* name);

inline constexpr const char* kNoPasswordText = "no SSH password: set REMOTE_SSH_PASSWORD";
inline constexpr const char* kNoKeyText = "no SSH key: set REMOTE_SSH_KEY or add ~/.ssh/id_ed25519";

// Password: REMOTE_SSH_PASSWORD. PublicKey: REMOTE_SSH_KEY, else the first of
// $HOME/.ssh/id_ed25519 and $HOME/.ssh/id_ecdsa whose metadata can be read, with the passphrase
// from REMOTE_SSH_KEY_PASSPHRASE. The key file itself is not opened here. The error is the text
// for the user.
std::variant<SshAuth, std::string> resolve_ssh_auth(AuthMethod method,
                                                    const EnvLookup& env = process_env);

// The login name: the profile's user when not empty, else USER, else "root".
std::string launch_user(const std::string& profile_user, const EnvLookup& env = process_env);

}  // namespace remote::ssh
