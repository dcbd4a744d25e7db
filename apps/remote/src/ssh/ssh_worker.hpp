#pragma once
// The body of the "remote-ssh" thread: one SSH client connection driven by a single poll() loop
// over the SSH socket and the input queue. It talks to the UI thread only through the two queues
// and the status and review cells.

#include <memory>
#include <optional>
#include <string>

#include "session/session_status.hpp"
#include "ssh/host_key_review.hpp"
#include "ssh/ssh_input.hpp"
#include "ssh/ssh_launch.hpp"
#include "sync/latest_cell.hpp"

namespace remote::ssh {

using StatusCell = sync::LatestCell<SessionStatus>;

struct SshWorkerIo {
    InputReceiver input;
    OutputSender output;
    std::shared_ptr<StatusCell> status;
    std::shared_ptr<ReviewCell> review;
};

// Runs the whole session on the calling thread and returns when it is over: the status ends
// Connected→Ended after a clean leave, or Failed with the reason. Failed is never overwritten.
void run_ssh_worker(const SshLaunch& launch, SshWorkerIo io);

// Records the end of a session that stopped with an error: Failed with the text unless the
// status already says Failed.
void report_failure(StatusCell& status, const std::string& text);

}  // namespace remote::ssh
