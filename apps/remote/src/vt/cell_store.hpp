#pragma once
// Writing cells in bulk as 8-byte words: a cell is the bit pattern of its colour and bold with
// the character in the low 32 bits. Printing and blanking rows are the screen's hot loops, so
// they are written sixteen bytes (two cells) at a time where SSE2 is there.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "vt/cell.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace remote::vt {

static_assert(sizeof(Cell) == 8 && offsetof(Cell, character) == 0);
static_assert(std::is_trivially_copyable_v<Cell>);
static_assert(std::endian::native == std::endian::little,
              "the character is taken to be the low bits of a cell's bit pattern");

// The cell's bit pattern with its padding bytes zero.
inline std::uint64_t cell_bits(const Cell& cell) {
    Cell padded;
    std::memset(static_cast<void*>(&padded), 0, sizeof padded);
    padded.character = cell.character;
    padded.color = cell.color;
    padded.bold = cell.bold;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &padded, sizeof bits);
    return bits;
}

inline void store_cell_bits(Cell* cell, std::uint64_t bits) {
    std::memcpy(static_cast<void*>(cell), &bits, sizeof bits);
}

// Sets count cells to the same pattern.
inline void fill_cells(Cell* out, std::size_t count, std::uint64_t bits) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i pair = _mm_set1_epi64x(static_cast<long long>(bits));
    for (; i + 8 <= count; i += 8) {
        auto* wide = reinterpret_cast<__m128i*>(out + i);
        _mm_storeu_si128(wide, pair);
        _mm_storeu_si128(wide + 1, pair);
        _mm_storeu_si128(wide + 2, pair);
        _mm_storeu_si128(wide + 3, pair);
    }
#endif
    for (; i < count; ++i) {
        store_cell_bits(out + i, bits);
    }
}

// Writes one cell per byte (0x00..0xFF as the character) with the pen's other bits.
inline void store_bytes_as_cells(Cell* out, const std::uint8_t* bytes, std::size_t count,
                                 std::uint64_t pen_bits) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i pen = _mm_set1_epi64x(static_cast<long long>(pen_bits));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= count; i += 8) {
        // Widen eight bytes to eight 64-bit words.
        const __m128i b8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes + i));
        const __m128i b16 = _mm_unpacklo_epi8(b8, zero);
        const __m128i lo32 = _mm_unpacklo_epi16(b16, zero);
        const __m128i hi32 = _mm_unpackhi_epi16(b16, zero);
        auto* wide = reinterpret_cast<__m128i*>(out + i);
        _mm_storeu_si128(wide, _mm_or_si128(_mm_unpacklo_epi32(lo32, zero), pen));
        _mm_storeu_si128(wide + 1, _mm_or_si128(_mm_unpackhi_epi32(lo32, zero), pen));
        _mm_storeu_si128(wide + 2, _mm_or_si128(_mm_unpacklo_epi32(hi32, zero), pen));
        _mm_storeu_si128(wide + 3, _mm_or_si128(_mm_unpackhi_epi32(hi32, zero), pen));
    }
#endif
    for (; i < count; ++i) {
        store_cell_bits(out + i, pen_bits | bytes[i]);
    }
}

}  // namespace remote::vt
