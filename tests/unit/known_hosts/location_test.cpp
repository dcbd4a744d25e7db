#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "known_hosts/host_key_store.hpp"
#include "known_hosts/store_location.hpp"
#include "test_support.hpp"

namespace {

namespace fs = std::filesystem;
using known_hosts_test::EnvOverride;
using known_hosts_test::mode_of;
using known_hosts_test::TempDir;
using known_hosts_test::write_file;
using remote::known_hosts_path;

const std::string no_parent = "SSH host-key store has no private parent directory";
const std::string parent_not_directory = "SSH host-key store parent must be a real directory";
const std::string parent_shared =
    "SSH host-key store parent must not be accessible to group or other users";
const std::string file_not_regular = "SSH host-key store must be a regular file";
const std::string file_shared = "SSH host-key store must not be accessible to group or other users";

fs::path private_folder(const fs::path& base) {
    fs::create_directory(base / "store");
    fs::permissions(base / "store", fs::perms(0700));
    return base / "store";
}

struct OverrideCase {
    const char* name;
    // Prepares files under the temporary folder and returns the override's value.
    std::function<std::string(const fs::path&)> arrange;
    std::optional<std::string> error;  // none: the override is accepted as given
};

TEST(KnownHostsPath, ValidatesTheOverride) {
    const OverrideCase cases[] = {
        {"bare file name", [](const fs::path&) { return "known-hosts.json"; }, no_parent},
        {"empty text", [](const fs::path&) { return ""; }, no_parent},
        {"directly in the system temporary folder",
         [](const fs::path&) {
             EXPECT_NE(mode_of("/tmp") & 0002U, 0U) << "/tmp is expected to be world-writable";
             return "/tmp/remote-known-hosts-test.json";
         },
         parent_shared},
        {"absent file in a private folder",
         [](const fs::path& d) { return (private_folder(d) / "known-hosts.json").string(); },
         std::nullopt},
        {"private file",
         [](const fs::path& d) {
             const auto file = private_folder(d) / "known-hosts.json";
             write_file(file, "{}", fs::perms(0600));
             return file.string();
         },
         std::nullopt},
        {"file 0644",
         [](const fs::path& d) {
             const auto file = private_folder(d) / "known-hosts.json";
             write_file(file, "{}", fs::perms(0644));
             return file.string();
         },
         file_shared},
        {"file 0604 (other read only)",
         [](const fs::path& d) {
             const auto file = private_folder(d) / "known-hosts.json";
             write_file(file, "{}", fs::perms(0604));
             return file.string();
         },
         file_shared},
        {"folder 0755",
         [](const fs::path& d) {
             const auto dir = private_folder(d);
             fs::permissions(dir, fs::perms(0755));
             return (dir / "known-hosts.json").string();
         },
         parent_shared},
        {"folder 0710 (group search only)",
         [](const fs::path& d) {
             const auto dir = private_folder(d);
             fs::permissions(dir, fs::perms(0710));
             return (dir / "known-hosts.json").string();
         },
         parent_shared},
        {"file is a symbolic link",
         [](const fs::path& d) {
             const auto dir = private_folder(d);
             write_file(dir / "real.json", "{}", fs::perms(0600));
             fs::create_symlink(dir / "real.json", dir / "known-hosts.json");
             return (dir / "known-hosts.json").string();
         },
         file_not_regular},
        {"folder is a symbolic link",
         [](const fs::path& d) {
             const auto dir = private_folder(d);
             fs::create_directory_symlink(dir, d / "link");
             return (d / "link" / "known-hosts.json").string();
         },
         parent_not_directory},
        {"file is a folder",
         [](const fs::path& d) {
             const auto dir = private_folder(d);
             fs::create_directory(dir / "known-hosts.json");
             fs::permissions(dir / "known-hosts.json", fs::perms(0700));
             return (dir / "known-hosts.json").string();
         },
         file_not_regular},
        {"parent is a file",
         [](const fs::path& d) {
             write_file(d / "plain", "", fs::perms(0600));
             return (d / "plain" / "known-hosts.json").string();
         },
         parent_not_directory},
        {"folder missing",
         [](const fs::path& d) { return (d / "missing" / "known-hosts.json").string(); },
         "No such file or directory"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        EnvOverride env;
        const std::string value = c.arrange(dir.path());
        env.set(remote::known_hosts_override_variable, value);

        const auto path = known_hosts_path();

        if (c.error) {
            ASSERT_FALSE(path.ok()) << c.name;
            EXPECT_EQ(path.error(), *c.error) << c.name;
        } else {
            ASSERT_TRUE(path.ok()) << c.name << ": " << path.error();
            EXPECT_EQ(path.value(), fs::path(value)) << c.name;
        }
        EXPECT_FALSE(fs::exists("/tmp/remote-known-hosts-test.json"));
    }
}

struct DefaultCase {
    const char* name;
    std::optional<std::string> xdg_state_home;  // relative to the temporary folder
    std::optional<std::string> home;            // relative to the temporary folder
    // Prepares files under the temporary folder before the call.
    std::function<void(const fs::path&)> arrange;
    std::optional<std::string> store_dir;  // expected folder, relative; none: an error
    std::string error;
};

TEST(KnownHostsPath, DefaultsToAPrivateFolderInTheStateDirectory) {
    const auto nothing = [](const fs::path&) {};
    const DefaultCase cases[] = {
        {"state home absent", "state", "home", nothing, "state/orvo/remote", ""},
        {"home fallback", std::nullopt, "home", nothing, "home/.local/state/orvo/remote", ""},
        {"existing private folder", "state", std::nullopt,
         [](const fs::path& d) {
             fs::create_directories(d / "state/orvo/remote");
             fs::permissions(d / "state/orvo/remote", fs::perms(0700));
         },
         "state/orvo/remote", ""},
        {"existing open folder is refused, not repaired", "state", std::nullopt,
         [](const fs::path& d) {
             fs::create_directories(d / "state/orvo/remote");
             fs::permissions(d / "state/orvo/remote", fs::perms(0755));
         },
         std::nullopt, parent_shared},
        {"open store file", "state", std::nullopt,
         [](const fs::path& d) {
             fs::create_directories(d / "state/orvo/remote");
             fs::permissions(d / "state/orvo/remote", fs::perms(0700));
             write_file(d / "state/orvo/remote/known-hosts.json", "{}", fs::perms(0644));
         },
         std::nullopt, file_shared},
        {"folder is a symbolic link", "state", std::nullopt,
         [](const fs::path& d) {
             fs::create_directories(d / "state/orvo");
             fs::create_directory(d / "elsewhere");
             fs::permissions(d / "elsewhere", fs::perms(0700));
             fs::create_directory_symlink(d / "elsewhere", d / "state/orvo/remote");
         },
         std::nullopt, parent_not_directory},
        {"state home is a file", "plain", std::nullopt,
         [](const fs::path& d) { write_file(d / "plain", "", fs::perms(0600)); }, std::nullopt,
         "Not a directory"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        EnvOverride env;
        env.set(remote::known_hosts_override_variable, std::nullopt);
        env.set("XDG_STATE_HOME", c.xdg_state_home
                                      ? std::optional((dir.path() / *c.xdg_state_home).string())
                                      : std::nullopt);
        env.set("HOME", c.home ? std::optional((dir.path() / *c.home).string()) : std::nullopt);
        c.arrange(dir.path());

        const auto path = known_hosts_path();

        if (!c.store_dir) {
            ASSERT_FALSE(path.ok()) << c.name;
            EXPECT_EQ(path.error(), c.error) << c.name;
            continue;
        }
        ASSERT_TRUE(path.ok()) << c.name << ": " << path.error();
        const fs::path store_dir = dir.path() / *c.store_dir;
        EXPECT_EQ(path.value(), store_dir / "known-hosts.json") << c.name;
        EXPECT_EQ(mode_of(store_dir), 0700U) << c.name;
        EXPECT_FALSE(fs::exists(path.value())) << c.name << ": resolving must not create the file";
    }
}

TEST(KnownHostsPath, WithoutStateDirectoryFails) {
    EnvOverride env;
    env.set(remote::known_hosts_override_variable, std::nullopt);
    env.set("XDG_STATE_HOME", std::nullopt);
    env.set("HOME", std::nullopt);
    const auto path = known_hosts_path();
    ASSERT_FALSE(path.ok());
    EXPECT_EQ(path.error(), "no private state directory is available for SSH host trust");

    const auto store = remote::HostKeyStore::open();
    ASSERT_FALSE(store.ok());
    EXPECT_EQ(store.error(), path.error());
}

}  // namespace
