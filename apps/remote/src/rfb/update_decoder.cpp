#include "rfb/update_decoder.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "rfb/wire.hpp"

namespace remote::rfb {
namespace {

struct RectHeader {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    std::int32_t encoding = 0;
};

// The part of [origin, origin + length) that lies inside [0, limit). Coordinates past 65,535
// would saturate there, which is outside every framebuffer, so plain 32-bit sums give the same
// result as the protocol's saturating 16-bit ones.
std::uint32_t clipped_length(std::uint32_t origin, std::uint32_t length, std::uint32_t limit) {
    return origin >= limit ? 0 : std::min(length, limit - origin);
}

RfbResult<RectHeader> read_rect_header(RfbStream& in) {
    std::array<std::uint8_t, 12> b{};
    if (auto r = in.read_exact(b); !r) {
        return r.error();
    }
    return RectHeader{load_u16(&b[0]), load_u16(&b[2]), load_u16(&b[4]), load_u16(&b[6]),
                      static_cast<std::int32_t>(load_u32(&b[8]))};
}

// Raw pixels are converted straight out of the stream's buffer, row by row, clipped to the
// framebuffer; a pixel split between two reads goes through a four-byte carry.
class RawSink {
  public:
    RawSink(const RectHeader& r, const PixelPlane& plane, const PixelConverter& conv)
        : r_(r),
          plane_(plane),
          conv_(conv),
          bpp_(conv.bytes_per_pixel()),
          cols_(clipped_length(r.x, r.w, plane.width)) {}

    bool done() const { return row_ >= r_.h; }

    void consume(std::span<const std::uint8_t> bytes) {
        const std::uint8_t* p = bytes.data();
        std::size_t left = bytes.size();
        if (carry_len_ > 0) {
            const std::size_t take = std::min<std::size_t>(bpp_ - carry_len_, left);
            std::memcpy(carry_.data() + carry_len_, p, take);
            carry_len_ += static_cast<unsigned>(take);
            p += take;
            left -= take;
            if (carry_len_ < bpp_) {
                return;
            }
            emit(carry_.data(), 1);
            carry_len_ = 0;
        }
        while (left >= bpp_ && !done()) {
            const auto run =
                static_cast<std::uint32_t>(std::min<std::size_t>(r_.w - col_, left / bpp_));
            emit(p, run);
            p += std::size_t{run} * bpp_;
            left -= std::size_t{run} * bpp_;
        }
        if (left > 0) {
            std::memcpy(carry_.data(), p, left);
            carry_len_ = static_cast<unsigned>(left);
        }
    }

  private:
    // Converts n pixels starting at the current column of the current row (never past its end).
    void emit(const std::uint8_t* src, std::uint32_t n) {
        const std::uint32_t y = r_.y + row_;
        if (y < plane_.height && col_ < cols_) {
            const std::uint32_t visible = std::min(n, cols_ - col_);
            conv_.convert(src, plane_.at(r_.x + col_, y), visible);
        }
        col_ += n;
        if (col_ == r_.w) {
            col_ = 0;
            ++row_;
        }
    }

