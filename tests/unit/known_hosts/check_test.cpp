#include <gtest/gtest.h>

#include <string>

#include "known_hosts/known_hosts.hpp"

namespace {

using remote::check_host_key;
using remote::HostKeyIdentity;
using remote::HostKeyVerdict;
using remote::KnownHostEntry;
using remote::KnownHosts;

const HostKeyIdentity first_key{"ssh-ed25519",
                                "SHA256:firstfirstfirstfirstfirstfirstfirstfirstfir"};
const HostKeyIdentity second_key{"ssh-ed25519", "SHA256:secondsecondsecondsecondsecondsecondsecon"};
const HostKeyIdentity first_key_other_algorithm{"ecdsa-sha2-nistp256", first_key.fingerprint};

struct CheckCase {
    const char* name;
    KnownHosts hosts;
    std::string host;
    std::uint16_t port;
    HostKeyIdentity observed;
    HostKeyVerdict expected;
};

TEST(CheckHostKey, ComparesOnlyTheFirstPinOfTheExactTarget) {
    const KnownHosts one{{{"example.org", 22, first_key}}};
    const KnownHosts duplicate{{{"example.org", 22, first_key}, {"example.org", 22, second_key}}};
    const CheckCase cases[] = {
        {"empty store", {}, "example.org", 22, first_key, {HostKeyVerdict::Unknown{first_key}}},
        {"same key", one, "example.org", 22, first_key, {HostKeyVerdict::Trusted{}}},
        {"other key",
         one,
         "example.org",
         22,
         second_key,
         {HostKeyVerdict::Changed{first_key, second_key}}},
        {"same fingerprint, other algorithm",
         one,
         "example.org",
         22,
         first_key_other_algorithm,
         {HostKeyVerdict::Changed{first_key, first_key_other_algorithm}}},
        {"other port", one, "example.org", 2222, first_key, {HostKeyVerdict::Unknown{first_key}}},
        {"other port, other key",
         one,
         "example.org",
         2222,
         second_key,
         {HostKeyVerdict::Unknown{second_key}}},
        {"letter case differs",
         one,
         "Example.org",
         22,
         first_key,
         {HostKeyVerdict::Unknown{first_key}}},
        {"trailing dot differs",
         one,
         "example.org.",
         22,
         first_key,
         {HostKeyVerdict::Unknown{first_key}}},
        {"first of two pins wins",
         duplicate,
         "example.org",
         22,
         first_key,
         {HostKeyVerdict::Trusted{}}},
        {"second pin never consulted",
         duplicate,
         "example.org",
         22,
         second_key,
         {HostKeyVerdict::Changed{first_key, second_key}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(check_host_key(c.hosts, c.host, c.port, c.observed), c.expected) << c.name;
    }
}

}  // namespace
