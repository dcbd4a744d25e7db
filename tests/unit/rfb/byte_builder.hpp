#pragma once
// Builds server byte scripts for the RFB tests.

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace remote::rfb::testing {

class Bytes {
  public:
    Bytes& u8(std::uint8_t v) {
        data_.push_back(v);
        return *this;
    }
    Bytes& u16(std::uint16_t v) {
        return u8(static_cast<std::uint8_t>(v >> 8)).u8(static_cast<std::uint8_t>(v));
    }
    Bytes& u32(std::uint32_t v) {
        return u16(static_cast<std::uint16_t>(v >> 16)).u16(static_cast<std::uint16_t>(v));
    }
    Bytes& s32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    Bytes& text(std::string_view s) {
        data_.insert(data_.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& raw(std::initializer_list<std::uint8_t> b) {
        data_.insert(data_.end(), b.begin(), b.end());
        return *this;
    }
    Bytes& append(const std::vector<std::uint8_t>& b) {
        data_.insert(data_.end(), b.begin(), b.end());
        return *this;
    }
    Bytes& zeros(std::size_t n) {
        data_.insert(data_.end(), n, 0);
        return *this;
    }
    // A pixel in the client format (little-endian 0x00RRGGBB).
    Bytes& pixel(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return u8(b).u8(g).u8(r).u8(0); }
    // A rectangle header.
    Bytes& rect(std::uint16_t x, std::uint16_t y, std::uint16_t w, std::uint16_t h,
                std::int32_t enc) {
        return u16(x).u16(y).u16(w).u16(h).s32(enc);
    }
    // FramebufferUpdate body after the type byte: padding and count.
    Bytes& update(std::uint16_t count) { return u8(0).u16(count); }
    // ServerInit with the given size and name.
    Bytes& server_init(std::uint16_t w, std::uint16_t h, std::string_view name) {
        u16(w).u16(h).raw({32, 24, 0, 1, 0, 255, 0, 255, 0, 255, 16, 8, 0, 0, 0, 0});
        return u32(static_cast<std::uint32_t>(name.size())).text(name);
    }
    const std::vector<std::uint8_t>& vec() const { return data_; }
    operator const std::vector<std::uint8_t>&() const { return data_; }

  private:
    std::vector<std::uint8_t> data_;
};

}  // namespace remote::rfb::testing
