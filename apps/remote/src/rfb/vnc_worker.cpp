#include "rfb/vnc_worker.hpp"

#include <pthread.h>

#include <system_error>
#include <thread>

#include "rfb/client_messages.hpp"
#include "rfb/handshake.hpp"
#include "rfb/tcp_stream.hpp"
#include "rfb/update_decoder.hpp"

namespace remote::rfb {
namespace {

using Clock = std::chrono::steady_clock;

RfbStatus request_update(TcpStream& stream, const RfbFramebuffer& fb, bool incremental,
                         Clock::time_point& last_request) {
    const auto request = encode_update_request(incremental, fb.width(), fb.height());
    if (auto r = stream.write_all(request); !r) {
        return r;
    }
    last_request = Clock::now();
    return ok_status();
}

RfbStatus session_loop(TcpStream& stream, VncWorkerIo& io, RfbFramebuffer& fb,
                       const RfbPixelFormat& format, Clock::time_point last_request) {
    DecodeScratch scratch;
    for (;;) {
        auto order = io.input.take_if_present();
        if (order.status == sync::TakeStatus::Item) {
            if (auto r = stream.write_all(encode_vnc_input(*order.item)); !r) {
                return r;
            }
            continue;  // waiting orders go out before the next server message is read
        }
        if (order.status == sync::TakeStatus::Closed) {
            return ok_status();
        }
        auto type = stream.read_byte_within(kServerReadTimeout);
        if (!type) {
            return type.error();
        }
        if (!type.value()) {
            if (Clock::now() - last_request >= kUpdateRequestInterval) {
                if (auto r = request_update(stream, fb, true, last_request); !r) {
                    return r;
                }
            }
            continue;
        }
        auto message = read_server_message(*type.value(), stream, fb, format, scratch);
        if (!message) {
            return message.error();
        }
        if (message.value() == ServerMessage::FramebufferUpdate) {
            io.framebuffer->set(fb.snapshot());
            if (auto r = request_update(stream, fb, true, last_request); !r) {
                return r;
            }
        }
    }
}

RfbStatus run_session(const VncLaunch& launch, VncWorkerIo& io) {
    sync::Receiver<VncInput>& input = io.input;
    auto stream = TcpStream::connect(launch.host, launch.port, [&input] { return input.closed(); });
    if (!stream) {
        return stream.error();
    }
    TcpStream& s = stream.value();
    auto init = run_handshake(s, launch.password);
    if (!init) {
        return init.error();
    }
    const RfbPixelFormat format = client_pixel_format();
    if (auto r = s.write_all(encode_set_pixel_format(format)); !r) {
        return r;
    }
    if (auto r = s.write_all(encode_set_encodings()); !r) {
        return r;
    }
    RfbFramebuffer fb(init.value().width, init.value().height);
    Clock::time_point last_request{};
    if (auto r = request_update(s, fb, false, last_request); !r) {
        return r;
    }
    io.status->set(SessionStatus::connected());
    io.framebuffer->set(fb.snapshot());
    return session_loop(s, io, fb, format, Clock::now());
}

}  // namespace

void report_session_end(StatusCell& status, const RfbError& error) {
    status.update([&](std::optional<SessionStatus>& current) {
        if (current && current->is<SessionStatus::Failed>()) {
            return;
        }
        if (error.kind == RfbErrorKind::EndOfStream && current &&
            current->is<SessionStatus::Connected>()) {
            current = SessionStatus::ended();
            return;
        }
        current = SessionStatus::failed(error.text);
    });
}

void run_vnc_worker(const VncLaunch& launch, VncWorkerIo io) {
    const RfbStatus result = run_session(launch, io);
    // The socket is closed by now; a dropped session ends silently.
    if (!result && result.error().kind != RfbErrorKind::Cancelled) {
        report_session_end(*io.status, result.error());
    }
}

RfbResult<VncWorkerHandle> start_vnc_worker(VncLaunch launch) {
    auto [sender, receiver] = sync::make_bounded_queue<VncInput>(kVncInputCapacity);
    auto status = std::make_shared<StatusCell>(SessionStatus::connecting());
    auto framebuffer = std::make_shared<FramebufferCell>();
    VncWorkerIo io{std::move(receiver), status, framebuffer};
    try {
        std::thread worker([launch = std::move(launch), io = std::move(io)]() mutable {
            pthread_setname_np(pthread_self(), "remote-vnc");
            run_vnc_worker(launch, std::move(io));
        });
        worker.detach();
    } catch (const std::system_error& e) {
        return RfbError{RfbErrorKind::System, e.code().message()};
    }
    return VncWorkerHandle{std::move(sender), std::move(status), std::move(framebuffer)};
}

std::optional<std::string> send_vnc_input(sync::Sender<VncInput>& input, const VncInput& order) {
    switch (input.offer(order)) {
        case sync::SendStatus::Ok:
            return std::nullopt;
        case sync::SendStatus::Full:
            return "VNC input is busy; wait for the remote desktop to catch up";
        case sync::SendStatus::Closed:
            break;
    }
    return "VNC session input channel is closed";
}

}  // namespace remote::rfb