    const RectHeader& r_;
    const PixelPlane& plane_;
    const PixelConverter& conv_;
    const unsigned bpp_;
    const std::uint32_t cols_;
    std::uint32_t row_ = 0;
    std::uint32_t col_ = 0;
    std::array<std::uint8_t, 4> carry_{};
    unsigned carry_len_ = 0;
};

RfbStatus decode_raw(RfbStream& in, const RectHeader& r, RfbFramebuffer& fb,
                     const PixelConverter& conv) {
    const std::uint64_t total = std::uint64_t{r.w} * r.h * conv.bytes_per_pixel();
    if (total > kMaxRawRectangleBytes) {
        return protocol_error("RFB raw rectangle is too large");
    }
    if (total == 0) {
        return ok_status();
    }
    const PixelPlane plane = fb.own_pixels(r.x, r.y, r.w, r.h);
    RawSink sink(r, plane, conv);
    for (std::uint64_t left = total; left > 0;) {
        auto view = in.read_some(static_cast<std::size_t>(left));
        if (!view) {
            return view.error();
        }
        sink.consume(view.value());
        left -= view.value().size();
    }
    return ok_status();
}

RfbStatus decode_copy_rect(RfbStream& in, const RectHeader& r, RfbFramebuffer& fb) {
    std::array<std::uint8_t, 4> b{};
    if (auto res = in.read_exact(b); !res) {
        return res;
    }
    const std::uint32_t sx = load_u16(&b[0]);
    const std::uint32_t sy = load_u16(&b[2]);
    if (std::uint64_t{r.w} * r.h > kMaxPixelWork) {
        return protocol_error("RFB copy rectangle is too large");
    }
    const std::uint32_t cols = clipped_length(r.x, r.w, fb.width());
    const std::uint32_t rows = clipped_length(r.y, r.h, fb.height());
    if (cols == 0 || rows == 0) {
        return ok_status();
    }
    const PixelPlane plane = fb.own_pixels(r.x, r.y, cols, rows);
    // Source columns inside the framebuffer; the rest of each destination row reads as
    // transparent black.
    const std::uint32_t inside = clipped_length(sx, cols, plane.width);
    // Rows are visited so that no source row is overwritten before it has been read (bottom-up
    // when moving down), and memmove handles the overlap within a row: the result equals
    // reading every source pixel before writing any.
    const bool downwards = r.y > sy;
    for (std::uint32_t i = 0; i < rows; ++i) {
        const std::uint32_t k = downwards ? rows - 1 - i : i;
        std::uint8_t* dst = plane.at(r.x, r.y + k);
        const std::uint32_t src_y = sy + k;
        std::uint32_t copied = 0;
        if (src_y < plane.height && inside > 0) {
            std::memmove(dst, plane.at(sx, src_y), std::size_t{inside} * 4);
            copied = inside;
        }
        std::memset(dst + std::size_t{copied} * 4, 0, std::size_t{cols - copied} * 4);
    }
    return ok_status();
}

void fill(const PixelPlane& plane, std::uint32_t x, std::uint32_t y, std::uint32_t w,
          std::uint32_t h, const std::array<std::uint8_t, 4>& rgba) {
    const std::uint32_t cols = clipped_length(x, w, plane.width);
    const std::uint32_t rows = clipped_length(y, h, plane.height);
    if (cols == 0 || rows == 0) {
        return;
    }
    std::uint32_t value = 0;
    std::memcpy(&value, rgba.data(), 4);
    for (std::uint32_t k = 0; k < rows; ++k) {
        std::uint8_t* row = plane.at(x, y + k);
        for (std::uint32_t c = 0; c < cols; ++c) {
            std::memcpy(row + std::size_t{c} * 4, &value, 4);
        }
    }
}

std::string work_limit_text(const char* label) {
    return std::string(label) + " exceeds the pixel work limit";
}

RfbStatus decode_rre(RfbStream& in, const RectHeader& r, RfbFramebuffer& fb,
                     const PixelConverter& conv, DecodeScratch& scratch) {
    auto count = read_u32(in);
    if (!count) {
        return count.error();
    }
    const std::uint32_t n = count.value();
    if (n > kMaxRreSubrectangles) {
        return protocol_error("RFB RRE update has too many subrectangles");
    }
    if (std::uint64_t{r.w} * r.h > kMaxPixelWork) {
        return protocol_error(work_limit_text("RRE background rectangle"));
    }
    const unsigned bpp = conv.bytes_per_pixel();
    std::array<std::uint8_t, 4> raw{};
    if (auto res = in.read_exact(std::span(raw.data(), bpp)); !res) {
        return res;
    }
    const auto background = conv.convert_one(raw.data());

    // Every subrectangle is read and checked before anything is drawn. Each is kept as its
    // converted colour followed by x, y, w, h (16 bytes).
    const std::size_t wire_size = bpp + 8;
    constexpr std::size_t kKept = 16;
    constexpr std::uint32_t kPiece = 4096;
    scratch.subrects.clear();
    scratch.bytes.resize(std::size_t{kPiece} * wire_size);
    std::uint64_t total = 0;
    // Where this update writes: the background rectangle and every subrectangle (which may
    // reach past the rectangle), as one bounding box.
    std::uint32_t left = r.x, top = r.y;
    std::uint32_t right = r.x + r.w, bottom = r.y + r.h;
    for (std::uint32_t done = 0; done < n;) {
        const std::uint32_t batch = std::min(kPiece, n - done);
        const auto piece = std::span(scratch.bytes.data(), batch * wire_size);
        if (auto res = in.read_exact(piece); !res) {
            return res;
        }
        // Grows only as subrectangles actually arrive, whatever count was announced.
        scratch.subrects.resize(std::size_t{done + batch} * kKept);
        for (std::uint32_t i = 0; i < batch; ++i) {
            const std::uint8_t* s = piece.data() + i * wire_size;
            const std::uint32_t sw = load_u16(s + bpp + 4);
            const std::uint32_t sh = load_u16(s + bpp + 6);
            const std::uint64_t area = std::uint64_t{sw} * sh;
            if (area > kMaxPixelWork) {
                return protocol_error(work_limit_text("RRE subrectangle"));
            }
            total += area;
            if (total > kMaxPixelWork) {
                return protocol_error("RRE subrectangles exceed the pixel work limit");
            }
            if (area > 0) {
                const std::uint32_t sx = r.x + load_u16(s + bpp);
                const std::uint32_t sy = r.y + load_u16(s + bpp + 2);
                left = std::min(left, sx);
                top = std::min(top, sy);
                right = std::max(right, sx + sw);
                bottom = std::max(bottom, sy + sh);
            }
            std::uint8_t* kept = scratch.subrects.data() + std::size_t{done + i} * kKept;
            const auto colour = conv.convert_one(s);
            std::memcpy(kept, colour.data(), 4);
            std::memcpy(kept + 4, s + bpp, 8);
        }
        done += batch;
    }

    const PixelPlane plane = fb.own_pixels(left, top, right - left, bottom - top);
    fill(plane, r.x, r.y, r.w, r.h, background);
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t* kept = scratch.subrects.data() + std::size_t{i} * kKept;
        std::array<std::uint8_t, 4> colour{};
        std::memcpy(colour.data(), kept, 4);
        // Relative to the rectangle's origin, but clipped only to the framebuffer.
        fill(plane, r.x + load_u16(kept + 4), r.y + load_u16(kept + 6), load_u16(kept + 8),
             load_u16(kept + 10), colour);
    }
    return ok_status();
}

}  // namespace

