#include "ssh/client_settings.hpp"

namespace remote::ssh {
namespace {

// libssh drops the names it does not implement from a list itself; it refuses a list only when
// nothing of it is left.
bool set_list(ssh_session session, ssh_options_e option, const char* names) {
    return ssh_options_set(session, option, names) == SSH_OK;
}

}  // namespace

std::optional<std::string> apply_client_settings(ssh_session session, const std::string& host,
                                                 std::uint16_t port, const std::string& user) {
    const int no = 0;
    const unsigned int port_value = port;
    const std::uint64_t rekey_bytes = kRekeyBytes;
    const std::uint32_t rekey_seconds = kRekeySeconds;
    // "/dev/null" is an empty known-hosts file for libssh: it never learns or prefers a key.
    const char* nothing = "/dev/null";
    const bool ok = ssh_options_set(session, SSH_OPTIONS_PROCESS_CONFIG, &no) == SSH_OK &&
                    ssh_options_set(session, SSH_OPTIONS_HOST, host.c_str()) == SSH_OK &&
                    ssh_options_set(session, SSH_OPTIONS_PORT, &port_value) == SSH_OK &&
                    ssh_options_set(session, SSH_OPTIONS_USER, user.c_str()) == SSH_OK &&
                    ssh_options_set(session, SSH_OPTIONS_KNOWNHOSTS, nothing) == SSH_OK &&
                    ssh_options_set(session, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, nothing) == SSH_OK &&
                    ssh_options_set(session, SSH_OPTIONS_NODELAY, &no) == SSH_OK &&
                    ssh_options_set(session, SSH_OPTIONS_REKEY_DATA, &rekey_bytes) == SSH_OK &&
                    ssh_options_set(session, SSH_OPTIONS_REKEY_TIME, &rekey_seconds) == SSH_OK &&
                    set_list(session, SSH_OPTIONS_KEY_EXCHANGE, kKeyExchange) &&
                    set_list(session, SSH_OPTIONS_HOSTKEYS, kHostKeys) &&
                    set_list(session, SSH_OPTIONS_CIPHERS_C_S, kCiphers) &&
                    set_list(session, SSH_OPTIONS_CIPHERS_S_C, kCiphers) &&
                    set_list(session, SSH_OPTIONS_HMAC_C_S, kMacs) &&
                    set_list(session, SSH_OPTIONS_HMAC_S_C, kMacs) &&
                    set_list(session, SSH_OPTIONS_COMPRESSION_C_S, kCompression) &&
                    set_list(session, SSH_OPTIONS_COMPRESSION_S_C, kCompression);
    if (!ok) {
        return std::string(ssh_get_error(session));
    }
    return std::nullopt;
}

}  // namespace remote::ssh
