#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "runtime/ui/files.hpp"

#include "support/env_override.hpp"
#include "support/temp_dir.hpp"

namespace {

namespace fs = std::filesystem;
using orvo_ui::files::atomic_replace;
using orvo_ui::files::state_dir;

using test_support::EnvOverride;

using test_support::TempDir;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void write_file(const fs::path& path, const std::string& bytes, fs::perms mode) {
    std::ofstream(path, std::ios::binary) << bytes;
    fs::permissions(path, mode);
}

std::set<std::string> listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

mode_t mode_of(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 0777U;
}

struct StateDirCase {
    const char* name;
    std::optional<std::string> xdg_state_home;
    std::optional<std::string> home;
    std::optional<fs::path> expected;
};

TEST(StateDir, FollowsXdgThenHome) {
    const StateDirCase cases[] = {
        {"xdg absolute wins", "/x/state", "/home/u", fs::path("/x/state")},
        {"xdg unset", std::nullopt, "/home/u", fs::path("/home/u/.local/state")},
        {"xdg empty", "", "/home/u", fs::path("/home/u/.local/state")},
        {"xdg relative ignored", "rel/state", "/home/u", fs::path("/home/u/.local/state")},
        {"nothing set", std::nullopt, std::nullopt, std::nullopt},
        {"home empty", std::nullopt, "", std::nullopt},
        {"home relative", "", "home/u", std::nullopt},
    };
    for (const auto& c : cases) {
        EnvOverride env;
        env.set("XDG_STATE_HOME", c.xdg_state_home);
        env.set("HOME", c.home);
        EXPECT_EQ(state_dir(), c.expected) << c.name;
    }
}

struct ReplaceCase {
    const char* name;
    std::optional<std::string> old_content;
    fs::perms old_mode;
    std::string bytes;
    mode_t mode;
};

TEST(AtomicReplace, WritesContentAndModeAndLeavesNoTemporary) {
    const ReplaceCase cases[] = {
        {"new file", std::nullopt, fs::perms::none, "hello", 0600},
        {"tightens an open file", "old", fs::perms(0644), "new content", 0600},
        {"loosens when asked", "old", fs::perms(0600), "shared", 0644},
        {"empty content", "something", fs::perms(0600), "", 0600},
        {"binary with nul bytes", std::nullopt, fs::perms::none, std::string("a\0b\0\xff", 5),
         0640},
        {"larger than a pipe buffer", "x", fs::perms(0600), std::string(1 << 20, 'z'), 0600},
        {"read only result", std::nullopt, fs::perms::none, "frozen", 0400},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path target = dir.path() / "target.json";
        if (c.old_content) {
            write_file(target, *c.old_content, c.old_mode);
        }
        // A restrictive umask must not change the mode asked for.
        const mode_t old_umask = ::umask(077);
        const auto status = atomic_replace(target, c.bytes, c.mode);
        ::umask(old_umask);
        ASSERT_TRUE(status.ok()) << c.name << ": " << status.error.value_or("");
        EXPECT_EQ(read_file(target), c.bytes) << c.name;
        EXPECT_EQ(mode_of(target), c.mode) << c.name;
        EXPECT_EQ(listing(dir.path()), std::set<std::string>{"target.json"}) << c.name;
    }
}

TEST(AtomicReplace, ReplacesThroughARelativePath) {
    TempDir dir;
    const fs::path old_cwd = fs::current_path();
    fs::current_path(dir.path());
    const auto status = atomic_replace("relative.txt", "here", 0600);
    fs::current_path(old_cwd);
    ASSERT_TRUE(status.ok()) << status.error.value_or("");
    EXPECT_EQ(read_file(dir.path() / "relative.txt"), "here");
}

struct FailureCase {
    const char* name;
    // Prepares the folder and returns the path to replace.
    std::function<fs::path(const fs::path&)> arrange;
    const char* error_part;
};

TEST(AtomicReplace, FailureKeepsTheOldFileAndLeavesNoTemporary) {
    const FailureCase cases[] = {
        {"missing folder", [](const fs::path& d) { return d / "missing" / "target"; },
         "No such file or directory"},
        {"parent is a file",
         [](const fs::path& d) {
             write_file(d / "plain", "keep", fs::perms(0600));
             return d / "plain" / "target";
         },
         "Not a directory"},
        {"target is a folder",
         [](const fs::path& d) {
             fs::create_directory(d / "target");
             write_file(d / "target" / "inside", "keep", fs::perms(0600));
             return d / "target";
         },
         "could not replace"},
        {"path names no file",
         [](const fs::path& d) {
             write_file(d / "other", "keep", fs::perms(0600));
             return fs::path(d.string() + "/");
         },
         "names no file"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        write_file(dir.path() / "existing", "old bytes", fs::perms(0600));
        const fs::path target = c.arrange(dir.path());
        const auto before = listing(dir.path());

        const auto status = atomic_replace(target, "new bytes", 0600);

        ASSERT_FALSE(status.ok()) << c.name;
        EXPECT_NE(status.error->find(c.error_part), std::string::npos)
            << c.name << ": " << *status.error;
        EXPECT_EQ(status.error->find('\n'), std::string::npos) << c.name;
        EXPECT_EQ(listing(dir.path()), before) << c.name;
        EXPECT_EQ(read_file(dir.path() / "existing"), "old bytes") << c.name;
    }
}

// A write that fails halfway (the file size limit stops it) must leave the old file whole.
// The limit applies to the whole process, so the attempt runs in a child.
TEST(AtomicReplace, FailedWriteKeepsTheOldFile) {
    TempDir dir;
    const fs::path target = dir.path() / "target";
    write_file(target, "old bytes", fs::perms(0600));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto status = atomic_replace(target, std::string(1 << 16, 'n'), 0600);
        const bool write_failed =
            !status.ok() && status.error->find("could not write") != std::string::npos;
        ::_exit(write_failed ? 0 : 1);
    }
    int wstatus = 0;
    ASSERT_EQ(::waitpid(child, &wstatus, 0), child);
    ASSERT_TRUE(WIFEXITED(wstatus));
    EXPECT_EQ(WEXITSTATUS(wstatus), 0) << "the oversized write did not fail as a write error";
    EXPECT_EQ(read_file(target), "old bytes");
    EXPECT_EQ(mode_of(target), 0600U);
    EXPECT_EQ(listing(dir.path()), std::set<std::string>{"target"});
}

// Readers that open the file while it is being replaced again and again see one whole version,
// never a truncated or mixed one.
TEST(AtomicReplace, ConcurrentReaderSeesOnlyWholeVersions) {
    TempDir dir;
    const fs::path target = dir.path() / "target";
    const std::string first(3 << 20, 'a');
    const std::string second(2 << 20, 'b');
    ASSERT_TRUE(atomic_replace(target, first, 0600).ok());

    std::atomic<bool> done{false};
    std::atomic<int> write_failures{0};
    std::thread writer([&] {
        for (int i = 0; i < 60; ++i) {
            if (!atomic_replace(target, i % 2 == 0 ? second : first, 0600).ok()) {
                ++write_failures;
            }
        }
        done = true;
    });

    int reads = 0;
    int torn = 0;
    while (!done) {
        const std::string content = read_file(target);
        ++reads;
        if (content != first && content != second) {
            ++torn;
        }
    }
    writer.join();

    EXPECT_EQ(write_failures, 0);
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    EXPECT_GT(reads, 1);
    EXPECT_EQ(read_file(target), first);  // the last of the 60 writes
}

}  // namespace
