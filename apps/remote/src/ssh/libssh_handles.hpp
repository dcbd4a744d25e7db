#pragma once
// Owning handles for libssh objects, and the wait that drives a non-blocking libssh step.

#include <libssh/libssh.h>

#include <chrono>
#include <memory>

#include "ssh/ssh_input.hpp"

namespace remote::ssh {

struct SessionFree {
    void operator()(ssh_session s) const { ssh_free(s); }
};
struct ChannelFree {
    void operator()(ssh_channel c) const { ssh_channel_free(c); }
};
struct KeyFree {
    void operator()(ssh_key k) const { ssh_key_free(k); }
};
struct EventFree {
    void operator()(ssh_event e) const { ssh_event_free(e); }
};

using SessionHandle = std::unique_ptr<std::remove_pointer_t<ssh_session>, SessionFree>;
using ChannelHandle = std::unique_ptr<std::remove_pointer_t<ssh_channel>, ChannelFree>;
using KeyHandle = std::unique_ptr<std::remove_pointer_t<ssh_key>, KeyFree>;
using EventHandle = std::unique_ptr<std::remove_pointer_t<ssh_event>, EventFree>;

// The outcome of driving a step: its final return code, or Abandoned when every input sender
// went away (the owner dropped the session) before the step finished.
struct StepResult {
    int code = SSH_ERROR;
    bool abandoned = false;
};

// Calls step() until it returns something other than `again`, sleeping on the socket between
// calls. Gives up as soon as the owner has dropped the session.
template <class Step>
StepResult drive_step(ssh_session session, const InputReceiver& input, int again, Step&& step);

void wait_for_socket(ssh_session session, std::chrono::milliseconds timeout);

template <class Step>
StepResult drive_step(ssh_session session, const InputReceiver& input, int again, Step&& step) {
    for (;;) {
        const int code = step();
        if (code != again) {
            return {code, false};
        }
        if (input.closed()) {
            return {code, true};
        }
        wait_for_socket(session, std::chrono::milliseconds(10));
    }
}

}  // namespace remote::ssh
