#include "rfb/framebuffer.hpp"

#include <algorithm>
#include <atomic>
#include <cstring>

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

namespace {

// Past this many separate areas, bringing a spare buffer up to date copies it whole.
constexpr std::size_t kMaxTrackedAreas = 64;

std::uint32_t clipped(std::uint32_t start, std::uint32_t length, std::uint32_t limit) {
    if (start >= limit) {
        return 0;
    }
    return std::min(length, limit - start);
}

}  // namespace

RfbFramebuffer::RfbFramebuffer(const RfbFramebuffer& other)
    : pixels_(other.pixels_),
      generation_(other.generation_),
      width_(other.width_),
      height_(other.height_) {}

RfbFramebuffer& RfbFramebuffer::operator=(const RfbFramebuffer& other) {
    if (this != &other) {
        pixels_ = other.pixels_;
        spare_.reset();
        spare_behind_.clear();
        spare_all_behind_ = false;
        generation_ = other.generation_;
        width_ = other.width_;
        height_ = other.height_;
    }
    return *this;
}

PixelPlane RfbFramebuffer::own_pixels() {
    return own_pixels(0, 0, width_, height_);
}

PixelPlane RfbFramebuffer::own_pixels(std::uint32_t x, std::uint32_t y, std::uint32_t w,
                                      std::uint32_t h) {
    // use_count() == 1 means no snapshot exists anywhere, and only this object could make one.
    if (pixels_.use_count() > 1) {
        if (spare_ && spare_.use_count() == 1) {
            // The last other holder let go with a release decrement; pair with it so its reads
            // of the old pixels happen before our writes.
            std::atomic_thread_fence(std::memory_order_acquire);
            bring_spare_up_to_date();
            std::swap(pixels_, spare_);
        } else {
            auto copy = std::make_shared<std::vector<std::uint8_t>>(*pixels_);
            spare_ = std::move(pixels_);
            pixels_ = std::move(copy);
        }
        spare_behind_.clear();
        spare_all_behind_ = false;
    } else {
        std::atomic_thread_fence(std::memory_order_acquire);
    }
    note_written(x, y, w, h);
    return PixelPlane{pixels_->data(), width_, height_};
}

void RfbFramebuffer::note_written(std::uint32_t x, std::uint32_t y, std::uint32_t w,
                                  std::uint32_t h) {
    if (!spare_ || spare_all_behind_) {
        return;
    }
    const std::uint32_t cols = clipped(x, w, width_);
    const std::uint32_t rows = clipped(y, h, height_);
    if (cols == 0 || rows == 0) {
        return;
    }
    if (spare_behind_.size() == kMaxTrackedAreas) {
        spare_behind_.clear();
        spare_all_behind_ = true;
        return;
    }
    spare_behind_.push_back(Area{x, y, cols, rows});
}

void RfbFramebuffer::bring_spare_up_to_date() {
    const std::vector<std::uint8_t>& from = *pixels_;
    std::vector<std::uint8_t>& to = *spare_;
    if (spare_all_behind_) {
        to = from;
        return;
    }
    const std::size_t stride = std::size_t{width_} * 4;
    for (const Area& a : spare_behind_) {
        for (std::uint32_t row = a.y; row < a.y + a.h; ++row) {
            const std::size_t at = row * stride + std::size_t{a.x} * 4;
            std::memcpy(to.data() + at, from.data() + at, std::size_t{a.w} * 4);
        }
    }
}

void RfbFramebuffer::write_pixel(std::uint32_t x, std::uint32_t y,
                                 std::array<std::uint8_t, 4> rgba) {
    if (x >= width_ || y >= height_) {
        return;
    }
    std::uint8_t* p = own_pixels(x, y, 1, 1).at(x, y);
    p[0] = rgba[0];
    p[1] = rgba[1];
    p[2] = rgba[2];
    p[3] = rgba[3];
}

}  // namespace remote::rfb
