#pragma once
// A real TigerVNC server (Xvnc) for integration tests: started on a free display and a free
// port on 127.0.0.1, with its own temporary folder, and stopped by its PID. Starting fails the
// test loudly when Xvnc is missing or does not listen.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/loopback.hpp"
#include "support/process.hpp"

namespace remote::rfb::testing {

using test_support::free_port;
using test_support::port_listens;
using test_support::spawn_process;
using test_support::stop_process;
using test_support::wait_until_ready;

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class XvncServer {
  public:
    // security: "None" or "VncAuth"; password is used for VncAuth.
    XvncServer(const std::string& security, const std::string& password, int width, int height) {
        char tmpl[] = "/tmp/remote-rfb-it-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr) {
            ADD_FAILURE() << "cannot create a temporary folder";
            return;
        }
        dir_ = tmpl;
        for (int n = 40 + static_cast<int>(::getpid() % 50); n < 200; ++n) {
            if (!std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock") &&
                !std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n))) {
                display_ = n;
                break;
            }
        }
        port_ = free_port();
        std::vector<std::string> args = {
            "Xvnc",           ":" + std::to_string(display_),
            "-rfbport",       std::to_string(port_),
            "-interface",     "127.0.0.1",
            "-nolisten",      "tcp",
            "-geometry",      std::to_string(width) + "x" + std::to_string(height),
            "-depth",         "24",
            "-SecurityTypes", security};
        if (security == "VncAuth") {
            const std::string file = dir_ + "/passwd";
            const std::string cmd = "printf '%s\\n' '" + password + "' | vncpasswd -f > " + file;
            if (std::system(cmd.c_str()) != 0) {
                ADD_FAILURE() << "vncpasswd -f failed (is tigervnc-tools installed?)";
                return;
            }
            args.push_back("-PasswordFile");
            args.push_back(file);
        }
        pid_ = spawn_process(args, dir_ + "/xvnc.log");
        if (pid_ <= 0) {
            ADD_FAILURE() << "cannot start Xvnc (is tigervnc-standalone-server installed?)";
            return;
        }
        ready_ = wait_until_ready(
            pid_,
            [&] {
                return port_listens(port_) &&
                       std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display_));
            },
            std::chrono::seconds(20), std::chrono::milliseconds(50));
        if (ready_) {
            return;
        }
        ADD_FAILURE() << "Xvnc did not listen on port " << port_ << ":\n"
                      << read_file(dir_ + "/xvnc.log");
    }

    ~XvncServer() {
        stop_process(pid_);
        if (!dir_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
        }
    }

    bool ready() const { return ready_; }
    std::uint16_t port() const { return port_; }
    std::string display() const { return ":" + std::to_string(display_); }
    const std::string& dir() const { return dir_; }

    // Runs a shell command with DISPLAY set to this server; returns its exit status and output.
    std::pair<int, std::string> run_x(const std::string& command) const {
        const std::string full = "DISPLAY=" + display() + " " + command + " 2>&1";
        FILE* p = ::popen(full.c_str(), "r");
        if (p == nullptr) {
            return {-1, ""};
        }
        std::string out;
        char buf[4096];
        std::size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) {
            out.append(buf, n);
        }
        return {::pclose(p), out};
    }

    // The whole screen as RGB bytes, from an xwd dump of the root window (24-bit TrueColor,
    // 32 bits per pixel, as Xvnc -depth 24 produces).
    std::vector<std::uint8_t> screen_rgb(int& width, int& height) const {
        const std::string file = dir_ + "/screen.xwd";
        const auto [status, out] = run_x("xwd -root -silent -out " + file);
        if (status != 0) {
            ADD_FAILURE() << "xwd failed: " << out;
            return {};
        }
        const std::string d = read_file(file);
        auto u32 = [&](std::size_t i) {
            const auto* b = reinterpret_cast<const unsigned char*>(d.data()) + i * 4;
            return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
                   (std::uint32_t{b[2]} << 8) | b[3];
        };
        if (d.size() < 100) {
            ADD_FAILURE() << "xwd output too short";
            return {};
        }
        const std::uint32_t header = u32(0), format = u32(2), bpp = u32(11), line = u32(12);
        const std::uint32_t byte_order = u32(7), ncolors = u32(19);
        width = static_cast<int>(u32(4));
        height = static_cast<int>(u32(5));
        const std::uint32_t red_mask = u32(14), green_mask = u32(15), blue_mask = u32(16);
        if (format != 2 || bpp != 32 || red_mask != 0xFF0000 || green_mask != 0xFF00 ||
            blue_mask != 0xFF) {
            ADD_FAILURE() << "unexpected xwd image layout";
            return {};
        }
        const std::size_t data = header + std::size_t{ncolors} * 12;
        if (d.size() < data + std::size_t{line} * static_cast<std::size_t>(height)) {
            ADD_FAILURE() << "xwd image truncated";
            return {};
        }
        std::vector<std::uint8_t> rgb;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const auto* p = reinterpret_cast<const unsigned char*>(d.data()) + data +
                                std::size_t(y) * line + std::size_t(x) * 4;
                const std::uint32_t v =
                    byte_order == 0 ? (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                                          (std::uint32_t{p[1]} << 8) | p[0]
                                    : (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                          (std::uint32_t{p[2]} << 8) | p[3];
                rgb.push_back(static_cast<std::uint8_t>(v >> 16));
                rgb.push_back(static_cast<std::uint8_t>(v >> 8));
                rgb.push_back(static_cast<std::uint8_t>(v));
            }
        }
        return rgb;
    }

  private:
    std::string dir_;
    int display_ = 0;
    std::uint16_t port_ = 0;
    pid_t pid_ = -1;
    bool ready_ = false;
};

}  // namespace remote::rfb::testing
