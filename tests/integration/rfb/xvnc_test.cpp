#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "rfb/vnc_worker.hpp"
#include "xvnc_server.hpp"

namespace remote::rfb {
namespace {

using namespace std::chrono_literals;
using testing::XvncServer;

std::optional<SessionStatus> wait_status(StatusCell& cell, bool (*pred)(const SessionStatus&),
                                         std::chrono::milliseconds timeout = 15s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto s = cell.get();
        if ((s && pred(*s)) || std::chrono::steady_clock::now() > deadline) {
            return s;
        }
        std::this_thread::sleep_for(10ms);
    }
}

bool connected(const SessionStatus& s) {
    return s.is<SessionStatus::Connected>();
}
bool over(const SessionStatus& s) {
    return !s.is_active();
}

// Number of pixels where our framebuffer differs from the server's screen (RGB, and alpha must
// be 255 everywhere the server drew).
std::size_t differing_pixels(const RfbFramebuffer& fb, const std::vector<std::uint8_t>& rgb) {
    std::size_t diff = 0;
    const auto bytes = fb.bytes();
    for (std::size_t i = 0; i * 3 < rgb.size(); ++i) {
        if (bytes[i * 4] != rgb[i * 3] || bytes[i * 4 + 1] != rgb[i * 3 + 1] ||
            bytes[i * 4 + 2] != rgb[i * 3 + 2] || bytes[i * 4 + 3] != 255) {
            ++diff;
        }
    }
    return diff;
}

// Waits until our framebuffer equals an xwd dump of the screen; returns the last difference.
std::size_t wait_for_mirror(const XvncServer& server, FramebufferCell& cell) {
    std::size_t diff = SIZE_MAX;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        int w = 0, h = 0;
        const auto rgb = server.screen_rgb(w, h);
        const auto snap = cell.get();
        if (snap && snap->width() == w && snap->height() == h && !rgb.empty()) {
            diff = differing_pixels(*snap, rgb);
            if (diff == 0) {
                return 0;
            }
        }
        std::this_thread::sleep_for(200ms);
    }
    return diff;
}

// A 16 x 16 X bitmap with an asymmetric pattern, so tiling it over the root window gives
// content where every misplaced row or column shows.
void write_bitmap(const std::string& path) {
    std::ofstream out(path);
    out << "#define p_width 16\n#define p_height 16\nstatic unsigned char p_bits[] = {\n";
    for (int i = 0; i < 32; ++i) {
        out << "0x" << std::hex << ((i * 37 + 11) & 0xFF) << (i == 31 ? "" : ",");
    }
    out << "};\n";
}

TEST(XvncIntegration, NoneSecurityMirrorsTheScreenPixelForPixel) {
    XvncServer server("None", "", 320, 240);
    ASSERT_TRUE(server.ready());
    auto handle = start_vnc_worker(VncLaunch{"127.0.0.1", server.port(), std::nullopt});
    ASSERT_TRUE(handle.ok());
    auto& h = handle.value();
    auto status = wait_status(*h.status, connected);
    ASSERT_TRUE(status && status->is<SessionStatus::Connected>()) << (status ? status->text() : "");
    auto snap = h.framebuffer->get();
    ASSERT_TRUE(snap);
    EXPECT_EQ(snap->width(), 320);
    EXPECT_EQ(snap->height(), 240);

    const struct {
        const char* what;
        std::string command;
    } steps[] = {
        {"solid colour", "xsetroot -solid '#336699'"},
        {"tiled bitmap", "xsetroot -bitmap " + server.dir() + "/p.xbm -fg '#ff8000' -bg '#0040c0'"},
        {"another solid colour", "xsetroot -solid '#c0ffee'"},
    };
    write_bitmap(server.dir() + "/p.xbm");
    for (const auto& step : steps) {
        const auto [rc, out] = server.run_x(step.command);
        ASSERT_EQ(rc, 0) << step.command << ": " << out;
        EXPECT_EQ(wait_for_mirror(server, *h.framebuffer), 0u) << step.what;
    }
    EXPECT_TRUE(h.status->get()->is<SessionStatus::Connected>());
}

