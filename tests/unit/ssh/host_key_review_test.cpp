// The host-key verdict against a trust file, and the texts a blocked connection fails with.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "known_hosts/host_key_store.hpp"
#include "ssh/client_settings.hpp"
#include "ssh/host_key_review.hpp"
#include "support/temp_dir.hpp"

namespace remote::ssh {
namespace {

const HostKeyIdentity kPinned{"ssh-ed25519", "SHA256:pinned"};
const HostKeyIdentity kOther{"ecdsa-sha2-nistp256", "SHA256:other"};

class TrustDir : public ::testing::Test {
  protected:
    test_support::TempDir temp{"remote-ssh-review"};
    const std::filesystem::path dir = temp.path();
    const std::filesystem::path file = dir / "known-hosts.json";
};

TEST_F(TrustDir, VerdictByTarget) {
    ASSERT_TRUE(trust_host_key(file, "host", 22, kPinned).ok());
    struct Case {
        const char* host;
        std::uint16_t port;
        HostKeyIdentity observed;
        std::optional<HostKeyReview> expected;
    };
    const std::vector<Case> cases = {
        {"host", 22, kPinned, std::nullopt},
        {"host", 22, kOther, HostKeyReview{HostKeyReview::Changed{kPinned, kOther}}},
        {"host", 2222, kPinned, HostKeyReview{HostKeyReview::Unknown{kPinned}}},
        {"HOST", 22, kPinned, HostKeyReview{HostKeyReview::Unknown{kPinned}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(review_host_key(file, c.host, c.port, c.observed), c.expected)
            << c.host << ":" << c.port;
    }
    // The check never writes the store.
    const auto after = load_known_hosts(file);
    ASSERT_TRUE(after.ok());
    EXPECT_EQ(after.value().entries.size(), 1U);
}

TEST_F(TrustDir, UnreadableStoreIsReviewedAsUnavailable) {
    std::ofstream(file) << "not json";
    ::chmod(file.c_str(), 0600);
    const auto review = review_host_key(file, "host", 22, kPinned);
    ASSERT_TRUE(review.has_value());
    ASSERT_TRUE(std::holds_alternative<HostKeyReview::StoreUnavailable>(review->value));
    EXPECT_FALSE(std::get<HostKeyReview::StoreUnavailable>(review->value).text.empty());
}

TEST(HostKeyMessageTest, TextsPerVerdict) {
    struct Case {
        HostKeyReview review;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{HostKeyReview::Unknown{kOther}},
         "SSH host key for example.org:2222 needs explicit trust: ecdsa-sha2-nistp256 "
         "SHA256:other"},
        {{HostKeyReview::Changed{kPinned, kOther}},
         "SSH host key changed for example.org:2222. Expected ssh-ed25519 SHA256:pinned; "
         "received ecdsa-sha2-nistp256 SHA256:other. Connection blocked."},
        {{HostKeyReview::StoreUnavailable{"permission denied"}},
         "SSH host-key store is unavailable: permission denied"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(host_key_message(c.review, "example.org", 2222), c.expected);
    }
}

TEST(ClientSettingsTest, LibsshAcceptsEveryList) {
    ssh_session session = ssh_new();
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(apply_client_settings(session, "example.org", 2222, "alice"), std::nullopt);
    char* host = nullptr;
    ASSERT_EQ(ssh_options_get(session, SSH_OPTIONS_HOST, &host), SSH_OK);
    EXPECT_STREQ(host, "example.org");
    ssh_string_free_char(host);
    unsigned int port = 0;
    ASSERT_EQ(ssh_options_get_port(session, &port), SSH_OK);
    EXPECT_EQ(port, 2222U);
    char* known = nullptr;
    ASSERT_EQ(ssh_options_get(session, SSH_OPTIONS_KNOWNHOSTS, &known), SSH_OK);
    EXPECT_STREQ(known, "/dev/null");
    ssh_string_free_char(known);
    ssh_free(session);
}

}  // namespace
}  // namespace remote::ssh
