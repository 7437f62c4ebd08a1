// Built with SSE2 allowed in the 32-bit build, so this file holds the one
// loop and nothing else, not even the look for SSE2: code of a shared
// header built here could be the copy the linker keeps, and run where SSE2
// is missing.
#include "entries/FnvLanesSse2.h"

#ifdef QUIPMARK_FNV_SSE2
#include <emmintrin.h>

namespace {

__m128i TwoLanes(std::uint64_t first, std::uint64_t second)
{
    return _mm_set_epi32(static_cast<int>(static_cast<std::uint32_t>(second >> 32)),
                         static_cast<int>(static_cast<std::uint32_t>(second)),
                         static_cast<int>(static_cast<std::uint32_t>(first >> 32)),
                         static_cast<int>(static_cast<std::uint32_t>(first)));
}

void StoreLanes(__m128i lanes, std::uint64_t* out)
{
    alignas(16) std::uint64_t both[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(both), lanes);
    out[0] = both[0];
    out[1] = both[1];
}

// One FNV-1a step of two lanes: (h ^ byte) * (2^40 + 435), the 64-bit
// product made of 32-bit ones: lo * 435 in full, hi * 435 and lo << 40
// into the upper half.
__m128i Step(__m128i hash, __m128i bytes, __m128i factor)
{
    hash = _mm_xor_si128(hash, bytes);
    const __m128i low = _mm_mul_epu32(hash, factor);
    const __m128i high = _mm_slli_epi64(_mm_mul_epu32(_mm_srli_epi64(hash, 32), factor), 32);
    return _mm_add_epi64(_mm_add_epi64(low, high), _mm_slli_epi64(hash, 40));
}

__m128i Bytes(const unsigned char* first, const unsigned char* second)
{
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(second)));
}

__m128i Byte(unsigned char first, unsigned char second)
{
    return _mm_set_epi32(0, second, 0, first);
}

}  // namespace

void HashFourLanesSse2(std::uint64_t hash[4], const unsigned char* const at[4], size_t size)
{
    const __m128i factor = _mm_set_epi32(0, 435, 0, 435);
    const __m128i lowByte = _mm_set_epi32(0, 0xFF, 0, 0xFF);
    __m128i a = TwoLanes(hash[0], hash[1]);
    __m128i b = TwoLanes(hash[2], hash[3]);
    size_t i = 0;
    // Eight bytes of each lane at a time, taken from the bottom.
    for (; i + 8 <= size; i += 8) {
        __m128i wordsA = Bytes(at[0] + i, at[1] + i);
        __m128i wordsB = Bytes(at[2] + i, at[3] + i);
        for (int k = 0; k < 8; ++k) {
            a = Step(a, _mm_and_si128(wordsA, lowByte), factor);
            b = Step(b, _mm_and_si128(wordsB, lowByte), factor);
            wordsA = _mm_srli_epi64(wordsA, 8);
            wordsB = _mm_srli_epi64(wordsB, 8);
        }
    }
    for (; i < size; ++i) {
        a = Step(a, Byte(at[0][i], at[1][i]), factor);
        b = Step(b, Byte(at[2][i], at[3][i]), factor);
    }
    StoreLanes(a, hash);
    StoreLanes(b, hash + 2);
}

#endif
