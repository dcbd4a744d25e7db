#pragma once
// A deliberately naive model of FramebufferUpdate decoding, written pixel by pixel from the
// protocol rules (saturating 16-bit coordinates, CopyRect through a temporary list, RRE
// background then subrectangles). The real decoder clips and copies whole rows; its results
// must be identical to this model's.

#include <array>
#include <cstdint>
#include <vector>

namespace remote::rfb::testing {

struct ModelRect {
    ModelRect(std::uint16_t x_, std::uint16_t y_, std::uint16_t w_, std::uint16_t h_,
              std::int32_t encoding_)
        : x(x_), y(y_), w(w_), h(h_), encoding(encoding_) {}
    std::uint16_t x, y, w, h;
    std::int32_t encoding;
    std::vector<std::array<std::uint8_t, 3>> raw;  // Raw: w*h RGB pixels
    std::uint16_t src_x = 0, src_y = 0;            // CopyRect
    std::array<std::uint8_t, 3> background{};      // RRE
    struct Sub {
        std::array<std::uint8_t, 3> rgb;
        std::uint16_t x, y, w, h;
    };
    std::vector<Sub> subs;  // RRE
};

class Model {
  public:
    Model(std::uint16_t w, std::uint16_t h) : w_(w), h_(h), px_(std::size_t{w} * h * 4, 0) {}

    static std::uint16_t sat(std::uint32_t a, std::uint32_t b) {
        return static_cast<std::uint16_t>(a + b > 65535 ? 65535 : a + b);
    }
    std::array<std::uint8_t, 4> get(std::uint32_t x, std::uint32_t y) const {
        if (x >= w_ || y >= h_) {
            return {0, 0, 0, 0};
        }
        const std::size_t o = (std::size_t{y} * w_ + x) * 4;
        return {px_[o], px_[o + 1], px_[o + 2], px_[o + 3]};
    }
    void put(std::uint32_t x, std::uint32_t y, std::array<std::uint8_t, 4> v) {
        if (x >= w_ || y >= h_) {
            return;
        }
        const std::size_t o = (std::size_t{y} * w_ + x) * 4;
        for (int i = 0; i < 4; ++i) {
            px_[o + static_cast<std::size_t>(i)] = v[static_cast<std::size_t>(i)];
        }
    }
    static std::array<std::uint8_t, 4> rgba(std::array<std::uint8_t, 3> c) {
        return {c[0], c[1], c[2], 255};
    }

    void apply(const ModelRect& r) {
        if (r.encoding == 0) {
            for (std::uint32_t row = 0; row < r.h; ++row) {
                for (std::uint32_t c = 0; c < r.w; ++c) {
                    put(sat(r.x, c), sat(r.y, row), rgba(r.raw[row * r.w + c]));
                }
            }
        } else if (r.encoding == 1) {
            std::vector<std::array<std::uint8_t, 4>> tmp;
            for (std::uint32_t row = 0; row < r.h; ++row) {
                for (std::uint32_t c = 0; c < r.w; ++c) {
                    tmp.push_back(get(sat(r.src_x, c), sat(r.src_y, row)));
                }
            }
            std::size_t i = 0;
            for (std::uint32_t row = 0; row < r.h; ++row) {
                for (std::uint32_t c = 0; c < r.w; ++c) {
                    put(sat(r.x, c), sat(r.y, row), tmp[i++]);
                }
            }
        } else if (r.encoding == 2) {
            for (std::uint32_t row = 0; row < r.h; ++row) {
                for (std::uint32_t c = 0; c < r.w; ++c) {
                    put(sat(r.x, c), sat(r.y, row), rgba(r.background));
                }
            }
            for (const auto& s : r.subs) {
                for (std::uint32_t row = 0; row < s.h; ++row) {
                    for (std::uint32_t c = 0; c < s.w; ++c) {
                        put(sat(sat(r.x, s.x), c), sat(sat(r.y, s.y), row), rgba(s.rgb));
                    }
                }
            }
        }
    }

    const std::vector<std::uint8_t>& pixels() const { return px_; }

  private:
    std::uint16_t w_, h_;
    std::vector<std::uint8_t> px_;
};

}  // namespace remote::rfb::testing
