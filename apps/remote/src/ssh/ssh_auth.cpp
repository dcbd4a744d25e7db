#include "ssh/ssh_auth.hpp"

#include <cstdlib>
#include <system_error>

#include "platform.hpp"

namespace remote::ssh {

std::optional<std::string> process_env(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    std::string text(value);
    if (!orvo_ui::utf8::valid(text)) {
        return std::nullopt;
    }
    return text;
}

std::variant<SshAuth, std::string> resolve_ssh_auth(AuthMethod method, const EnvLookup& env) {
    if (method != AuthMethod::PublicKey) {
        auto password = env("REMOTE_SSH_PASSWORD");
        if (!password) {
            return std::string(kNoPasswordText);
        }
        return SshAuth{SshPassword{std::move(*password)}};
    }
    SshPublicKey key;
    key.passphrase = env("REMOTE_SSH_KEY_PASSPHRASE");
    if (auto path = env("REMOTE_SSH_KEY")) {
        key.key_path = std::move(*path);
        return SshAuth{std::move(key)};
    }
    // Without HOME the candidates are relative paths, as an empty base makes them.
    const std::filesystem::path home = env("HOME").value_or(std::string());
    for (const char* name : {"id_ed25519", "id_ecdsa"}) {
        const std::filesystem::path candidate = home / ".ssh" / name;
        std::error_code ec;
        const auto metadata = std::filesystem::status(candidate, ec);
        if (!ec && std::filesystem::exists(metadata)) {
            key.key_path = candidate;
            return SshAuth{std::move(key)};
        }
    }
    return std::string(kNoKeyText);
}

std::string launch_user(const std::string& profile_user, const EnvLookup& env) {
    if (!profile_user.empty()) {
        return profile_user;
    }
    return env("USER").value_or("root");
}

}  // namespace remote::ssh
