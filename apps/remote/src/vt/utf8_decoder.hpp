#pragma once
// Incremental UTF-8 decoder: one byte at a time, so that a character split between two reads
// is completed by the next one. Invalid input follows the "maximal subpart" rule: each
// ill-formed subsequence becomes exactly one U+FFFD.

#include <cstddef>
#include <cstdint>

namespace remote::vt {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the character at p when all of its bytes are there and well formed: returns its
// length (2 to 4) and sets out, or returns 0 (the incremental decoder then takes over).
inline std::size_t decode_whole(const std::uint8_t* p, const std::uint8_t* end, char32_t& out) {
    const auto available = static_cast<std::size_t>(end - p);
    const std::uint8_t lead = p[0];
    const auto continuation = [](std::uint8_t b) { return (b & 0xC0u) == 0x80u; };
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (available < 2 || !continuation(p[1])) {
            return 0;
        }
        out = (char32_t(lead & 0x1Fu) << 6) | (p[1] & 0x3Fu);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (available < 3 || !continuation(p[1]) || !continuation(p[2]) ||
            (lead == 0xE0 && p[1] < 0xA0) || (lead == 0xED && p[1] > 0x9F)) {
            return 0;
        }
        out = (char32_t(lead & 0x0Fu) << 12) | (char32_t(p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (available < 4 || !continuation(p[1]) || !continuation(p[2]) || !continuation(p[3]) ||
            (lead == 0xF0 && p[1] < 0x90) || (lead == 0xF4 && p[1] > 0x8F)) {
            return 0;
        }
        out = (char32_t(lead & 0x07u) << 18) | (char32_t(p[1] & 0x3Fu) << 12) |
              (char32_t(p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
        return 4;
    }
    return 0;
}

class Utf8Decoder {
  public:
    enum class Status : std::uint8_t {
        Pending,       // more bytes are needed
        Complete,      // code_point() holds a scalar value; the byte was used
        Invalid,       // U+FFFD; the byte was used
        InvalidRetry,  // U+FFFD for the bytes before; the byte was not used, offer it again
    };

    bool pending() const { return needed_ != 0; }
    char32_t code_point() const { return code_point_; }

    // Starts a character with a byte of 0x80 or above.
    Status start(std::uint8_t lead) {
        if (lead >= 0xC2 && lead <= 0xDF) {
            return begin(lead & 0x1Fu, 1, 0x80, 0xBF);
        }
        if (lead >= 0xE0 && lead <= 0xEF) {
            // E0 rules out overlong forms, ED rules out surrogates.
            const std::uint8_t lower = lead == 0xE0 ? 0xA0 : 0x80;
            const std::uint8_t upper = lead == 0xED ? 0x9F : 0xBF;
            return begin(lead & 0x0Fu, 2, lower, upper);
        }
        if (lead >= 0xF0 && lead <= 0xF4) {
            // F0 rules out overlong forms, F4 values above U+10FFFF.
            const std::uint8_t lower = lead == 0xF0 ? 0x90 : 0x80;
            const std::uint8_t upper = lead == 0xF4 ? 0x8F : 0xBF;
            return begin(lead & 0x07u, 3, lower, upper);
        }
        code_point_ = kReplacementCharacter;
        return Status::Invalid;
    }

    // Continues a pending character with the next byte. Any byte that is not a fitting
    // continuation byte (including every byte below 0x80) ends it as U+FFFD.
    Status next(std::uint8_t byte) {
        if (byte < lower_ || byte > upper_) {
            needed_ = 0;
            code_point_ = kReplacementCharacter;
            return Status::InvalidRetry;
        }
        code_point_ = (code_point_ << 6) | (byte & 0x3Fu);
        lower_ = 0x80;
        upper_ = 0xBF;
        --needed_;
        return needed_ == 0 ? Status::Complete : Status::Pending;
    }

  private:
    Status begin(char32_t bits, std::uint8_t needed, std::uint8_t lower, std::uint8_t upper) {
        code_point_ = bits;
        needed_ = needed;
        lower_ = lower;
        upper_ = upper;
        return Status::Pending;
    }

    char32_t code_point_ = 0;
    std::uint8_t needed_ = 0;
    std::uint8_t lower_ = 0x80;
    std::uint8_t upper_ = 0xBF;
};

}  // namespace remote::vt
