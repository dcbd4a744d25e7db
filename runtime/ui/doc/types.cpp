#include "runtime/ui/doc/types.hpp"

#include <sys/random.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orvo_ui::doc {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

template <std::size_t N>
std::string hex_of(const std::array<std::uint8_t, N>& bytes) {
    std::string out;
    out.reserve(N * 2);
    for (std::uint8_t b : bytes) {
        out.push_back(kHexDigits[b >> 4]);
        out.push_back(kHexDigits[b & 0xf]);
    }
    return out;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

ActorId ActorId::random() {
    ActorId id;
    std::size_t filled = 0;
    while (filled < id.bytes.size()) {
        ssize_t n = getrandom(id.bytes.data() + filled, id.bytes.size() - filled, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            // The kernel's random source is part of the platform we run on; without it no
            // replica could get an identity that is safe to share.
            std::fputs("getrandom for an actor id never fails\n", stderr);
            std::abort();
        }
        filled += static_cast<std::size_t>(n);
    }
    return id;
}

std::optional<ActorId> ActorId::from_hex(std::string_view text) {
    ActorId id;
    if (text.size() != id.bytes.size() * 2)
        return std::nullopt;
    for (std::size_t i = 0; i < id.bytes.size(); ++i) {
        int hi = hex_value(text[2 * i]);
        int lo = hex_value(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        id.bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return id;
}

std::string ActorId::to_hex() const {
    return hex_of(bytes);
}

std::string to_hex(const ChangeHash& hash) {
    return hex_of(hash);
}

bool same_scalar(const Scalar& a, const Scalar& b) {
    if (a.index() != b.index())
        return false;
    if (const double* da = std::get_if<double>(&a)) {
        return std::bit_cast<std::uint64_t>(*da) ==
               std::bit_cast<std::uint64_t>(std::get<double>(b));
    }
    return a == b;
}

}  // namespace orvo_ui::doc
