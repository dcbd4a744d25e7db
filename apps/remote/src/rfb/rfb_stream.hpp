#pragma once
// The byte stream the protocol code reads and writes: a TCP socket in the worker, memory in
// tests, fuzzing and benchmarks. Reads are exact: a read either fills the whole buffer or fails
// (end of stream, a system error, or the session being dropped).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "rfb/rfb_error.hpp"

namespace remote::rfb {

class RfbStream {
  public:
    virtual ~RfbStream() = default;
    virtual RfbStatus read_exact(std::span<std::uint8_t> out) = 0;
    // Consumes and returns between 1 and max bytes that are available now, waiting only when
    // none is; max must be at least 1. The view stays valid until the next call on the stream.
    // Lets bulk data (Raw pixels) be converted straight from the stream's own buffer.
    virtual RfbResult<std::span<const std::uint8_t>> read_some(std::size_t max) = 0;
    virtual RfbStatus write_all(std::span<const std::uint8_t> bytes) = 0;
};

inline RfbError end_of_stream_error() {
    return {RfbErrorKind::EndOfStream, "connection closed by the server"};
}

// Reads from a byte buffer and collects what is written. Running out of input is an end of
// stream, as a closed connection would be.
class MemoryStream final : public RfbStream {
  public:
    // read_some hands out at most max_piece bytes at a time, as a network delivering small
    // segments would.
    explicit MemoryStream(std::span<const std::uint8_t> input, std::size_t max_piece = SIZE_MAX)
        : input_(input), max_piece_(max_piece == 0 ? 1 : max_piece) {}

    RfbStatus read_exact(std::span<std::uint8_t> out) override {
        if (out.size() > input_.size() - pos_) {
            pos_ = input_.size();
            return end_of_stream_error();
        }
        if (!out.empty()) {
            std::memcpy(out.data(), input_.data() + pos_, out.size());
        }
        pos_ += out.size();
        return ok_status();
    }

    RfbResult<std::span<const std::uint8_t>> read_some(std::size_t max) override {
        if (pos_ == input_.size()) {
            return end_of_stream_error();
        }
        const std::size_t n = std::min({max, max_piece_, input_.size() - pos_});
        const auto view = input_.subspan(pos_, n);
        pos_ += n;
        return view;
    }

    RfbStatus write_all(std::span<const std::uint8_t> bytes) override {
        written_.insert(written_.end(), bytes.begin(), bytes.end());
        return ok_status();
    }

    std::size_t remaining() const { return input_.size() - pos_; }
    const std::vector<std::uint8_t>& written() const { return written_; }
    void rewind() { pos_ = 0; }

  private:
    std::span<const std::uint8_t> input_;
    std::size_t max_piece_;
    std::size_t pos_ = 0;
    std::vector<std::uint8_t> written_;
};

}  // namespace remote::rfb
