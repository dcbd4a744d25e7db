#include <gtest/gtest.h>
#include <libssh/libssh.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "known_hosts/host_key_identity.hpp"
#include "test_support.hpp"

namespace {

namespace fs = std::filesystem;
using known_hosts_test::TempDir;
using remote::host_key_identity;
using remote::RsaSignatureHash;

struct KeyDeleter {
    void operator()(ssh_key key) const { ssh_key_free(key); }
};
using KeyPtr = std::unique_ptr<ssh_key_struct, KeyDeleter>;

// Runs a shell command and returns its standard output, or nothing when it did not exit with 0.
std::optional<std::string> run(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    return ::pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

// The fingerprint field of `ssh-keygen -l` ("256 SHA256:... comment (ED25519)").
std::string keygen_fingerprint(const fs::path& public_key) {
    const auto out = run("ssh-keygen -l -E sha256 -f '" + public_key.string() + "'");
    EXPECT_TRUE(out.has_value()) << "ssh-keygen -l failed for " << public_key;
    if (!out) {
        return {};
    }
    const auto start = out->find(' ');
    const auto end = out->find(' ', start + 1);
    return out->substr(start + 1, end - start - 1);
}

KeyPtr import_public_key(const fs::path& public_key) {
    ssh_key key = nullptr;
    EXPECT_EQ(ssh_pki_import_pubkey_file(public_key.c_str(), &key), SSH_OK) << public_key;
    return KeyPtr(key);
}

struct GeneratedKeyCase {
    const char* type;
    const char* bits;
    const char* algorithm;
};

TEST(HostKeyIdentity, FingerprintMatchesSshKeygen) {
    const GeneratedKeyCase cases[] = {
        {"ed25519", "", "ssh-ed25519"},
        {"ecdsa", "256", "ecdsa-sha2-nistp256"},
        {"ecdsa", "384", "ecdsa-sha2-nistp384"},
        {"ecdsa", "521", "ecdsa-sha2-nistp521"},
        {"rsa", "2048", "ssh-rsa"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const fs::path key_file = dir.path() / (std::string(c.type) + c.bits);
        const std::string bits = *c.bits ? std::string(" -b ") + c.bits : "";
        ASSERT_TRUE(run("ssh-keygen -q -t " + std::string(c.type) + bits + " -N '' -C test -f '" +
                        key_file.string() + "' < /dev/null"))
            << "ssh-keygen could not generate a " << c.type << " key";
        const fs::path public_key = key_file.string() + ".pub";

        const KeyPtr key = import_public_key(public_key);
        ASSERT_NE(key, nullptr) << c.type;
        const auto identity = host_key_identity(key.get());

        ASSERT_TRUE(identity.ok()) << c.type << ": " << identity.error();
        EXPECT_EQ(identity.value().algorithm, c.algorithm);
        EXPECT_EQ(identity.value().fingerprint, keygen_fingerprint(public_key)) << c.algorithm;
        EXPECT_EQ(identity.value().fingerprint.size(), 50U) << c.algorithm;
    }
}

// Big-endian length-prefixed string, the SSH wire encoding.
std::string ssh_string(const std::string& bytes) {
    const auto n = static_cast<std::uint32_t>(bytes.size());
    std::string out{static_cast<char>(n >> 24U), static_cast<char>(n >> 16U),
                    static_cast<char>(n >> 8U), static_cast<char>(n)};
    return out + bytes;
}

std::string base64(const std::string& bytes) {
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t n = static_cast<unsigned char>(bytes[i]) << 16U;
        if (i + 1 < bytes.size()) {
            n |= static_cast<unsigned char>(bytes[i + 1]) << 8U;
        }
        if (i + 2 < bytes.size()) {
            n |= static_cast<unsigned char>(bytes[i + 2]);
        }
        out += alphabet[(n >> 18U) & 63U];
        out += alphabet[(n >> 12U) & 63U];
        out += i + 1 < bytes.size() ? alphabet[(n >> 6U) & 63U] : '=';
        out += i + 2 < bytes.size() ? alphabet[n & 63U] : '=';
    }
    return out;
}

std::string unbase64(const std::string& text) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::uint32_t acc = 0;
    int bits = 0;
    for (char ch : text) {
        const auto pos = alphabet.find(ch);
        if (pos == std::string::npos) {
            break;
        }
        acc = (acc << 6U) | static_cast<std::uint32_t>(pos);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((acc >> static_cast<unsigned>(bits)) & 0xFFU);
        }
    }
    return out;
}