TEST(XvncIntegration, TypingAndClickingReachTheXServer) {
    XvncServer server("None", "", 320, 240);
    ASSERT_TRUE(server.ready());
    const std::string events = server.dir() + "/events.log";
    const pid_t xev = testing::spawn_process(
        {"sh", "-c",
         "DISPLAY=" + server.display() + " exec xev -root -event keyboard -event button"},
        events);
    ASSERT_GT(xev, 0);
    auto handle = start_vnc_worker(VncLaunch{"127.0.0.1", server.port(), std::nullopt});
    ASSERT_TRUE(handle.ok());
    auto& h = handle.value();
    ASSERT_TRUE(wait_status(*h.status, connected)->is<SessionStatus::Connected>());
    std::this_thread::sleep_for(500ms);  // let xev select its events

    ASSERT_EQ(send_vnc_input(h.input, VncPointer{0, 123, 45}), std::nullopt);
    std::string where;
    for (int i = 0; i < 100 && where.find("x:123 y:45") == std::string::npos; ++i) {
        std::this_thread::sleep_for(50ms);
        where = server.run_x("xdotool getmouselocation").second;
    }
    EXPECT_NE(where.find("x:123 y:45"), std::string::npos) << where;

    const std::vector<VncInput> orders = {
        VncPointer{1, 123, 45}, VncPointer{0, 123, 45},  // primary click
        VncPointer{4, 123, 45}, VncPointer{0, 123, 45},  // secondary click
        VncKey{true, 0x61},     VncKey{false, 0x61},     // a
        VncKey{true, 0x5A},     VncKey{false, 0x5A},     // Z
        VncKey{true, 0xFF0D},   VncKey{false, 0xFF0D},   // Return
    };
    for (const auto& o : orders) {
        ASSERT_EQ(send_vnc_input(h.input, o), std::nullopt);
    }
    const std::vector<std::string> expected = {"ButtonPress event", "button 1",
                                               "button 3",          "keysym 0x61, a",
                                               "keysym 0x5a, Z",    "keysym 0xff0d, Return"};
    std::string log;
    for (int i = 0; i < 100; ++i) {
        std::this_thread::sleep_for(50ms);
        log = testing::read_file(events);
        bool all = true;
        for (const auto& e : expected) {
            all = all && log.find(e) != std::string::npos;
        }
        if (all) {
            break;
        }
    }
    testing::stop_process(xev);
    for (const auto& e : expected) {
        EXPECT_NE(log.find(e), std::string::npos) << e << " missing from:\n" << log;
    }
}

TEST(XvncIntegration, VncAuthWithTheRightPasswordConnects) {
    XvncServer server("VncAuth", "s3cret-pw", 200, 100);
    ASSERT_TRUE(server.ready());
    // Only the first eight bytes count: "s3cret-p" + anything authenticates.
    auto handle = start_vnc_worker(VncLaunch{"127.0.0.1", server.port(), std::string("s3cret-pw")});
    ASSERT_TRUE(handle.ok());
    auto status = wait_status(*handle.value().status, connected);
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->is<SessionStatus::Connected>()) << status->text();
    EXPECT_EQ(handle.value().framebuffer->get()->width(), 200);
}

TEST(XvncIntegration, VncAuthWithAWrongPasswordFailsWithTheServersReason) {
    // A fresh server: TigerVNC blacklists a client after repeated failures.
    XvncServer server("VncAuth", "s3cret-pw", 200, 100);
    ASSERT_TRUE(server.ready());
    auto handle = start_vnc_worker(VncLaunch{"127.0.0.1", server.port(), std::string("wrong")});
    ASSERT_TRUE(handle.ok());
    auto status = wait_status(*handle.value().status, over);
    ASSERT_TRUE(status);
    ASSERT_TRUE(status->is<SessionStatus::Failed>());
    // TigerVNC's own reason string (Debian 12's tigervnc-standalone-server), not our fallback
    // for an unreadable one.
    EXPECT_EQ(status->text(), "Authentication failure");
}

}  // namespace
}  // namespace remote::rfb
