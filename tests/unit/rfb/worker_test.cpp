#include "rfb/vnc_worker.hpp"

#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>

#include "byte_builder.hpp"
#include "rfb/client_messages.hpp"
#include "rfb/pixel_format.hpp"
#include "rfb/tcp_stream.hpp"
#include "script_server.hpp"

namespace remote::rfb {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;
using testing::ScriptServer;
using testing::ServerConn;

std::vector<std::uint8_t> vec(const auto& array) {
    return {array.begin(), array.end()};
}

// Runs the 3.8 None handshake as a server and checks every byte the client sends up to its
// first (full) update request.
void serve_handshake(ServerConn& c, std::uint16_t w, std::uint16_t h) {
    c.send(Bytes().text("RFB 003.008\n").u8(1).u8(1).vec());
    EXPECT_EQ(c.expect_bytes(12), vec(std::string("RFB 003.008\n")));
    EXPECT_EQ(c.expect_bytes(1), (std::vector<std::uint8_t>{1}));
    c.send(Bytes().u32(0).server_init(w, h, "scripted").vec());
    EXPECT_EQ(c.expect_bytes(1), (std::vector<std::uint8_t>{1}));  // shared ClientInit
    EXPECT_EQ(c.expect_bytes(20), vec(encode_set_pixel_format(client_pixel_format())));
    EXPECT_EQ(c.expect_bytes(16), vec(encode_set_encodings()));
    EXPECT_EQ(c.expect_bytes(10), vec(encode_update_request(false, w, h)));
}

std::optional<SessionStatus> wait_status(StatusCell& cell, auto pred,
                                         std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        auto s = cell.get();
        if (s && pred(*s)) {
            return s;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return s;
        }
        std::this_thread::sleep_for(5ms);
    }
}

bool is_connected(const SessionStatus& s) {
    return s.is<SessionStatus::Connected>();
}
bool is_over(const SessionStatus& s) {
    return !s.is_active();
}

VncLaunch launch_for(std::uint16_t port) {
    return VncLaunch{"127.0.0.1", port, std::nullopt};
}

bool thread_named(const std::string& name) {
    DIR* dir = ::opendir("/proc/self/task");
    bool found = false;
    while (dirent* e = dir ? ::readdir(dir) : nullptr) {
        std::ifstream comm(std::string("/proc/self/task/") + e->d_name + "/comm");
        std::string line;
        if (std::getline(comm, line) && line == name) {
            found = true;
        }
    }
    if (dir) {
        ::closedir(dir);
    }
    return found;
}

