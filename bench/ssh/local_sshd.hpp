#pragma once
// A throwaway OpenSSH server for the benchmark: 127.0.0.1 at a free port, its own folder, host
// key, client key and config, stopped by its PID. Needs root, like sshd itself.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "support/loopback.hpp"

extern char** environ;

namespace remote::bench {

class LocalSshd {
  public:
    // Empty when the server could not start; why() says what failed.
    static std::optional<LocalSshd> start() {
        LocalSshd s;
        char tmpl[] = "/tmp/remote-ssh-bench-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr) {
            return fail("mkdtemp");
        }
        s.dir_ = tmpl;
        std::filesystem::create_directories("/run/sshd");
        const std::string keygen = "ssh-keygen -q -t ed25519 -N '' -C bench -f ";
        if (std::system((keygen + s.host_key() + " >/dev/null").c_str()) != 0 ||
            std::system((keygen + s.client_key() + " >/dev/null").c_str()) != 0) {
            return fail("ssh-keygen");
        }
        std::filesystem::copy_file(s.client_key() + ".pub", s.dir_ + "/authorized_keys");
        s.port_ = test_support::free_port();
        std::ofstream(s.dir_ + "/sshd_config")
            << "Port " << s.port_ << "\nListenAddress 127.0.0.1\nHostKey " << s.host_key()
            << "\nPidFile " << s.dir_ << "/sshd.pid\nAuthorizedKeysFile " << s.dir_
            << "/authorized_keys\nStrictModes no\nUsePAM no\nPermitRootLogin yes\n"
            << "PasswordAuthentication no\nKbdInteractiveAuthentication no\n";
        const std::string config = s.dir_ + "/sshd_config";
        std::string log = s.dir_ + "/sshd.log";
        const char* argv[] = {"/usr/sbin/sshd", "-f", config.c_str(), "-D", "-e", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT, 0600);
        const int rc = posix_spawn(&s.pid_, argv[0], &actions, nullptr,
                                   const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            return fail("posix_spawn sshd");
        }
        for (int i = 0; i < 500; ++i) {
            if (test_support::port_listens(s.port_)) {
                return std::optional<LocalSshd>(std::move(s));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return fail("sshd did not listen");
    }

    LocalSshd(LocalSshd&& other) noexcept
        : dir_(std::move(other.dir_)), port_(other.port_), pid_(std::exchange(other.pid_, -1)) {
        other.dir_.clear();
    }
    LocalSshd& operator=(LocalSshd&& other) noexcept {
        std::swap(dir_, other.dir_);
        std::swap(port_, other.port_);
        std::swap(pid_, other.pid_);
        return *this;
    }
    ~LocalSshd() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (!dir_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
        }
    }

    static inline std::string why;
    std::uint16_t port() const { return port_; }
    const std::string& dir() const { return dir_; }
    std::string host_key() const { return dir_ + "/host_key"; }
    std::string client_key() const { return dir_ + "/client_key"; }

  private:
    LocalSshd() = default;

    static std::optional<LocalSshd> fail(const char* what) {
        why = what;
        return std::nullopt;
    }

    std::string dir_;
    std::uint16_t port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace remote::bench
