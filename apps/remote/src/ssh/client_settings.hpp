#pragma once
// The fixed client settings and algorithm preferences given to libssh for every connection.

#include <libssh/libssh.h>

#include <cstdint>
#include <optional>
#include <string>

namespace remote::ssh {

inline constexpr std::uint64_t kRekeyBytes = std::uint64_t{1} << 30U;
inline constexpr std::uint32_t kRekeySeconds = 3600;
inline constexpr int kInactivitySeconds = 3600;

// Preference lists in our order. libssh keeps the names it implements and drops the rest; it
// adds its own strict-kex and extension-negotiation markers.
inline constexpr const char* kKeyExchange =
    "mlkem768x25519-sha256,curve25519-sha256,curve25519-sha256@libssh.org,"
    "diffie-hellman-group-exchange-sha256,diffie-hellman-group18-sha512,"
    "diffie-hellman-group17-sha512,diffie-hellman-group16-sha512,"
    "diffie-hellman-group15-sha512,diffie-hellman-group14-sha256";
inline constexpr const char* kHostKeys =
    "ssh-ed25519,ecdsa-sha2-nistp256,ecdsa-sha2-nistp384,ecdsa-sha2-nistp521,rsa-sha2-512,"
    "rsa-sha2-256,ssh-rsa";
inline constexpr const char* kCiphers =
    "chacha20-poly1305@openssh.com,aes256-gcm@openssh.com,aes256-ctr,aes192-ctr,aes128-ctr";
inline constexpr const char* kMacs =
    "hmac-sha2-512-etm@openssh.com,hmac-sha2-256-etm@openssh.com,hmac-sha2-512,hmac-sha2-256";
inline constexpr const char* kCompression = "none,zlib,zlib@openssh.com";

// Host, port and user of the target plus every fixed setting. libssh's own configuration files
// and known-hosts files are kept out, so only our trust store decides about host keys. The
// error is libssh's text for the first setting it refused.
std::optional<std::string> apply_client_settings(ssh_session session, const std::string& host,
                                                 std::uint16_t port, const std::string& user);

}  // namespace remote::ssh
