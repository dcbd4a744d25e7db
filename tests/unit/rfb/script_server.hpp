#pragma once
// A scripted RFB server on 127.0.0.1 for worker tests: it accepts one connection and runs a
// script against it on its own thread. Reads time out after a few seconds so a broken client
// fails the test instead of hanging it.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace remote::rfb::testing {

class ServerConn {
  public:
    explicit ServerConn(int fd) : fd_(fd) {}

    void send(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) {
                ADD_FAILURE() << "scripted server could not send";
                return;
            }
            done += static_cast<std::size_t>(n);
        }
    }

    // Exactly n bytes from the client, or a test failure (and what arrived) after the timeout.
    std::vector<std::uint8_t> expect_bytes(
        std::size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::vector<std::uint8_t> out(n);
        std::size_t done = 0;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (done < n) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) != 1) {
                ADD_FAILURE() << "scripted server waited in vain for " << n << " bytes, got "
                              << done;
                out.resize(done);
                return out;
            }
            const ssize_t r = ::recv(fd_, out.data() + done, n - done, 0);
            if (r <= 0) {
                ADD_FAILURE() << "client closed after " << done << " of " << n << " bytes";
                out.resize(done);
                return out;
            }
            done += static_cast<std::size_t>(r);
        }
        return out;
    }

    // True when the client closes its end within the timeout (whatever it sent meanwhile is
    // dropped).
    bool wait_closed(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::vector<std::uint8_t> sink(4096);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) != 1) {
                return false;
            }
            if (::recv(fd_, sink.data(), sink.size(), 0) <= 0) {
                return true;
            }
        }
    }

    void close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~ServerConn() { close(); }

  private:
    int fd_;
};

class ScriptServer {
  public:
    explicit ScriptServer(std::function<void(ServerConn&)> script) {
        listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        if (listen_fd_ < 0 ||
            ::bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(listen_fd_, 4) != 0) {
            ADD_FAILURE() << "scripted server cannot listen on 127.0.0.1";
            return;
        }
        socklen_t len = sizeof addr;
        ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this, script = std::move(script)] {
            pollfd p{listen_fd_, POLLIN, 0};
            if (::poll(&p, 1, 10000) != 1) {
                ADD_FAILURE() << "no client connected to the scripted server";
                return;
            }
            ServerConn conn(::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC));
            script(conn);
        });
    }
    ~ScriptServer() {
        if (thread_.joinable()) {
            thread_.join();
        }
        if (listen_fd_ >= 0) {
            ::close(listen_fd_);
        }
    }
    std::uint16_t port() const { return port_; }
    void join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

  private:
    int listen_fd_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

}  // namespace remote::rfb::testing