// The point of a generated P-256 key: its blob is string type, string curve, string point.
std::string p256_point(const fs::path& public_key) {
    const std::string line = known_hosts_test::read_file(public_key);
    const auto start = line.find(' ') + 1;
    const std::string blob = unbase64(line.substr(start, line.find(' ', start) - start));
    std::size_t offset = 0;
    std::string field;
    for (int i = 0; i < 3; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(blob.data() + offset);
        const std::size_t n = (std::size_t{p[0]} << 24U) | (std::size_t{p[1]} << 16U) |
                              (std::size_t{p[2]} << 8U) | p[3];
        field = blob.substr(offset + 4, n);
        offset += 4 + n;
    }
    return field;
}

// Security-key public keys can be written without the hardware: ssh-keygen and the SSH library
// read them like any other public key.
TEST(HostKeyIdentity, SecurityKeyTypesUseTheirOpenSshNames) {
    TempDir dir;
    const fs::path ecdsa = dir.path() / "p256";
    ASSERT_TRUE(run("ssh-keygen -q -t ecdsa -b 256 -N '' -f '" + ecdsa.string() + "' < /dev/null"))
        << "ssh-keygen could not generate a P-256 key";
    const std::string point = p256_point(ecdsa.string() + ".pub");
    ASSERT_EQ(point.size(), 65U);

    struct Case {
        std::string algorithm;
        std::string blob;
    };
    const Case cases[] = {
        {"sk-ssh-ed25519@openssh.com", ssh_string("sk-ssh-ed25519@openssh.com") +
                                           ssh_string(std::string(32, '\x42')) +
                                           ssh_string("ssh:")},
        {"sk-ecdsa-sha2-nistp256@openssh.com", ssh_string("sk-ecdsa-sha2-nistp256@openssh.com") +
                                                   ssh_string("nistp256") + ssh_string(point) +
                                                   ssh_string("ssh:")},
    };
    for (const auto& c : cases) {
        const fs::path public_key = dir.path() / (c.algorithm + ".pub");
        known_hosts_test::write_file(public_key, c.algorithm + " " + base64(c.blob) + " sk\n",
                                     fs::perms(0600));
        const KeyPtr key = import_public_key(public_key);
        ASSERT_NE(key, nullptr) << c.algorithm;
        const auto identity = host_key_identity(key.get());
        ASSERT_TRUE(identity.ok()) << c.algorithm << ": " << identity.error();
        EXPECT_EQ(identity.value().algorithm, c.algorithm);
        EXPECT_EQ(identity.value().fingerprint, keygen_fingerprint(public_key)) << c.algorithm;
    }
}

TEST(HostKeyIdentity, RsaNameFollowsTheSignatureHashButNotTheFingerprint) {
    TempDir dir;
    const fs::path key_file = dir.path() / "rsa";
    ASSERT_TRUE(
        run("ssh-keygen -q -t rsa -b 2048 -N '' -f '" + key_file.string() + "' < /dev/null"))
        << "ssh-keygen could not generate an RSA key";
    const KeyPtr key = import_public_key(key_file.string() + ".pub");
    ASSERT_NE(key, nullptr);
    const std::string fingerprint = keygen_fingerprint(key_file.string() + ".pub");

    const std::pair<RsaSignatureHash, const char*> cases[] = {
        {RsaSignatureHash::None, "ssh-rsa"},
        {RsaSignatureHash::Sha256, "rsa-sha2-256"},
        {RsaSignatureHash::Sha512, "rsa-sha2-512"},
    };
    for (const auto& [hash, algorithm] : cases) {
        const auto identity = host_key_identity(key.get(), hash);
        ASSERT_TRUE(identity.ok()) << algorithm;
        EXPECT_EQ(identity.value().algorithm, algorithm);
        EXPECT_EQ(identity.value().fingerprint, fingerprint) << algorithm;
    }
}

TEST(HostKeyIdentity, MissingKeyIsAnError) {
    const auto identity = host_key_identity(nullptr);
    ASSERT_FALSE(identity.ok());
    EXPECT_EQ(identity.error(), "no SSH host key was presented");
}

TEST(Sha256Fingerprint, IsUnpaddedBase64) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "SHA256:"},
        {"f", "SHA256:Zg"},
        {"fo", "SHA256:Zm8"},
        {"foo", "SHA256:Zm9v"},
        {"foob", "SHA256:Zm9vYg"},
        {"fooba", "SHA256:Zm9vYmE"},
        {"foobar", "SHA256:Zm9vYmFy"},
        {"\xff\xfe\xfd\xfc", "SHA256://79/A"},
    };
    for (const auto& [bytes, expected] : cases) {
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        EXPECT_EQ(remote::sha256_fingerprint({data, bytes.size()}), expected);
    }
}

}  // namespace
