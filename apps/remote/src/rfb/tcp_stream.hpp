#pragma once
// A TCP connection for the VNC worker: blocking semantics on a non-blocking socket, so every
// wait can also notice that the session was dropped. Waits are sliced into short polls; between
// slices the cancel check runs, and a cancelled wait fails with RfbErrorKind::Cancelled.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "rfb/rfb_stream.hpp"

namespace remote::rfb {

using CancelCheck = std::function<bool()>;

inline constexpr std::chrono::milliseconds kCancelSlice{50};

class TcpStream final : public RfbStream {
  public:
    // Resolves host and port and tries each address in order; the last attempt's error is the
    // result. Sets TCP no-delay (a failure to do so is ignored).
    static RfbResult<TcpStream> connect(const std::string& host, std::uint16_t port,
                                        CancelCheck cancelled);

    TcpStream(TcpStream&& other) noexcept;
    TcpStream& operator=(TcpStream&& other) noexcept;
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;
    ~TcpStream() override;

    // Waits as long as it takes (unless cancelled).
    RfbStatus read_exact(std::span<std::uint8_t> out) override;
    RfbResult<std::span<const std::uint8_t>> read_some(std::size_t max) override;
    RfbStatus write_all(std::span<const std::uint8_t> bytes) override;

    // Waits at most the timeout for one byte; none when nothing arrived in time.
    RfbResult<std::optional<std::uint8_t>> read_byte_within(std::chrono::milliseconds timeout);

  private:
    TcpStream(int fd, CancelCheck cancelled);
    // Waits until the socket is ready for the events or the deadline passes (none: forever).
    // Returns true when ready, false on timeout.
    RfbResult<bool> wait_for(short events,
                             std::optional<std::chrono::steady_clock::time_point> deadline);
    // Reads what is available into the buffer (at least one byte); fails on end of stream.
    RfbStatus fill_buffer();

    int fd_ = -1;
    CancelCheck cancelled_;
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

// The error for an errno value: "Connection refused", "Connection timed out", or the system's
// text.
RfbError system_error(int err);

}  // namespace remote::rfb
