#include "rfb/tcp_stream.hpp"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>
#include <utility>

namespace remote::rfb {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

RfbError cancelled_error() {
    return {RfbErrorKind::Cancelled, "session dropped"};
}

struct AddrInfoDeleter {
    void operator()(addrinfo* p) const { freeaddrinfo(p); }
};

// Connects one address, waiting in slices so a dropped session is noticed.
RfbResult<int> connect_one(const addrinfo& ai, const CancelCheck& cancelled) {
    const int fd =
        ::socket(ai.ai_family, ai.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai.ai_protocol);
    if (fd < 0) {
        return system_error(errno);
    }
    if (::connect(fd, ai.ai_addr, ai.ai_addrlen) == 0) {
        return fd;
    }
    if (errno != EINPROGRESS && errno != EINTR) {
        const int err = errno;
        ::close(fd);
        return system_error(err);
    }
    for (;;) {
        if (cancelled && cancelled()) {
            ::close(fd);
            return cancelled_error();
        }
        pollfd p{fd, POLLOUT, 0};
        const int n = ::poll(&p, 1, static_cast<int>(kCancelSlice.count()));
        if (n < 0 && errno != EINTR) {
            const int err = errno;
            ::close(fd);
            return system_error(err);
        }
        if (n > 0) {
            int err = 0;
            socklen_t len = sizeof err;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) {
                err = errno;
            }
            if (err != 0) {
                ::close(fd);
                return system_error(err);
            }
            return fd;
        }
    }
}

}  // namespace

RfbError system_error(int err) {
    if (err == ECONNREFUSED) {
        return {RfbErrorKind::Refused, "Connection refused"};
    }
    if (err == ETIMEDOUT) {
        return {RfbErrorKind::TimedOut, "Connection timed out"};
    }
    return {RfbErrorKind::System, std::system_category().message(err)};
}

RfbResult<TcpStream> TcpStream::connect(const std::string& host, std::uint16_t port,
                                        CancelCheck cancelled) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo* raw = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &raw);
    const std::unique_ptr<addrinfo, AddrInfoDeleter> list(raw);
    if (rc != 0) {
        if (rc == EAI_SYSTEM) {
            return system_error(errno);
        }
        return RfbError{RfbErrorKind::System, ::gai_strerror(rc)};
    }
    RfbError last{RfbErrorKind::System, "no address found for " + host};
    for (const addrinfo* ai = list.get(); ai != nullptr; ai = ai->ai_next) {
        auto fd = connect_one(*ai, cancelled);
        if (fd) {
            const int one = 1;
            static_cast<void>(::setsockopt(fd.value(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one));
            return TcpStream(fd.value(), std::move(cancelled));
        }
        last = fd.error();
        if (last.kind == RfbErrorKind::Cancelled) {
            break;
        }
    }
    return last;
}

TcpStream::TcpStream(int fd, CancelCheck cancelled)
    : fd_(fd), cancelled_(std::move(cancelled)), buffer_(kBufferSize) {}

TcpStream::TcpStream(TcpStream&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      cancelled_(std::move(other.cancelled_)),
      buffer_(std::move(other.buffer_)),
      begin_(other.begin_),
      end_(other.end_) {}

TcpStream& TcpStream::operator=(TcpStream&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        cancelled_ = std::move(other.cancelled_);
        buffer_ = std::move(other.buffer_);
        begin_ = other.begin_;
        end_ = other.end_;
    }
    return *this;
}

TcpStream::~TcpStream() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

RfbResult<bool> TcpStream::wait_for(short events,
                                    std::optional<std::chrono::steady_clock::time_point> deadline) {
    for (;;) {
        if (cancelled_ && cancelled_()) {
            return cancelled_error();
        }
        auto slice = kCancelSlice;
        if (deadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                *deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            slice = std::min(slice, left);
        }
        pollfd p{fd_, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(slice.count()));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return system_error(errno);
        }
        if (n > 0) {
            return true;  // ready, or an error/hang-up that the next call reports
        }
    }
}

RfbStatus TcpStream::fill_buffer() {
    for (;;) {
        const ssize_t n = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
        if (n > 0) {
            begin_ = 0;
            end_ = static_cast<std::size_t>(n);
            return ok_status();
        }
        if (n == 0) {
            return end_of_stream_error();
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return system_error(errno);
        }
        auto ready = wait_for(POLLIN, std::nullopt);
        if (!ready) {
            return ready.error();
        }
    }
}

RfbStatus TcpStream::read_exact(std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        if (begin_ == end_) {
            if (auto r = fill_buffer(); !r) {
                return r;
            }
        }
        const std::size_t n = std::min(end_ - begin_, out.size() - done);
        std::memcpy(out.data() + done, buffer_.data() + begin_, n);
        begin_ += n;
        done += n;
    }
    return ok_status();
}

RfbResult<std::span<const std::uint8_t>> TcpStream::read_some(std::size_t max) {
    if (begin_ == end_) {
        if (auto r = fill_buffer(); !r) {
            return r.error();
        }
    }
    const std::size_t n = std::min(end_ - begin_, max);
    const auto view = std::span<const std::uint8_t>(buffer_.data() + begin_, n);
    begin_ += n;
    return view;
}

RfbResult<std::optional<std::uint8_t>> TcpStream::read_byte_within(
    std::chrono::milliseconds timeout) {
    if (begin_ == end_) {
        auto ready = wait_for(POLLIN, std::chrono::steady_clock::now() + timeout);
        if (!ready) {
            return ready.error();
        }
        if (!ready.value()) {
            return std::optional<std::uint8_t>{};
        }
        if (auto r = fill_buffer(); !r) {
            return r.error();
        }
    }
    return std::optional<std::uint8_t>{buffer_[begin_++]};
}

RfbStatus TcpStream::write_all(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return system_error(errno);
        }
        auto ready = wait_for(POLLOUT, std::nullopt);
        if (!ready) {
            return ready.error();
        }
    }
    return ok_status();
}

}  // namespace remote::rfb
