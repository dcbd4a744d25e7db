#include "ssh/libssh_handles.hpp"

#include <poll.h>

#include <thread>

namespace remote::ssh {

void wait_for_socket(ssh_session session, std::chrono::milliseconds timeout) {
    const socket_t fd = ssh_get_fd(session);
    if (fd == SSH_INVALID_SOCKET) {
        std::this_thread::sleep_for(timeout);
        return;
    }
    pollfd p{};
    p.fd = fd;
    p.events = POLLIN;
    if ((ssh_get_poll_flags(session) & SSH_WRITE_PENDING) != 0) {
        p.events |= POLLOUT;
    }
    ::poll(&p, 1, static_cast<int>(timeout.count()));
}

}  // namespace remote::ssh
