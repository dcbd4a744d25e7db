#pragma once
// A real OpenSSH server for integration tests: /usr/sbin/sshd on 127.0.0.1 at a free port with
// its own folder, config, host key, authorized key and PID file, stopped by its PID. It fails
// the test loudly when it cannot start. sshd wants to run as root (privilege separation).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "integration/rfb/xvnc_server.hpp"
#include "support/process.hpp"

namespace remote::ssh::testing {

using rfb::testing::free_port;
using rfb::testing::port_listens;
using rfb::testing::read_file;
using test_support::spawn_process;
using test_support::stop_process;
using test_support::wait_until_ready;

inline bool run_quiet(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Generates an ed25519 key pair at path (and path.pub) with the passphrase ("" for none).
inline bool make_key(const std::string& path, const std::string& passphrase) {
    return run_quiet("ssh-keygen -q -t ed25519 -N '" + passphrase + "' -C test -f " + path);
}

// "SHA256:..." of a public key file, as ssh-keygen prints it.
inline std::string fingerprint_of(const std::string& pub_path) {
    FILE* p = ::popen(("ssh-keygen -l -E sha256 -f " + pub_path).c_str(), "r");
    if (p == nullptr) {
        return {};
    }
    char line[512] = {};
    const bool got = std::fgets(line, sizeof line, p) != nullptr;
    ::pclose(p);
    if (!got) {
        return {};
    }
    std::string text(line);
    const auto start = text.find("SHA256:");
    if (start == std::string::npos) {
        return {};
    }
    return text.substr(start, text.find(' ', start) - start);
}

inline std::string current_user() {
    const char* user = std::getenv("USER");
    return user != nullptr && *user != '\0' ? user : "root";
}

class SshdServer {
  public:
    SshdServer() {
        if (::geteuid() != 0) {
            ADD_FAILURE() << "the sshd integration tests must run as root (sshd needs it)";
            return;
        }
        char tmpl[] = "/tmp/remote-ssh-it-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr) {
            ADD_FAILURE() << "cannot create a temporary folder";
            return;
        }
        dir_ = tmpl;
        std::filesystem::create_directories("/run/sshd");
        if (!make_key(host_key(), "") || !make_key(client_key(), "") ||
            !make_key(encrypted_key(), kPassphrase) || !make_key(stranger_key(), "")) {
            ADD_FAILURE() << "ssh-keygen failed (is openssh-client installed?)";
            return;
        }
        std::ofstream(dir_ + "/authorized_keys")
            << read_file(client_key() + ".pub") << read_file(encrypted_key() + ".pub");
        port_ = free_port();
        std::ofstream(dir_ + "/sshd_config")
            << "Port " << port_ << "\nListenAddress 127.0.0.1\nHostKey " << host_key()
            << "\nPidFile " << dir_ << "/sshd.pid\nAuthorizedKeysFile " << dir_
            << "/authorized_keys\nStrictModes no\nUsePAM no\nPermitRootLogin yes\n"
            << "PasswordAuthentication no\nKbdInteractiveAuthentication no\n"
            << "PubkeyAuthentication yes\nLogLevel DEBUG1\nSubsystem sftp internal-sftp\n";
        pid_ = spawn_process({"/usr/sbin/sshd", "-f", dir_ + "/sshd_config", "-D", "-e"}, log());
        if (pid_ <= 0) {
            ADD_FAILURE() << "cannot start /usr/sbin/sshd (is openssh-server installed?)";
            return;
        }
        ready_ = wait_until_ready(
            pid_, [&] { return port_listens(port_); }, std::chrono::seconds(20));
        if (ready_) {
            return;
        }
        ADD_FAILURE() << "sshd did not listen on port " << port_ << ":\n" << read_file(log());
    }

    ~SshdServer() {
        stop_process(pid_);
        if (!dir_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
        }
    }
    SshdServer(const SshdServer&) = delete;
    SshdServer& operator=(const SshdServer&) = delete;

    static constexpr const char* kPassphrase = "correct horse";

    bool ready() const { return ready_; }
    std::uint16_t port() const { return port_; }
    const std::string& dir() const { return dir_; }
    std::string host_key() const { return dir_ + "/host_key"; }
    std::string client_key() const { return dir_ + "/client_key"; }
    std::string encrypted_key() const { return dir_ + "/encrypted_key"; }
    std::string stranger_key() const { return dir_ + "/stranger_key"; }
    std::string log() const { return dir_ + "/sshd.log"; }

  private:
    std::string dir_;
    std::uint16_t port_ = 0;
    pid_t pid_ = -1;
    bool ready_ = false;
};

}  // namespace remote::ssh::testing
