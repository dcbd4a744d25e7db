#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>
#include <string>

#include "known_hosts/host_key_store.hpp"
#include "known_hosts/store_location.hpp"
#include "test_support.hpp"

namespace {

namespace fs = std::filesystem;
using known_hosts_test::error_of;
using known_hosts_test::FileStamp;
using known_hosts_test::mode_of;
using known_hosts_test::read_file;
using known_hosts_test::stamp_of;
using known_hosts_test::TempDir;
using known_hosts_test::write_file;
using remote::check_host_key;
using remote::forget_host_key;
using remote::HostKeyIdentity;
using remote::HostKeyVerdict;
using remote::KnownHostEntry;
using remote::KnownHosts;
using remote::load_known_hosts;
using remote::save_known_hosts;
using remote::trust_host_key;

const HostKeyIdentity key_a{"ssh-ed25519", "SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"};
const HostKeyIdentity key_b{"ssh-ed25519", "SHA256:BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB"};

// A private folder for the store and the store path inside it (the file does not exist yet).
struct Store {
    TempDir dir;
    fs::path path = dir.path() / "known-hosts.json";
};

std::set<std::string> listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(HostKeyStore, WithoutAFileNothingIsPinnedAndNothingIsCreated) {
    Store store;
    const auto hosts = load_known_hosts(store.path);
    ASSERT_TRUE(hosts.ok()) << hosts.error();
    EXPECT_TRUE(hosts.value().entries.empty());
    EXPECT_EQ(check_host_key(hosts.value(), "example.org", 22, key_a),
              HostKeyVerdict{HostKeyVerdict::Unknown{key_a}});

    const auto forgot = forget_host_key(store.path, "example.org", 22);
    ASSERT_TRUE(forgot.ok()) << forgot.error();
    EXPECT_FALSE(forgot.value());
    EXPECT_TRUE(listing(store.dir.path()).empty());
}

TEST(HostKeyStore, TrustWritesTheExactPrivateFile) {
    Store store;
    ASSERT_TRUE(trust_host_key(store.path, "example.org", 2222, key_a).ok());
    EXPECT_EQ(read_file(store.path), R"({
  "entries": [
    {
      "host": "example.org",
      "port": 2222,
      "identity": {
        "algorithm": "ssh-ed25519",
        "fingerprint": "SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
      }
    }
  ]
})");
    EXPECT_EQ(mode_of(store.path), 0600U);
    EXPECT_EQ(listing(store.dir.path()), std::set<std::string>{"known-hosts.json"});
}

TEST(HostKeyStore, TrustingThePinnedKeyAgainWritesNothing) {
    Store store;
    ASSERT_TRUE(trust_host_key(store.path, "example.org", 22, key_a).ok());
    const FileStamp first = stamp_of(store.path);
    const std::string bytes = read_file(store.path);

    const auto again = trust_host_key(store.path, "example.org", 22, key_a);

    ASSERT_TRUE(again.ok()) << again.error();
    EXPECT_EQ(stamp_of(store.path), first) << "the file was written again";
    EXPECT_EQ(read_file(store.path), bytes);
}

TEST(HostKeyStore, ADifferentKeyIsNeverPinnedOverTheOldOne) {
    Store store;
    ASSERT_TRUE(trust_host_key(store.path, "example.org", 22, key_a).ok());
    const FileStamp before = stamp_of(store.path);
    const std::string bytes = read_file(store.path);

    const auto refused = trust_host_key(store.path, "example.org", 22, key_b);

    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(),
              "a different trusted host key already exists; forget it before retrusting");
    EXPECT_EQ(read_file(store.path), bytes);
    EXPECT_EQ(stamp_of(store.path), before);

    // After forgetting, the new key can be trusted.
    const auto forgot = forget_host_key(store.path, "example.org", 22);
    ASSERT_TRUE(forgot.ok() && forgot.value());
    ASSERT_TRUE(trust_host_key(store.path, "example.org", 22, key_b).ok());
    const auto hosts = load_known_hosts(store.path);
    ASSERT_TRUE(hosts.ok());
    EXPECT_EQ(hosts.value(), (KnownHosts{{{"example.org", 22, key_b}}}));
}