TEST(VncWorker, FullSessionDecodesPublishesSendsInputAndEndsOnServerClose) {
    std::atomic<bool> input_sent{false};
    ScriptServer server([&](ServerConn& c) {
        serve_handshake(c, 4, 2);
        // An update, then the incremental request that must follow it at once.
        c.send(Bytes().u8(0).update(1).rect(1, 0, 2, 1, 0).pixel(255, 0, 0).pixel(0, 0, 255).vec());
        EXPECT_EQ(c.expect_bytes(10), vec(encode_update_request(true, 4, 2)));
        // Messages that are consumed without a request.
        auto cut = Bytes().u8(3).zeros(3).u32(100000).vec();
        cut.resize(cut.size() + 100000, 'x');
        c.send(Bytes().u8(2).vec());
        c.send(cut);
        c.send(Bytes().u8(1).u8(0).u16(0).u16(1).zeros(6).vec());
        c.send(Bytes().u8(0).update(1).rect(0, 1, 1, 1, 0).pixel(0, 255, 0).vec());
        EXPECT_EQ(c.expect_bytes(10), vec(encode_update_request(true, 4, 2)));
        // Input queued by the UI arrives in order.
        while (!input_sent) {
            std::this_thread::sleep_for(1ms);
        }
        EXPECT_EQ(c.expect_bytes(8), vec(encode_vnc_input(VncKey{true, 0x61})));
        EXPECT_EQ(c.expect_bytes(8), vec(encode_vnc_input(VncKey{false, 0x61})));
        EXPECT_EQ(c.expect_bytes(6), vec(encode_vnc_input(VncPointer{4, 3, 1})));
        // Closing in the middle of a message while connected ends the session normally.
        c.send(Bytes().u8(0).update(2).rect(0, 0, 1, 1, 0).vec());
        c.close();
    });
    auto handle = start_vnc_worker(launch_for(server.port()));
    ASSERT_TRUE(handle.ok());
    auto& h = handle.value();
    ASSERT_TRUE(wait_status(*h.status, is_connected));
    EXPECT_TRUE(thread_named("remote-vnc"));
    // Wait for the second update.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    std::optional<RfbFramebuffer> snap;
    while (std::chrono::steady_clock::now() < deadline) {
        snap = h.framebuffer->get();
        if (snap && snap->generation() == 2) {
            break;
        }
        std::this_thread::sleep_for(2ms);
    }
    ASSERT_TRUE(snap && snap->generation() == 2);
    EXPECT_EQ(snap->width(), 4);
    EXPECT_EQ(snap->height(), 2);
    EXPECT_EQ(snap->pixel(0, 0), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(snap->pixel(1, 0), (std::array<std::uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_EQ(snap->pixel(2, 0), (std::array<std::uint8_t, 4>{0, 0, 255, 255}));
    EXPECT_EQ(snap->pixel(0, 1), (std::array<std::uint8_t, 4>{0, 255, 0, 255}));

    EXPECT_EQ(send_vnc_input(h.input, VncKey{true, 0x61}), std::nullopt);
    EXPECT_EQ(send_vnc_input(h.input, VncKey{false, 0x61}), std::nullopt);
    EXPECT_EQ(send_vnc_input(h.input, VncPointer{4, 3, 1}), std::nullopt);
    input_sent = true;
    server.join();
    auto end = wait_status(*h.status, is_over);
    ASSERT_TRUE(end);
    EXPECT_EQ(*end, SessionStatus::ended());
    // The snapshot taken earlier is unchanged by the later, failed update.
    EXPECT_EQ(snap->pixel(0, 0), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(h.framebuffer->get()->generation(), 2u);
}

TEST(VncWorker, BlankFramebufferIsPublishedWhenConnected) {
    std::atomic<bool> done{false};
    ScriptServer server([&](ServerConn& c) {
        serve_handshake(c, 3, 3);
        while (!done) {
            std::this_thread::sleep_for(2ms);
        }
    });
    auto handle = start_vnc_worker(launch_for(server.port()));
    ASSERT_TRUE(handle.ok());
    ASSERT_TRUE(wait_status(*handle.value().status, is_connected));
    auto snap = handle.value().framebuffer->get();
    ASSERT_TRUE(snap);
    EXPECT_EQ(snap->generation(), 0u);
    EXPECT_EQ(snap->bytes().size(), 36u);
    for (auto b : snap->bytes()) {
        ASSERT_EQ(b, 0) << "before the first update the picture is fully transparent";
    }
    done = true;
}

TEST(VncWorker, SilentServerGetsAnIncrementalRequestAboutEveryHalfSecond) {
    ScriptServer server([&](ServerConn& c) {
        serve_handshake(c, 8, 8);
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(c.expect_bytes(10, 2s), vec(encode_update_request(true, 8, 8)));
        }
        const auto elapsed = std::chrono::steady_clock::now() - start;
        // Three requests, each 500 ms or more after the previous one, at most a read slice late.
        EXPECT_GE(elapsed, 1500ms);
        EXPECT_LE(elapsed, 2500ms);
    });
    auto handle = start_vnc_worker(launch_for(server.port()));
    ASSERT_TRUE(handle.ok());
    server.join();
}

TEST(VncWorker, DroppingTheSessionStopsTheWorkerQuicklyInEveryPhase) {
    struct Case {
        const char* what;
        bool complete_handshake;
        std::uint8_t status_tag;  // index in SessionStatus::value
    };
    const std::vector<Case> cases = {
        {"waiting for the server's version", false, 0},
        {"connected, waiting for a message", true, 1},
    };
    for (const auto& tc : cases) {
        std::atomic<bool> closed_quickly{false};
        std::atomic<bool> ready{false};
        ScriptServer server([&](ServerConn& c) {
            if (tc.complete_handshake) {
                serve_handshake(c, 2, 2);
            }
            ready = true;
            // About 100 ms is the goal; the margin absorbs a loaded machine.
            closed_quickly = c.wait_closed(500ms);
        });
        auto handle = start_vnc_worker(launch_for(server.port()));
        ASSERT_TRUE(handle.ok());
        auto status = handle.value().status;
        if (tc.complete_handshake) {
            ASSERT_TRUE(wait_status(*status, is_connected));
        }
        while (!ready) {
            std::this_thread::sleep_for(1ms);
        }
        std::this_thread::sleep_for(50ms);
        handle.value().input.reset();  // the session manager drops the session
        server.join();
        EXPECT_TRUE(closed_quickly) << tc.what;
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(status->get()->value.index(), tc.status_tag) << tc.what << ": status unchanged";
    }
}

TEST(VncWorker, FailuresBecomeTheirStatusTexts) {
    struct Case {
        const char* what;
        std::function<void(ServerConn&)> script;
        SessionStatus expected;
    };
    const std::vector<Case> cases = {
        {"closed during the handshake",
         [](ServerConn& c) {
             c.send(Bytes().text("RFB 003.008\n").vec());
             c.expect_bytes(12);
             c.close();
         },
         SessionStatus::failed("connection closed by the server")},
        {"bad version", [](ServerConn& c) { c.send(Bytes().text("RFB 3.889\n\n\n").vec()); },
         SessionStatus::failed("bad ProtocolVersion")},
        {"refused password",
         [](ServerConn& c) {
             c.send(Bytes().text("RFB 003.008\n").u8(1).u8(2).zeros(16).vec());
             c.expect_bytes(12 + 1 + 16);
             c.send(Bytes().u32(1).u32(21).text("Authentication failed").vec());
         },
         SessionStatus::failed("Authentication failed")},
        {"unknown message while connected",
         [](ServerConn& c) {
             serve_handshake(c, 2, 2);
             c.send(Bytes().u8(9).vec());
             c.wait_closed(2s);
         },
         SessionStatus::failed("unknown server message 9")},
        {"bad encoding while connected",
         [](ServerConn& c) {
             serve_handshake(c, 2, 2);
             c.send(Bytes().u8(0).update(1).rect(0, 0, 1, 1, -223).vec());
             c.wait_closed(2s);
         },
         SessionStatus::failed("unsupported RFB encoding -223")},
        {"server closes cleanly while connected",
         [](ServerConn& c) {
             serve_handshake(c, 2, 2);
             c.close();
         },
         SessionStatus::ended()},
    };
    for (const auto& tc : cases) {
        ScriptServer server(tc.script);
        auto handle = start_vnc_worker(launch_for(server.port()));
        ASSERT_TRUE(handle.ok());
        auto end = wait_status(*handle.value().status, is_over);
        server.join();
        ASSERT_TRUE(end) << tc.what;
        EXPECT_EQ(*end, tc.expected) << tc.what << ": got " << end->text();
    }
}

TEST(VncWorker, RefusedConnectionAndAllAddressesTried) {
    // A port nobody listens on: bind one, then close it.
    std::uint16_t port = 0;
    {
        ScriptServer probe([](ServerConn&) {});
        port = probe.port();
        // Connect once so the probe's script ends.
        auto h = start_vnc_worker(launch_for(port));
        ASSERT_TRUE(h.ok());
        probe.join();
    }
    auto handle = start_vnc_worker(launch_for(port));
    ASSERT_TRUE(handle.ok());
    auto end = wait_status(*handle.value().status, is_over);
    ASSERT_TRUE(end);
    EXPECT_EQ(*end, SessionStatus::failed("Connection refused"));

    // "localhost" may resolve to ::1 first; the worker goes on to 127.0.0.1 where we listen.
    std::atomic<bool> done{false};
    ScriptServer server([&](ServerConn& c) {
        serve_handshake(c, 1, 1);
        while (!done) {
            std::this_thread::sleep_for(2ms);
        }
    });
    auto local = start_vnc_worker(VncLaunch{"localhost", server.port(), std::nullopt});
    ASSERT_TRUE(local.ok());
    EXPECT_TRUE(wait_status(*local.value().status, is_connected)->is<SessionStatus::Connected>());
    done = true;
}

TEST(VncWorker, InputIsRefusedWhenBusyOrClosed) {
    std::atomic<bool> release{false};
    ScriptServer server([&](ServerConn& c) {
        // Hold the worker in the handshake, where it does not drain the queue.
        while (!release) {
            std::this_thread::sleep_for(2ms);
        }
        c.close();
    });
    auto handle = start_vnc_worker(launch_for(server.port()));
    ASSERT_TRUE(handle.ok());
    auto& h = handle.value();
    for (std::size_t i = 0; i < kVncInputCapacity; ++i) {
        ASSERT_EQ(send_vnc_input(h.input, VncPointer{0, 1, 1}), std::nullopt) << i;
    }
    EXPECT_EQ(send_vnc_input(h.input, VncPointer{0, 1, 1}),
              "VNC input is busy; wait for the remote desktop to catch up");
    release = true;
    server.join();
    ASSERT_TRUE(wait_status(*h.status, is_over));
    // The worker has gone and dropped its end of the queue.
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (!h.input.closed() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(send_vnc_input(h.input, VncKey{true, 1}), "VNC session input channel is closed");
}

TEST(SessionEnd, ReportingRulesByStatusAndError) {
    struct Case {
        SessionStatus before;
        RfbError error;
        SessionStatus after;
    };
    const RfbError eos{RfbErrorKind::EndOfStream, "connection closed by the server"};
    const RfbError proto = protocol_error("unknown server message 7");
    const std::vector<Case> cases = {
        {SessionStatus::connected(), eos, SessionStatus::ended()},
        {SessionStatus::connecting(), eos,
         SessionStatus::failed("connection closed by the server")},
        {SessionStatus::connected(), proto, SessionStatus::failed("unknown server message 7")},
        {SessionStatus::failed("first"), proto, SessionStatus::failed("first")},
        {SessionStatus::failed("first"), eos, SessionStatus::failed("first")},
        {SessionStatus::connecting(),
         {RfbErrorKind::TimedOut, "Connection timed out"},
         SessionStatus::failed("Connection timed out")},
    };
    for (const auto& c : cases) {
        StatusCell cell(c.before);
        report_session_end(cell, c.error);
        EXPECT_EQ(cell.get(), c.after) << c.error.text;
    }
}

}  // namespace
}  // namespace remote::rfb

namespace remote::rfb {
namespace {

TEST(SystemErrors, RefusedAndTimedOutGetTheirFixedTextsOthersTheSystemText) {
    struct Case {
        int err;
        RfbErrorKind kind;
        std::string text;
    };
    const std::vector<Case> cases = {
        {ECONNREFUSED, RfbErrorKind::Refused, "Connection refused"},
        {ETIMEDOUT, RfbErrorKind::TimedOut, "Connection timed out"},
        {ECONNRESET, RfbErrorKind::System, std::system_category().message(ECONNRESET)},
        {EHOSTUNREACH, RfbErrorKind::System, std::system_category().message(EHOSTUNREACH)},
    };
    for (const auto& c : cases) {
        const RfbError e = system_error(c.err);
        EXPECT_EQ(e.kind, c.kind) << c.err;
        EXPECT_EQ(e.text, c.text) << c.err;
        EXPECT_FALSE(e.text.empty());
    }
}

}  // namespace
}  // namespace remote::rfb
