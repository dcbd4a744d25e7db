#pragma once
// A throwaway OpenSSH server for the benchmark: 127.0.0.1 at a free port, its own folder, host
// key, client key and config, stopped by its PID. Needs root, like sshd itself.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
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
#include "support/process.hpp"

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
        s.pid_ = test_support::spawn_process({"/usr/sbin/sshd", "-f", config, "-D", "-e"}, log);
        if (s.pid_ <= 0) {
            return fail("posix_spawn sshd");
        }
        const std::uint16_t port = s.port_;
        if (!test_support::wait_until_ready(
                s.pid_, [port] { return test_support::port_listens(port); },
                std::chrono::seconds(10))) {
            return fail("sshd did not listen");
        }
        return std::optional<LocalSshd>(std::move(s));
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
        test_support::stop_process(pid_);
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
