#pragma once
// RfbFramebuffer: the client's copy of the remote desktop, RGBA (straight alpha), row-major,
// stride width × 4. Pixels never written by a server stay transparent black.
//
// Copies share the pixel buffer: a copy is a snapshot. The worker reaches the pixels for writing
// only through own_pixels(), which first makes the buffer exclusive when a snapshot still shares
// it, so a published snapshot never changes afterwards and the UI reads it without a lock.
//
// Making it exclusive rarely copies the whole frame: the framebuffer keeps the buffer it used
// before and the places written since. Once every snapshot of that older buffer is gone (the UI
// holds one frame at a time), only those places are brought up to date in it and it becomes the
// current buffer again. A small update then costs a small copy, not a full frame.

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
    // A copy is a snapshot: it shares the pixels and takes no part in recycling.
    RfbFramebuffer(const RfbFramebuffer& other);
    RfbFramebuffer& operator=(const RfbFramebuffer& other);
    RfbFramebuffer(RfbFramebuffer&&) noexcept = default;
    RfbFramebuffer& operator=(RfbFramebuffer&&) noexcept = default;

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

    // Makes the buffer exclusively this object's and gives write access to it, for writing
    // within the given rectangle (clipped here; the whole framebuffer when none is given).
    // Writes outside the announced rectangle would be lost when a buffer is recycled.
    PixelPlane own_pixels();
    PixelPlane own_pixels(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h);
    // Writes one pixel; ignored outside the framebuffer.
    void write_pixel(std::uint32_t x, std::uint32_t y, std::array<std::uint8_t, 4> rgba);

    bool generation_exhausted() const { return generation_ == UINT64_MAX; }
    void advance_generation() { ++generation_; }

  private:
    struct Area {
        std::uint32_t x = 0, y = 0, w = 0, h = 0;
    };
    void note_written(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h);
    void bring_spare_up_to_date();

    std::shared_ptr<std::vector<std::uint8_t>> pixels_;
    // The buffer used before the current one, and where the current one differs from it.
    std::shared_ptr<std::vector<std::uint8_t>> spare_;
    std::vector<Area> spare_behind_;
    bool spare_all_behind_ = false;
    std::uint64_t generation_ = 0;
    std::uint16_t width_ = 0;
    std::uint16_t height_ = 0;
};

}  // namespace remote::rfb
