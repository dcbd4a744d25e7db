#pragma once
// Temporary folders, environment overrides and file helpers for the trust-store tests.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "support/env_override.hpp"
#include "support/temp_dir.hpp"

namespace known_hosts_test {

namespace fs = std::filesystem;

// A private (0700) folder removed with everything in it at the end of the test.
using test_support::TempDir;

// Sets or clears environment variables and restores them when it goes out of scope.
using test_support::EnvOverride;

inline std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void write_file(const fs::path& path, const std::string& bytes, fs::perms mode) {
    std::ofstream(path, std::ios::binary) << bytes;
    fs::permissions(path, mode);
}

inline unsigned mode_of(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777U;
}

// Inode and modification time: a replaced file gets a new inode.
struct FileStamp {
    ino_t inode = 0;
    long long mtime_ns = 0;
    bool operator==(const FileStamp&) const = default;
};

inline FileStamp stamp_of(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return {st.st_ino,
            static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

}  // namespace known_hosts_test

namespace known_hosts_test {

// The error text of a result, or a marker that makes a comparison fail without aborting.
template <class Result>
std::string error_of(const Result& result) {
    return result.ok() ? std::string("<succeeded>") : result.error();
}

}  // namespace known_hosts_test
