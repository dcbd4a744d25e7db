#include "known_hosts/host_key_identity.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace remote {
namespace {

std::string base64_unpadded(std::span<const unsigned char> bytes) {
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() * 4 + 2) / 3);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t n =
            (std::uint32_t{bytes[i]} << 16U) | (std::uint32_t{bytes[i + 1]} << 8U) | bytes[i + 2];
        out.push_back(alphabet[(n >> 18U) & 63U]);
        out.push_back(alphabet[(n >> 12U) & 63U]);
        out.push_back(alphabet[(n >> 6U) & 63U]);
        out.push_back(alphabet[n & 63U]);
    }
    const std::size_t rest = bytes.size() - i;
    if (rest == 1) {
        const std::uint32_t n = std::uint32_t{bytes[i]} << 16U;
        out.push_back(alphabet[(n >> 18U) & 63U]);
        out.push_back(alphabet[(n >> 12U) & 63U]);
    } else if (rest == 2) {
        const std::uint32_t n =
            (std::uint32_t{bytes[i]} << 16U) | (std::uint32_t{bytes[i + 1]} << 8U);
        out.push_back(alphabet[(n >> 18U) & 63U]);
        out.push_back(alphabet[(n >> 12U) & 63U]);
        out.push_back(alphabet[(n >> 6U) & 63U]);
    }
    return out;
}

std::optional<std::string> algorithm_name(ssh_key key, RsaSignatureHash rsa_hash) {
    switch (ssh_key_type(key)) {
        case SSH_KEYTYPE_DSS:
            return "ssh-dss";
        case SSH_KEYTYPE_ECDSA_P256:
            return "ecdsa-sha2-nistp256";
        case SSH_KEYTYPE_ECDSA_P384:
            return "ecdsa-sha2-nistp384";
        case SSH_KEYTYPE_ECDSA_P521:
            return "ecdsa-sha2-nistp521";
        case SSH_KEYTYPE_ED25519:
            return "ssh-ed25519";
        case SSH_KEYTYPE_RSA:
            switch (rsa_hash) {
                case RsaSignatureHash::Sha256:
                    return "rsa-sha2-256";
                case RsaSignatureHash::Sha512:
                    return "rsa-sha2-512";
                case RsaSignatureHash::None:
                    break;
            }
            return "ssh-rsa";
        case SSH_KEYTYPE_SK_ECDSA:
            return "sk-ecdsa-sha2-nistp256@openssh.com";
        case SSH_KEYTYPE_SK_ED25519:
            return "sk-ssh-ed25519@openssh.com";
        default:
            break;
    }
    const char* own = ssh_key_type_to_char(ssh_key_type(key));
    if (own == nullptr) {
        return std::nullopt;
    }
    return std::string(own);
}

struct HashDeleter {
    void operator()(unsigned char* hash) const { ssh_clean_pubkey_hash(&hash); }
};

}  // namespace

std::string sha256_fingerprint(std::span<const unsigned char> digest) {
    return "SHA256:" + base64_unpadded(digest);
}

StoreResult<HostKeyIdentity> host_key_identity(const ssh_key key, RsaSignatureHash rsa_hash) {
    if (key == nullptr) {
        return StoreError{"no SSH host key was presented"};
    }
    auto algorithm = algorithm_name(key, rsa_hash);
    if (!algorithm) {
        return StoreError{"the SSH host key has an unknown algorithm"};
    }
    unsigned char* raw = nullptr;
    std::size_t length = 0;
    if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &raw, &length) != SSH_OK ||
        raw == nullptr) {
        return StoreError{"could not compute the SSH host-key fingerprint"};
    }
    const std::unique_ptr<unsigned char, HashDeleter> digest(raw);
    return HostKeyIdentity{std::move(*algorithm), sha256_fingerprint({digest.get(), length})};
}

}  // namespace remote