RfbStatus read_framebuffer_update(RfbStream& in, RfbFramebuffer& fb, const RfbPixelFormat& format,
                                  DecodeScratch& scratch) {
    if (fb.generation_exhausted()) {
        return protocol_error("RFB framebuffer generation exhausted");
    }
    std::array<std::uint8_t, 3> head{};
    if (auto r = in.read_exact(head); !r) {
        return r;
    }
    // Every count the 16-bit field can carry is accepted: real servers send updates of many
    // thousands of small rectangles, and each rectangle's work is bounded on its own.
    const std::uint32_t count = load_u16(&head[1]);
    const unsigned bpp = bytes_per_pixel(format);
    if (bpp < 1 || bpp > 4) {
        return protocol_error("invalid RFB pixel format");
    }
    const PixelConverter conv(format);
    for (std::uint32_t i = 0; i < count; ++i) {
        auto header = read_rect_header(in);
        if (!header) {
            return header.error();
        }
        const RectHeader& r = header.value();
        RfbStatus status = ok_status();
        switch (r.encoding) {
            case 0:
                status = decode_raw(in, r, fb, conv);
                break;
            case 1:
                status = decode_copy_rect(in, r, fb);
                break;
            case 2:
                status = decode_rre(in, r, fb, conv, scratch);
                break;
            default:
                return protocol_error("unsupported RFB encoding " + std::to_string(r.encoding));
        }
        if (!status) {
            return status;
        }
    }
    fb.advance_generation();
    return ok_status();
}

RfbResult<ServerMessage> read_server_message(std::uint8_t type, RfbStream& in, RfbFramebuffer& fb,
                                             const RfbPixelFormat& format, DecodeScratch& scratch) {
    switch (type) {
        case 0: {
            if (auto r = read_framebuffer_update(in, fb, format, scratch); !r) {
                return r.error();
            }
            return ServerMessage::FramebufferUpdate;
        }
        case 1: {
            std::array<std::uint8_t, 5> b{};
            if (auto r = in.read_exact(b); !r) {
                return r.error();
            }
            if (auto r = discard_bytes(in, std::uint64_t{load_u16(&b[3])} * 6); !r) {
                return r.error();
            }
            return ServerMessage::SetColourMapEntries;
        }
        case 2:
            return ServerMessage::Bell;
        case 3: {
            std::array<std::uint8_t, 7> b{};
            if (auto r = in.read_exact(b); !r) {
                return r.error();
            }
            // The clipboard text is not used: it is consumed in pieces, never held in full.
            if (auto r = discard_bytes(in, load_u32(&b[3])); !r) {
                return r.error();
            }
            return ServerMessage::ServerCutText;
        }
        default:
            return protocol_error("unknown server message " + std::to_string(type));
    }
}

}  // namespace remote::rfb
