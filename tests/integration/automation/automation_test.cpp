// Runs the real application offscreen and drives it with remote-ctl, as a user's script would.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Folders {
    fs::path data;
    fs::path state;
    fs::path runtime;
};

// One running application with its own runtime folder (socket) and the given document folder.
class RunningApp {
  public:
    RunningApp(const Folders& folders, bool sample) : folders_(folders) {
        fs::create_directories(folders.runtime);
        fs::permissions(folders.runtime, fs::perms::owner_all);
        std::vector<std::string> env = environment();
        env.push_back(std::string("ORVO_REMOTE_SAMPLE=") + (sample ? "1" : "0"));
        env.push_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string binary = REMOTE_BINARY;
        char* argv[] = {binary.data(), nullptr};
        if (posix_spawn(&pid_, binary.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
            ADD_FAILURE() << "could not start " << binary;
            pid_ = -1;
            return;
        }
        // Ready once the endpoint answers.
        for (int i = 0; i < 200 && !ctl({"resources"}).first; ++i) {
            std::this_thread::sleep_for(50ms);
        }
    }
    ~RunningApp() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool alive() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

    std::vector<std::string> environment() const {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (entry.rfind("XDG_", 0) == 0 || entry.rfind("ORVO_REMOTE_SAMPLE=", 0) == 0) {
                continue;
            }
            env.push_back(entry);
        }
        env.push_back("XDG_DATA_HOME=" + folders_.data.string());
        env.push_back("XDG_STATE_HOME=" + folders_.state.string());
        env.push_back("XDG_RUNTIME_DIR=" + folders_.runtime.string());
        return env;
    }

    // Runs remote-ctl against this application: (success, output).
    std::pair<bool, std::string> ctl(const std::vector<std::string>& args) const {
        std::string command = "env XDG_RUNTIME_DIR='" + folders_.runtime.string() + "' '" +
                              std::string(REMOTE_CTL_BINARY) + "'";
        for (const auto& a : args)
            command += " '" + a + "'";
        command += " 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string output;
        std::array<char, 4096> buffer{};
        while (pipe != nullptr && std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
            output += buffer.data();
        }
        const int status = pipe ? ::pclose(pipe) : -1;
        return {status == 0, output};
    }

  private:
    Folders folders_;
    pid_t pid_ = -1;
};

// The id of the first resource whose label line contains `label`.
std::string resource_id(const std::string& listing, const std::string& label) {
    std::size_t at = listing.find("  " + label + "\n");
    if (at == std::string::npos)
        return {};
    const std::size_t line_start = listing.rfind('\n', at) + 1;
    std::string line = listing.substr(line_start, at - line_start);
    line.erase(0, line.find_first_not_of(' '));
    return line.substr(0, line.find(' '));
}

class AutomationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Short: a Unix socket path must fit in 108 bytes.
        static int counter = 0;
        root_ = fs::temp_directory_path() /
                ("ra-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }
    Folders folders(const std::string& name, const std::string& shared_data = "") const {
        return {root_ / (shared_data.empty() ? name : shared_data) / "data", root_ / name / "state",
                root_ / name / "run"};
    }
    fs::path root_;
};

TEST_F(AutomationTest, RenamingThroughRemoteCtlChangesWhatTheAppLists) {
    RunningApp app(folders("one"), true);
    const auto [listed, listing] = app.ctl({"resources"});
    ASSERT_TRUE(listed) << listing;
    const std::string id = resource_id(listing, "Build Box");
    ASSERT_FALSE(id.empty()) << listing;

    const auto [renamed, out] = app.ctl({"invoke", id, "rename", "value=Build Server"});
    EXPECT_TRUE(renamed) << out;
    const auto after = app.ctl({"resources"}).second;
    EXPECT_EQ(resource_id(after, "Build Server"), id) << after;
    EXPECT_TRUE(resource_id(after, "Build Box").empty());

    // Favourite and delete go the same way.
    EXPECT_TRUE(app.ctl({"invoke", id, "favorite"}).first);
    EXPECT_NE(app.ctl({"resources"}).second.find("Remove from favourites"), std::string::npos);
    EXPECT_TRUE(app.ctl({"invoke", id, "delete"}).first);
    EXPECT_TRUE(resource_id(app.ctl({"resources"}).second, "Build Server").empty());

    // Refusals are clear and leave the app running.
    const struct {
        std::vector<std::string> args;
        std::string part;
    } refusals[] = {
        {{"invoke", "remote.connection:nope", "rename"}, "unknown_resource"},
        {{"invoke", "remote.connections", "explode"}, "unknown_action"},
        {{"bogus"}, "usage"},
    };
    for (const auto& r : refusals) {
        const auto [ok, text] = app.ctl(r.args);
        EXPECT_FALSE(ok);
        EXPECT_NE(text.find(r.part), std::string::npos) << text;
    }
    EXPECT_TRUE(app.alive());
}

TEST_F(AutomationTest, MalformedRequestsGetErrorsAndTheAppKeepsRunning) {
    RunningApp app(folders("one"), false);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = (root_ / "one" / "run" / "orvo" / "remote.sock").string();
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const std::string lines =
        "not json\n[1,2]\n{\"request\":\"invoke\",\"resource\":3}\n{\"request\":\"nope\"}\n"
        "{\"request\":\"invoke\",\"resource\":\"remote.connections\",\"action\":\"open\","
        "\"args\":{\"x\":1}}\n";
    ASSERT_EQ(::write(fd, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    std::string replies;
    char chunk[4096];
    while (std::count(replies.begin(), replies.end(), '\n') < 5) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            break;
        replies.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    EXPECT_EQ(std::count(replies.begin(), replies.end(), '\n'), 5) << replies;
    std::size_t errors = 0;
    for (std::size_t at = 0; (at = replies.find("\"ok\":false", at)) != std::string::npos; ++at) {
        ++errors;
    }
    EXPECT_EQ(errors, 5u) << replies;
    EXPECT_TRUE(app.alive());
    EXPECT_TRUE(app.ctl({"resources"}).first);
}

TEST_F(AutomationTest, TwoInstancesSharingADocumentSeeEachOthersChangesWithinASecond) {
    RunningApp first(folders("first", "shared"), true);
    RunningApp second(folders("second", "shared"), false);
    const std::string listing = first.ctl({"resources"}).second;
    const std::string id = resource_id(listing, "Office NAS");
    ASSERT_FALSE(id.empty()) << listing;
    // The second instance has read the seeded profiles.
    ASSERT_EQ(resource_id(second.ctl({"resources"}).second, "Office NAS"), id);

    ASSERT_TRUE(first.ctl({"invoke", id, "rename", "value=Media Vault"}).first);
    const auto started = std::chrono::steady_clock::now();
    bool seen = false;
    while (!seen && std::chrono::steady_clock::now() - started < 1s) {
        seen = resource_id(second.ctl({"resources"}).second, "Media Vault") == id;
        if (!seen)
            std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(seen) << "the second instance did not see the rename within a second";

    // And the other way round.
    ASSERT_TRUE(second.ctl({"invoke", id, "favorite"}).first);
    const auto back = std::chrono::steady_clock::now();
    seen = false;
    while (!seen && std::chrono::steady_clock::now() - back < 1s) {
        seen = first.ctl({"resources"}).second.find("Remove from favourites") != std::string::npos;
        if (!seen)
            std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(seen);
}

}  // namespace
