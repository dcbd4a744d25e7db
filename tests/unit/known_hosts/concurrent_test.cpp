#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "known_hosts/host_key_store.hpp"
#include "known_hosts/known_hosts_json.hpp"
#include "test_support.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using known_hosts_test::read_file;
using known_hosts_test::TempDir;

// While another process trusts and forgets in a loop, every read of the store finds either the
// whole file with the pin or the whole file without it: never a truncated or empty file.
TEST(HostKeyStoreConcurrency, ReaderSeesOnlyCompleteOldOrNewFile) {
    TempDir dir;
    const fs::path path = dir.path() / "known-hosts.json";
    // Other pins make the file larger than one write, so a torn file would be easy to see.
    remote::KnownHosts others;
    for (int i = 0; i < 200; ++i) {
        others.entries.push_back({"host-" + std::to_string(i) + ".example",
                                  22,
                                  {"ssh-ed25519", "SHA256:" + std::string(43, 'a' + i % 26)}});
    }
    ASSERT_TRUE(remote::save_known_hosts(path, others).ok());
    remote::KnownHosts with_pin = others;
    with_pin.entries.push_back(
        {"writer.example",
         22,
         {"ssh-ed25519", "SHA256:WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"}});
    const std::string without_bytes = read_file(path);
    const auto with_text = remote::serialize_known_hosts(with_pin);
    ASSERT_TRUE(with_text.ok());
    const std::string with_bytes = with_text.value();

    const std::string iterations = "60";
    char* const argv[] = {const_cast<char*>(KNOWN_HOSTS_WRITER), const_cast<char*>(path.c_str()),
                          const_cast<char*>(iterations.c_str()), nullptr};
    pid_t writer = 0;
    ASSERT_EQ(::posix_spawn(&writer, KNOWN_HOSTS_WRITER, nullptr, nullptr, argv, environ), 0)
        << "could not start " << KNOWN_HOSTS_WRITER;

    int reads = 0;
    int torn_reads = 0;
    int failed_loads = 0;
    int status = 0;
    while (::waitpid(writer, &status, WNOHANG) == 0) {
        const std::string bytes = read_file(path);
        if (bytes != without_bytes && bytes != with_bytes) {
            ++torn_reads;
        }
        const auto loaded = remote::load_known_hosts(path);
        if (!loaded.ok() || (loaded.value() != others && loaded.value() != with_pin)) {
            ++failed_loads;
        }
        ++reads;
    }

    ASSERT_TRUE(WIFEXITED(status)) << "the writer did not exit normally";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the writer failed";
    EXPECT_GT(reads, 1) << "the reader never overlapped the writer";
    EXPECT_EQ(torn_reads, 0) << "of " << reads << " reads";
    EXPECT_EQ(failed_loads, 0) << "of " << reads << " loads";
    EXPECT_EQ(read_file(path), without_bytes);
}

}  // namespace
