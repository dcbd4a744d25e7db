#include "rfb/utf8.hpp"

namespace remote::rfb {
namespace {

struct Step {
    std::size_t length = 0;  // bytes consumed (at least 1)
    bool valid = false;
    char32_t code = 0;
};

// Decodes one sequence at bytes[i]. An ill-formed sequence consumes its maximal subpart: the
// lead byte plus every continuation byte that was acceptable at its position.
Step decode_one(std::span<const std::uint8_t> bytes, std::size_t i) {
    const std::uint8_t b0 = bytes[i];
    if (b0 < 0x80) {
        return {1, true, b0};
    }
    std::size_t need = 0;
    char32_t code = 0;
    std::uint8_t lo = 0x80;
    std::uint8_t hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        code = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        code = b0 & 0x0F;
        lo = b0 == 0xE0 ? 0xA0 : 0x80;
        hi = b0 == 0xED ? 0x9F : 0xBF;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        code = b0 & 0x07;
        lo = b0 == 0xF0 ? 0x90 : 0x80;
        hi = b0 == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {1, false, 0};
    }
    std::size_t used = 1;
    for (std::size_t k = 0; k < need; ++k) {
        if (i + used >= bytes.size()) {
            return {used, false, 0};
        }
        const std::uint8_t b = bytes[i + used];
        if (b < lo || b > hi) {
            return {used, false, 0};
        }
        code = (code << 6) | (b & 0x3F);
        ++used;
        lo = 0x80;
        hi = 0xBF;
    }
    return {used, true, code};
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

bool is_valid_utf8(std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const Step s = decode_one(bytes, i);
        if (!s.valid) {
            return false;
        }
        i += s.length;
    }
    return true;
}

std::string decode_utf8_lossy(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const Step s = decode_one(bytes, i);
        append_utf8(out, s.valid ? s.code : char32_t{0xFFFD});
        i += s.length;
    }
    return out;
}

std::optional<char32_t> first_code_point(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    const Step s = decode_one(bytes, 0);
    if (!s.valid) {
        return std::nullopt;
    }
    return s.code;
}

}  // namespace remote::rfb
