#include "rfb/pixel_format.hpp"

#include <bit>
#include <cstring>

#include "rfb/wire.hpp"

namespace remote::rfb {

RfbPixelFormat client_pixel_format() {
    return RfbPixelFormat{
        .bits_per_pixel = 32,
        .depth = 24,
        .big_endian = false,
        .true_colour = true,
        .red_max = 255,
        .green_max = 255,
        .blue_max = 255,
        .red_shift = 16,
        .green_shift = 8,
        .blue_shift = 0,
    };
}

std::array<std::uint8_t, kPixelFormatSize> encode_pixel_format(const RfbPixelFormat& f) {
    std::array<std::uint8_t, kPixelFormatSize> out{};
    out[0] = f.bits_per_pixel;
    out[1] = f.depth;
    out[2] = f.big_endian ? 1 : 0;
    out[3] = f.true_colour ? 1 : 0;
    store_u16(&out[4], f.red_max);
    store_u16(&out[6], f.green_max);
    store_u16(&out[8], f.blue_max);
    out[10] = f.red_shift;
    out[11] = f.green_shift;
    out[12] = f.blue_shift;
    return out;
}

RfbPixelFormat decode_pixel_format(std::span<const std::uint8_t, kPixelFormatSize> b) {
    return RfbPixelFormat{
        .bits_per_pixel = b[0],
        .depth = b[1],
        .big_endian = b[2] != 0,
        .true_colour = b[3] != 0,
        .red_max = load_u16(&b[4]),
        .green_max = load_u16(&b[6]),
        .blue_max = load_u16(&b[8]),
        .red_shift = b[10],
        .green_shift = b[11],
        .blue_shift = b[12],
    };
}

unsigned bytes_per_pixel(const RfbPixelFormat& format) {
    return (static_cast<unsigned>(format.bits_per_pixel) + 7) / 8;
}

PixelConverter::PixelConverter(const RfbPixelFormat& format)
    : format_(format),
      bpp_(rfb::bytes_per_pixel(format)),
      direct_bgrx_(bpp_ == 4 && !format.big_endian && format.red_max == 255 &&
                   format.green_max == 255 && format.blue_max == 255 && format.red_shift == 16 &&
                   format.green_shift == 8 && format.blue_shift == 0) {}

std::uint32_t PixelConverter::load(const std::uint8_t* src) const {
    std::uint32_t v = 0;
    if (format_.big_endian) {
        for (unsigned i = 0; i < bpp_; ++i) {
            v = (v << 8) | src[i];
        }
    } else {
        for (unsigned i = bpp_; i-- > 0;) {
            v = (v << 8) | src[i];
        }
    }
    return v;
}

std::uint8_t PixelConverter::scale(std::uint32_t value, std::uint16_t max, std::uint8_t shift) {
    if (max == 0) {
        return 0;
    }
    // A shift of 32 or more leaves nothing of a 32-bit value (and must not reach the CPU's
    // shifter, which would take it modulo 32).
    const std::uint32_t raw = shift >= 32 ? 0 : (value >> shift) & max;
    return static_cast<std::uint8_t>((std::uint64_t{raw} * 255 + max / 2) / max);
}

std::array<std::uint8_t, 4> PixelConverter::convert_one(const std::uint8_t* src) const {
    if (direct_bgrx_) {
        return {src[2], src[1], src[0], 255};
    }
    const std::uint32_t v = load(src);
    return {scale(v, format_.red_max, format_.red_shift),
            scale(v, format_.green_max, format_.green_shift),
            scale(v, format_.blue_max, format_.blue_shift), 255};
}

namespace {

// The client format's pixels, 0xXXRRGGBB little-endian, to stored R, G, B, 255. Word-wide and
// free of aliasing, so the compiler vectorises it. This is the hot loop of Raw decoding.
[[gnu::always_inline]] inline void bgrx_loop(const std::uint8_t* __restrict src,
                                             std::uint8_t* __restrict dst, std::size_t n) {
    if constexpr (std::endian::native == std::endian::little) {
        for (std::size_t i = 0; i < n; ++i) {
            std::uint32_t v = 0;
            std::memcpy(&v, src + 4 * i, 4);
            const std::uint32_t out =
                0xFF000000u | ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
            std::memcpy(dst + 4 * i, &out, 4);
        }
    } else {
        for (std::size_t i = 0; i < n; ++i) {
            dst[4 * i + 0] = src[4 * i + 2];
            dst[4 * i + 1] = src[4 * i + 1];
            dst[4 * i + 2] = src[4 * i + 0];
            dst[4 * i + 3] = 255;
        }
    }
}

using BgrxFn = void (*)(const std::uint8_t*, std::uint8_t*, std::size_t);

void bgrx_baseline(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) {
    bgrx_loop(src, dst, n);
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same loop built for AVX2, chosen at first use when the processor has it (an explicit
// check rather than an ifunc, which sanitizer runtimes cannot follow).
[[gnu::target("avx2")]] void bgrx_avx2(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) {
    bgrx_loop(src, dst, n);
}

BgrxFn pick_bgrx() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? bgrx_avx2 : bgrx_baseline;
}
#else
BgrxFn pick_bgrx() {
    return bgrx_baseline;
}
#endif

void convert_bgrx(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) {
    static const BgrxFn fn = pick_bgrx();
    fn(src, dst, n);
}

}  // namespace

void PixelConverter::convert(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) const {
    if (direct_bgrx_) {
        convert_bgrx(src, dst, n);
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const auto px = convert_one(src + i * bpp_);
        dst[4 * i + 0] = px[0];
        dst[4 * i + 1] = px[1];
        dst[4 * i + 2] = px[2];
        dst[4 * i + 3] = px[3];
    }
}

}  // namespace remote::rfb
