// Authentication material and the login name, resolved from a given environment.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "ssh/ssh_auth.hpp"
#include "support/temp_dir.hpp"

namespace remote::ssh {
namespace {

using Env = std::map<std::string, std::string>;

class FakeEnv {
  public:
    explicit FakeEnv(std::map<std::string, std::string> values) : values_(std::move(values)) {}
    EnvLookup lookup() const {
        return [this](const char* name) -> std::optional<std::string> {
            const auto it = values_.find(name);
            if (it == values_.end()) {
                return std::nullopt;
            }
            return it->second;
        };
    }

  private:
    std::map<std::string, std::string> values_;
};

struct HomeDir {
    HomeDir() { std::filesystem::create_directory(path / ".ssh"); }
    void add_key(const char* name) const { std::ofstream(path / ".ssh" / name) << "key"; }

    test_support::TempDir temp{"remote-ssh-home"};
    const std::filesystem::path path = temp.path();
};

struct KeyCase {
    const char* name;
    std::vector<const char*> files;  // present under ~/.ssh
    bool key_variable = false;       // REMOTE_SSH_KEY set to a path that does not exist
    const char* expected_file;       // name under ~/.ssh, the variable's path, or null
};

class KeyResolutionTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyResolutionTest, PicksTheKeyPath) {
    const KeyCase& c = GetParam();
    HomeDir home;
    for (const char* file : c.files) {
        home.add_key(file);
    }
    std::map<std::string, std::string> env{{"HOME", home.path.string()},
                                           {"REMOTE_SSH_KEY_PASSPHRASE", "pass phrase"}};
    const std::string missing = (home.path / "nowhere" / "key").string();
    if (c.key_variable) {
        env["REMOTE_SSH_KEY"] = missing;
    }
    const FakeEnv fake(env);
    const auto resolved = resolve_ssh_auth(AuthMethod::PublicKey, fake.lookup());
    if (c.expected_file == nullptr) {
        ASSERT_TRUE(std::holds_alternative<std::string>(resolved));
        EXPECT_EQ(std::get<std::string>(resolved),
                  "no SSH key: set REMOTE_SSH_KEY or add ~/.ssh/id_ed25519");
        return;
    }
    ASSERT_TRUE(std::holds_alternative<SshAuth>(resolved));
    const auto& key = std::get<SshPublicKey>(std::get<SshAuth>(resolved));
    const std::filesystem::path expected =
        c.key_variable ? std::filesystem::path(missing) : home.path / ".ssh" / c.expected_file;
    EXPECT_EQ(key.key_path, expected);
    EXPECT_EQ(key.passphrase, "pass phrase");
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyResolutionTest,
    ::testing::Values(KeyCase{"ed25519_first", {"id_ed25519", "id_ecdsa"}, false, "id_ed25519"},
                      KeyCase{"only_ecdsa", {"id_ecdsa"}, false, "id_ecdsa"},
                      KeyCase{"none", {}, false, nullptr},
                      KeyCase{"other_names_ignored", {"id_rsa", "id_dsa"}, false, nullptr},
                      KeyCase{"variable_wins_even_when_missing", {"id_ed25519"}, true, "variable"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(SshAuthTest, PasswordComesOnlyFromTheEnvironment) {
    const FakeEnv with(Env{{"REMOTE_SSH_PASSWORD", "hunter 2"}});
    const auto resolved = resolve_ssh_auth(AuthMethod::Password, with.lookup());
    ASSERT_TRUE(std::holds_alternative<SshAuth>(resolved));
    EXPECT_EQ(std::get<SshAuth>(resolved), SshAuth{SshPassword{"hunter 2"}});

    const FakeEnv without(Env{{"REMOTE_SSH_KEY", "/k"}});
    const auto refused = resolve_ssh_auth(AuthMethod::Password, without.lookup());
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_EQ(std::get<std::string>(refused), "no SSH password: set REMOTE_SSH_PASSWORD");
}

TEST(SshAuthTest, WithoutHomeTheCandidatesAreRelativeAndThePassphraseIsOptional) {
    const FakeEnv empty(Env{});
    const auto resolved = resolve_ssh_auth(AuthMethod::PublicKey, empty.lookup());
    // No ".ssh" folder in the test's working directory: the first candidate is named.
    if (!std::filesystem::exists(".ssh/id_ed25519") && !std::filesystem::exists(".ssh/id_ecdsa")) {
        ASSERT_TRUE(std::holds_alternative<std::string>(resolved));
        EXPECT_EQ(std::get<std::string>(resolved),
                  "no SSH key: set REMOTE_SSH_KEY or add ~/.ssh/id_ed25519");
    }
    const FakeEnv key_only(Env{{"REMOTE_SSH_KEY", "relative/key"}});
    const auto key = resolve_ssh_auth(AuthMethod::PublicKey, key_only.lookup());
    ASSERT_TRUE(std::holds_alternative<SshAuth>(key));
    const SshAuth expected{SshPublicKey{"relative/key", std::nullopt}};
    EXPECT_EQ(std::get<SshAuth>(key), expected);
}

TEST(SshAuthTest, ProcessEnvironmentTreatsNonUtf8AsUnset) {
    ::setenv("REMOTE_SSH_TEST_VALUE", "\xff\xfe", 1);
    EXPECT_EQ(process_env("REMOTE_SSH_TEST_VALUE"), std::nullopt);
    ::setenv("REMOTE_SSH_TEST_VALUE", "", 1);
    EXPECT_EQ(process_env("REMOTE_SSH_TEST_VALUE"), "");
    ::unsetenv("REMOTE_SSH_TEST_VALUE");
    EXPECT_EQ(process_env("REMOTE_SSH_TEST_VALUE"), std::nullopt);
}

TEST(SshAuthTest, LoginNameFallsBackToUserThenRoot) {
    struct Case {
        std::string profile_user;
        std::map<std::string, std::string> env;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"alice", {{"USER", "bob"}}, "alice"},
        {"", {{"USER", "bob"}}, "bob"},
        {"", {}, "root"},
    };
    for (const auto& c : cases) {
        const FakeEnv env(c.env);
        EXPECT_EQ(launch_user(c.profile_user, env.lookup()), c.expected) << c.profile_user;
    }
}

}  // namespace
}  // namespace remote::ssh
