#include <gtest/gtest.h>

#include <string>

#include "known_hosts/known_hosts_json.hpp"

namespace {

using remote::HostKeyIdentity;
using remote::KnownHosts;
using remote::parse_known_hosts;
using remote::serialize_known_hosts;

const HostKeyIdentity ed_key{"ssh-ed25519", "SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"};
const HostKeyIdentity rsa_key{"rsa-sha2-512", "SHA256:BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB"};

TEST(KnownHostsJson, SerializesPrettyWithFixedMemberOrder) {
    const std::pair<KnownHosts, std::string> cases[] = {
        {{}, "{\n  \"entries\": []\n}"},
        {{{{"example.org", 22, ed_key}, {"10.0.0.7", 2222, rsa_key}}},
         R"({
  "entries": [
    {
      "host": "example.org",
      "port": 22,
      "identity": {
        "algorithm": "ssh-ed25519",
        "fingerprint": "SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
      }
    },
    {
      "host": "10.0.0.7",
      "port": 2222,
      "identity": {
        "algorithm": "rsa-sha2-512",
        "fingerprint": "SHA256:BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB"
      }
    }
  ]
})"},
        {{{{"h\xc3\xb6st \"q\"", 65535, ed_key}}},
         "{\n  \"entries\": [\n    {\n      \"host\": \"h\xc3\xb6st \\\"q\\\"\",\n"
         "      \"port\": 65535,\n      \"identity\": {\n        \"algorithm\": \"ssh-ed25519\",\n"
         "        \"fingerprint\": \"SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\"\n"
         "      }\n    }\n  ]\n}"},
    };
    for (const auto& [hosts, expected] : cases) {
        const auto text = serialize_known_hosts(hosts);
        ASSERT_TRUE(text.ok()) << text.error();
        EXPECT_EQ(text.value(), expected);
        const auto back = parse_known_hosts(text.value());
        ASSERT_TRUE(back.ok()) << back.error();
        EXPECT_EQ(back.value(), hosts);
    }
}

TEST(KnownHostsJson, SerializingTextThatIsNotUtf8FailsInsteadOfWritingGarbage) {
    const auto text = serialize_known_hosts({{{"bad\xff", 22, ed_key}}});
    ASSERT_FALSE(text.ok());
    EXPECT_NE(text.error().find("UTF-8"), std::string::npos) << text.error();
}

TEST(KnownHostsJson, ReadingIgnoresUnknownMembersAndMemberOrder) {
    const auto hosts = parse_known_hosts(R"({"version": 3, "entries": [
        {"identity": {"fingerprint": "SHA256:x", "algorithm": "ssh-ed25519", "note": 1},
         "port": 0, "comment": "kept out", "host": "a"},
        {"host": "B", "port": 65535, "identity": {"algorithm": "ssh-rsa", "fingerprint": ""}}]})");
    ASSERT_TRUE(hosts.ok()) << hosts.error();
    const KnownHosts expected{
        {{"a", 0, {"ssh-ed25519", "SHA256:x"}}, {"B", 65535, {"ssh-rsa", ""}}}};
    EXPECT_EQ(hosts.value(), expected);
}

struct RejectCase {
    const char* name;
    std::string text;
    const char* error_part;
};

TEST(KnownHostsJson, ReadingRefusesMalformedStores) {
    const std::string identity = R"("identity": {"algorithm": "a", "fingerprint": "f"})";
    const RejectCase cases[] = {
        {"empty file", "", "parse error"},
        {"only white space", " \n ", "parse error"},
        {"not JSON", "entries: []", "parse error"},
        {"truncated", R"({"entries": [{"host": "a")", "parse error"},
        {"invalid UTF-8", "{\"entries\": [{\"host\": \"\xff\"}]}", "parse error"},
        {"empty object", "{}", "entries is missing"},
        {"array at top", "[]", "does not hold a JSON object"},
        {"null", "null", "does not hold a JSON object"},
        {"entries not an array", R"({"entries": {}})", "entries is not an array"},
        {"entry not an object", R"({"entries": [1]})", "entries[0] is not an object"},
        {"host missing", R"({"entries": [{"port": 22, )" + identity + "}]}",
         "entries[0].host is missing"},
        {"host not a string", R"({"entries": [{"host": 1, "port": 22, )" + identity + "}]}",
         "entries[0].host is not a string"},
        {"port missing", R"({"entries": [{"host": "a", )" + identity + "}]}",
         "entries[0].port is missing"},
        {"port negative", R"({"entries": [{"host": "a", "port": -1, )" + identity + "}]}",
         "entries[0].port is not a port number"},
        {"port too large", R"({"entries": [{"host": "a", "port": 65536, )" + identity + "}]}",
         "entries[0].port is not a port number"},
        {"port fractional", R"({"entries": [{"host": "a", "port": 22.5, )" + identity + "}]}",
         "entries[0].port is not a port number"},
        {"port as text", R"({"entries": [{"host": "a", "port": "22", )" + identity + "}]}",
         "entries[0].port is not a port number"},
        {"identity missing", R"({"entries": [{"host": "a", "port": 22}]})",
         "entries[0].identity is missing"},
        {"identity not an object", R"({"entries": [{"host": "a", "port": 22, "identity": "x"}]})",
         "entries[0].identity is not an object"},
        {"algorithm missing",
         R"({"entries": [{"host": "a", "port": 22, "identity": {"fingerprint": "f"}}]})",
         "entries[0].identity.algorithm is missing"},
        {"fingerprint not a string",
         R"({"entries": [{"host": "a", "port": 22, "identity": {"algorithm": "a", "fingerprint": 5}}]})",
         "entries[0].identity.fingerprint is not a string"},
        {"second entry broken",
         R"({"entries": [{"host": "a", "port": 22, )" + identity + R"(}, {"host": "b"}]})",
         "entries[1].port is missing"},
    };
    for (const auto& c : cases) {
        const auto hosts = parse_known_hosts(c.text);
        ASSERT_FALSE(hosts.ok()) << c.name;
        EXPECT_NE(hosts.error().find(c.error_part), std::string::npos)
            << c.name << ": " << hosts.error();
        EXPECT_EQ(hosts.error().find('\n'), std::string::npos) << c.name;
    }
}

}  // namespace
