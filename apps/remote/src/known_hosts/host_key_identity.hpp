#pragma once
// The identity of an SSH server host key: its algorithm name and its SHA-256 fingerprint.

#include <libssh/libssh.h>

#include <span>
#include <string>

#include "known_hosts/store_result.hpp"

namespace remote {

struct HostKeyIdentity {
    std::string algorithm;
    std::string fingerprint;

    // Byte-for-byte equality of both texts.
    bool operator==(const HostKeyIdentity&) const = default;
};

// The signature hash negotiated for an RSA host key. An RSA key blob is the same whichever hash
// signs with it, so the caller that knows the negotiated host-key algorithm passes it here.
enum class RsaSignatureHash { None, Sha256, Sha512 };

// "SHA256:" and the unpadded Base64 of a SHA-256 digest, the form OpenSSH prints.
std::string sha256_fingerprint(std::span<const unsigned char> digest);

// The identity of a server public key. Fails only when the key is missing or the SSH library
// cannot encode it.
StoreResult<HostKeyIdentity> host_key_identity(const ssh_key key,
                                               RsaSignatureHash rsa_hash = RsaSignatureHash::None);

}  // namespace remote