TEST(HostKeyStore, PortAndLetterCaseNameDifferentTargets) {
    Store store;
    const KnownHostEntry trusts[] = {
        {"example.org", 22, key_a},
        {"example.org", 2222, key_b},
        {"Example.org", 22, key_b},
        {"EXAMPLE.ORG", 2222, key_a},
    };
    for (const auto& t : trusts) {
        const auto result = trust_host_key(store.path, t.host, t.port, t.identity);
        ASSERT_TRUE(result.ok()) << t.host << ":" << t.port << ": " << result.error();
    }
    const auto hosts = load_known_hosts(store.path);
    ASSERT_TRUE(hosts.ok()) << hosts.error();
    EXPECT_EQ(hosts.value().entries,
              std::vector<KnownHostEntry>(std::begin(trusts), std::end(trusts)));
    for (const auto& t : trusts) {
        EXPECT_EQ(check_host_key(hosts.value(), t.host, t.port, t.identity),
                  HostKeyVerdict{HostKeyVerdict::Trusted{}})
            << t.host << ":" << t.port;
    }
}

TEST(HostKeyStore, ForgetRemovesEveryPinOfTheTargetOnly) {
    Store store;
    const KnownHosts hosts{{
        {"example.org", 22, key_a},
        {"other.org", 22, key_a},
        {"example.org", 22, key_b},
        {"example.org", 23, key_b},
    }};
    ASSERT_TRUE(save_known_hosts(store.path, hosts).ok());

    const auto forgot = forget_host_key(store.path, "example.org", 22);
    ASSERT_TRUE(forgot.ok()) << forgot.error();
    EXPECT_TRUE(forgot.value());
    const auto left = load_known_hosts(store.path);
    ASSERT_TRUE(left.ok());
    EXPECT_EQ(left.value(), (KnownHosts{{{"other.org", 22, key_a}, {"example.org", 23, key_b}}}));

    const FileStamp before = stamp_of(store.path);
    const auto again = forget_host_key(store.path, "example.org", 22);
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE(again.value());
    EXPECT_EQ(stamp_of(store.path), before) << "forgetting a missing pin wrote the file";
}

TEST(HostKeyStore, ForgettingTheLastPinKeepsAnEmptyStore) {
    Store store;
    ASSERT_TRUE(trust_host_key(store.path, "example.org", 22, key_a).ok());
    const auto forgot = forget_host_key(store.path, "example.org", 22);
    ASSERT_TRUE(forgot.ok() && forgot.value());
    EXPECT_EQ(read_file(store.path), "{\n  \"entries\": []\n}");
    EXPECT_EQ(mode_of(store.path), 0600U);
}

// A store that cannot be read is reported, and never replaced by a fresh empty one.
TEST(HostKeyStore, UnreadableStoreIsNeverOverwritten) {
    const std::pair<const char*, const char*> cases[] = {
        {"{}", "entries is missing"},
        {"", "parse error"},
        {"{\"entries\": [", "parse error"},
        {"{\"entries\": [{\"host\": \"a\"}]}", "entries[0].port is missing"},
    };
    for (const auto& [content, error_part] : cases) {
        Store store;
        write_file(store.path, content, fs::perms(0600));
        const FileStamp before = stamp_of(store.path);

        const std::string errors[] = {
            error_of(load_known_hosts(store.path)),
            error_of(trust_host_key(store.path, "example.org", 22, key_a)),
            error_of(forget_host_key(store.path, "example.org", 22)),
        };
        for (const auto& error : errors) {
            EXPECT_NE(error.find(error_part), std::string::npos) << content << ": " << error;
        }
        EXPECT_EQ(read_file(store.path), content);
        EXPECT_EQ(stamp_of(store.path), before) << content;
    }
}

