#pragma once
// The VNC worker: the body of the "remote-vnc" thread. It connects, runs the handshake, then
// interleaves the user's input with the server's messages until the server closes, an error
// occurs or the session is dropped (its input queue closes). It talks to the UI thread only
// through the input queue, the status cell and the framebuffer cell.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "rfb/framebuffer.hpp"
#include "rfb/rfb_error.hpp"
#include "rfb/vnc_input.hpp"
#include "session/session_status.hpp"
#include "sync/bounded_queue.hpp"
#include "sync/latest_cell.hpp"

namespace remote::rfb {

using StatusCell = sync::LatestCell<SessionStatus>;
using FramebufferCell = sync::LatestCell<RfbFramebuffer>;

inline constexpr std::size_t kVncInputCapacity = 256;
inline constexpr std::chrono::milliseconds kServerReadTimeout{100};
inline constexpr std::chrono::milliseconds kUpdateRequestInterval{500};

struct VncWorkerIo {
    sync::Receiver<VncInput> input;
    std::shared_ptr<StatusCell> status;
    std::shared_ptr<FramebufferCell> framebuffer;
};

// Runs the whole session on the calling thread and returns when it is over. The end is reported
// in the status cell; a dropped session leaves the status as it was.
void run_vnc_worker(const VncLaunch& launch, VncWorkerIo io);

// How an error ends a session: an end of stream while connected is Ended; a status already
// Failed stays; anything else becomes Failed with the error's text.
void report_session_end(StatusCell& status, const RfbError& error);

// The UI-side ends of a started worker.
struct VncWorkerHandle {
    sync::Sender<VncInput> input;
    std::shared_ptr<StatusCell> status;
    std::shared_ptr<FramebufferCell> framebuffer;
};

// Creates the queue (256 orders) and the cells (Connecting, empty), and starts the worker on a
// detached thread named "remote-vnc". Never waits for the network. Fails with the system's text
// when the thread cannot be started.
RfbResult<VncWorkerHandle> start_vnc_worker(VncLaunch launch);

// Offers an order without waiting; the error text when the queue is full or closed.
std::optional<std::string> send_vnc_input(sync::Sender<VncInput>& input, const VncInput& order);

}  // namespace remote::rfb
