#pragma once
// The byte stream the protocol code reads and writes: a TCP socket in the worker, memory in
// tests, fuzzing and benchmarks. Reads are exact: a read either fills the whole buffer or fails
// (end of stream, a system error, or the session being dropped).

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
    virtual RfbStatus write_all(std::span<const std::uint8_t> bytes) = 0;
};

inline RfbError end_of_stream_error() {
    return {RfbErrorKind::EndOfStream, "connection closed by the server"};
}

// Reads from a byte buffer and collects what is written. Running out of input is an end of
// stream, as a closed connection would be.
class MemoryStream final : public RfbStream {
  public:
    explicit MemoryStream(std::span<const std::uint8_t> input) : input_(input) {}

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

    RfbStatus write_all(std::span<const std::uint8_t> bytes) override {
        written_.insert(written_.end(), bytes.begin(), bytes.end());
        return ok_status();
    }

    std::size_t remaining() const { return input_.size() - pos_; }
    const std::vector<std::uint8_t>& written() const { return written_; }
    void rewind() { pos_ = 0; }

  private:
    std::span<const std::uint8_t> input_;
    std::size_t pos_ = 0;
    std::vector<std::uint8_t> written_;
};

}  // namespace remote::rfb