// A save that fails halfway (here the file size limit stops the write) reports the error and
// leaves every pin on file. The limit applies to the whole process, so the trust runs in a child.
TEST(HostKeyStore, FailedSaveKeepsThePreviousPins) {
    Store store;
    KnownHosts many;
    for (int i = 0; i < 100; ++i) {
        many.entries.push_back({"host-" + std::to_string(i), 22, key_a});
    }
    ASSERT_TRUE(save_known_hosts(store.path, many).ok());
    const std::string bytes = read_file(store.path);
    ASSERT_GT(bytes.size(), 8192U);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto trusted = trust_host_key(store.path, "new.example", 22, key_b);
        const bool reported = !trusted.ok() && trusted.error().find("could not write") == 0;
        ::_exit(reported ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was not reported";
    EXPECT_EQ(read_file(store.path), bytes);
    EXPECT_EQ(listing(store.dir.path()), std::set<std::string>{"known-hosts.json"});
}

struct InsecureCase {
    const char* name;
    // Builds a store holding one pin under the temporary folder, then loosens or replaces part
    // of it; returns the store path.
    std::function<fs::path(const fs::path&)> arrange;
    std::string error;
};

// Every operation refuses a store that others could read or that is not what it seems, and
// leaves it as it was.
TEST(HostKeyStore, EveryOperationRefusesAnInsecureStore) {
    const auto pinned = [](const fs::path& dir) {
        const fs::path path = dir / "known-hosts.json";
        EXPECT_TRUE(trust_host_key(path, "example.org", 22, key_a).ok());
        return path;
    };
    const InsecureCase cases[] = {
        {"file 0644",
         [&](const fs::path& d) {
             const auto path = pinned(d);
             fs::permissions(path, fs::perms(0644));
             return path;
         },
         "SSH host-key store must not be accessible to group or other users"},
        {"folder 0755",
         [&](const fs::path& d) {
             const auto path = pinned(d);
             fs::permissions(d, fs::perms(0755));
             return path;
         },
         "SSH host-key store parent must not be accessible to group or other users"},
        {"symbolic link in place of the file",
         [&](const fs::path& d) {
             const auto real = pinned(d);
             fs::rename(real, d / "real.json");
             fs::create_symlink(d / "real.json", real);
             return real;
         },
         "SSH host-key store must be a regular file"},
        {"symbolic link in place of the folder",
         [&](const fs::path& d) {
             fs::create_directory(d / "real");
             fs::permissions(d / "real", fs::perms(0700));
             pinned(d / "real");
             fs::create_directory_symlink(d / "real", d / "link");
             return d / "link" / "known-hosts.json";
         },
         "SSH host-key store parent must be a real directory"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path path = c.arrange(dir.path());
        const std::string bytes = read_file(path);
        const FileStamp before = stamp_of(path);

        const std::pair<const char*, std::string> results[] = {
            {"load", error_of(load_known_hosts(path))},
            {"save", error_of(save_known_hosts(path, KnownHosts{}))},
            {"trust same", error_of(trust_host_key(path, "example.org", 22, key_a))},
            {"trust new", error_of(trust_host_key(path, "new.org", 22, key_b))},
            {"forget", error_of(forget_host_key(path, "example.org", 22))},
        };
        for (const auto& [operation, error] : results) {
            EXPECT_EQ(error, c.error) << c.name << ", " << operation;
        }
        EXPECT_EQ(read_file(path), bytes) << c.name;
        EXPECT_EQ(stamp_of(path), before) << c.name;
    }
}

TEST(HostKeyStore, OpensAtTheResolvedLocation) {
    TempDir dir;
    known_hosts_test::EnvOverride env;
    env.set(remote::known_hosts_override_variable, (dir.path() / "pins.json").string());

    const auto store = remote::HostKeyStore::open();
    ASSERT_TRUE(store.ok()) << store.error();
    EXPECT_EQ(store.value().path(), dir.path() / "pins.json");
    ASSERT_TRUE(store.value().trust("h", 22, key_a).ok());
    const auto hosts = store.value().load();
    ASSERT_TRUE(hosts.ok());
    EXPECT_EQ(hosts.value(), (KnownHosts{{{"h", 22, key_a}}}));
    const auto forgot = store.value().forget("h", 22);
    ASSERT_TRUE(forgot.ok() && forgot.value());
}

}  // namespace
