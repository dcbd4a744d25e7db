#pragma once
// RfbPixelFormat (the RFB PIXEL_FORMAT) and the conversion of a pixel in that format to RGBA.

#include <array>
#include <cstdint>
#include <span>

namespace remote::rfb {

struct RfbPixelFormat {
    std::uint8_t bits_per_pixel = 0;
    std::uint8_t depth = 0;
    bool big_endian = false;
    bool true_colour = false;
    std::uint16_t red_max = 0;
    std::uint16_t green_max = 0;
    std::uint16_t blue_max = 0;
    std::uint8_t red_shift = 0;
    std::uint8_t green_shift = 0;
    std::uint8_t blue_shift = 0;
    bool operator==(const RfbPixelFormat&) const = default;
};

inline constexpr std::size_t kPixelFormatSize = 16;

// The format this client asks every server for: 32-bit little-endian true colour, 8 bits per
// channel, red at bit 16, green at 8, blue at 0.
RfbPixelFormat client_pixel_format();

std::array<std::uint8_t, kPixelFormatSize> encode_pixel_format(const RfbPixelFormat& format);
RfbPixelFormat decode_pixel_format(std::span<const std::uint8_t, kPixelFormatSize> bytes);

// (bits-per-pixel + 7) / 8; only 1 to 4 can be decoded.
unsigned bytes_per_pixel(const RfbPixelFormat& format);

// Converts pixels of one format to stored RGBA (alpha 255). Built once per format.
class PixelConverter {
  public:
    explicit PixelConverter(const RfbPixelFormat& format);

    unsigned bytes_per_pixel() const { return bpp_; }
    // Converts n pixels from src (n × bytes_per_pixel bytes) to dst (n × 4 bytes).
    void convert(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) const;
    std::array<std::uint8_t, 4> convert_one(const std::uint8_t* src) const;

  private:
    std::uint32_t load(const std::uint8_t* src) const;
    static std::uint8_t scale(std::uint32_t value, std::uint16_t max, std::uint8_t shift);

    RfbPixelFormat format_;
    unsigned bpp_;
    bool direct_bgrx_;  // the client format: byte 2 is red, 1 green, 0 blue
};

}  // namespace remote::rfb
