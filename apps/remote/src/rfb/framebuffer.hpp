#pragma once
// RfbFramebuffer: the client's copy of the remote desktop, RGBA (straight alpha), row-major,
// stride width × 4. Pixels never written by a server stay transparent black.
//
// Copies share the pixel buffer: a copy is a snapshot. The worker reaches the pixels for writing
// only through own_pixels(), which first copies the buffer when a snapshot still shares it, so a
// published snapshot never changes afterwards and the UI reads it without a lock.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace remote::rfb {

// Writable view of an exclusively owned pixel buffer. Coordinates are not checked here; the
// decoders clip every write to width and height.
struct PixelPlane {
    std::uint8_t* data = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t* at(std::uint32_t x, std::uint32_t y) const {
        return data + (std::size_t{y} * width + x) * 4;
    }
};

class RfbFramebuffer {
  public:
    RfbFramebuffer() : RfbFramebuffer(0, 0) {}
    // Zero-filled; a session starts at generation 0.
    RfbFramebuffer(std::uint16_t width, std::uint16_t height, std::uint64_t generation = 0);

    std::uint16_t width() const { return width_; }
    std::uint16_t height() const { return height_; }
    std::uint64_t generation() const { return generation_; }
    std::span<const std::uint8_t> bytes() const { return *pixels_; }
    // The shared buffer itself, so a drawing image can keep it alive without copying.
    std::shared_ptr<const std::vector<std::uint8_t>> shared_bytes() const { return pixels_; }

    // The four bytes at (x, y); transparent black outside the framebuffer.
    std::array<std::uint8_t, 4> pixel(std::uint32_t x, std::uint32_t y) const;

    // A copy of the four fields sharing the pixel buffer.
    RfbFramebuffer snapshot() const { return *this; }
    bool shares_pixels_with(const RfbFramebuffer& other) const { return pixels_ == other.pixels_; }

    // Makes the buffer exclusively this object's (copying it if a snapshot shares it) and gives
    // write access to it.
    PixelPlane own_pixels();
    // Writes one pixel; ignored outside the framebuffer.
    void write_pixel(std::uint32_t x, std::uint32_t y, std::array<std::uint8_t, 4> rgba);

    bool generation_exhausted() const { return generation_ == UINT64_MAX; }
    void advance_generation() { ++generation_; }

  private:
    std::shared_ptr<std::vector<std::uint8_t>> pixels_;
    std::uint64_t generation_ = 0;
    std::uint16_t width_ = 0;
    std::uint16_t height_ = 0;
};

}  // namespace remote::rfb
