#include "rfb/framebuffer.hpp"

#include <atomic>

namespace remote::rfb {

RfbFramebuffer::RfbFramebuffer(std::uint16_t width, std::uint16_t height, std::uint64_t generation)
    : pixels_(std::make_shared<std::vector<std::uint8_t>>(std::size_t{width} * height * 4, 0)),
      generation_(generation),
      width_(width),
      height_(height) {}

std::array<std::uint8_t, 4> RfbFramebuffer::pixel(std::uint32_t x, std::uint32_t y) const {
    if (x >= width_ || y >= height_) {
        return {0, 0, 0, 0};
    }
    const std::uint8_t* p = pixels_->data() + (std::size_t{y} * width_ + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

PixelPlane RfbFramebuffer::own_pixels() {
    // use_count() == 1 means no snapshot exists anywhere, and only this object could make one.
    if (pixels_.use_count() > 1) {
        pixels_ = std::make_shared<std::vector<std::uint8_t>>(*pixels_);
    } else {
        // The last other holder let go with a release decrement; pair with it so its reads of
        // the old pixels happen before our writes.
        std::atomic_thread_fence(std::memory_order_acquire);
    }
    return PixelPlane{pixels_->data(), width_, height_};
}

void RfbFramebuffer::write_pixel(std::uint32_t x, std::uint32_t y,
                                 std::array<std::uint8_t, 4> rgba) {
    if (x >= width_ || y >= height_) {
        return;
    }
    std::uint8_t* p = own_pixels().at(x, y);
    p[0] = rgba[0];
    p[1] = rgba[1];
    p[2] = rgba[2];
    p[3] = rgba[3];
}

}  // namespace remote::rfb
