#pragma once
// Length of the run of printable ASCII (0x20 to 0x7F) at the start of a byte range. Most of
// what a shell prints is such runs, so they are found sixteen bytes at a time.

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace remote::vt {

inline std::size_t printable_ascii_run(const std::uint8_t* begin, const std::uint8_t* end) {
    const std::uint8_t* p = begin;
#if defined(__SSE2__)
    // As signed bytes, 0x20..0x7F are exactly the values above 0x1F.
    const __m128i below = _mm_set1_epi8(0x1F);
    while (end - p >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto printable =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(chunk, below)));
        if (printable != 0xFFFFu) {
            return static_cast<std::size_t>(p - begin) +
                   static_cast<std::size_t>(__builtin_ctz(~printable));
        }
        p += 16;
    }
#endif
    while (p != end && *p >= 0x20 && *p < 0x80) {
        ++p;
    }
    return static_cast<std::size_t>(p - begin);
}

}  // namespace remote::vt
