#include "rfb/wire.hpp"

#include <algorithm>

namespace remote::rfb {

RfbStatus discard_bytes(RfbStream& in, std::uint64_t n) {
    std::array<std::uint8_t, 16384> sink{};
    while (n > 0) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(n, sink.size()));
        if (auto r = in.read_exact(std::span(sink.data(), piece)); !r) {
            return r;
        }
        n -= piece;
    }
    return ok_status();
}

}  // namespace remote::rfb
