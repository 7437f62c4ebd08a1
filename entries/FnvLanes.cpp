#include "entries/FnvLanes.h"
#include "entries/FnvLanesSse2.h"
#ifdef QUIPMARK_FNV_SSE2
#include <windows.h>
#endif

namespace {

const std::uint64_t kFnvPrime = 1099511628211ull;

}  // namespace

void HashFourLanes(std::uint64_t hash[4], const unsigned char* const at[4], size_t size)
{
    // A 32-bit processor multiplies 64 bits in three steps and has too few
    // registers for four lanes; SSE2 does two lanes' steps at once.
#ifdef QUIPMARK_FNV_SSE2
    static const bool sse2 = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != FALSE;
    if (size >= 8 && sse2) {
        HashFourLanesSse2(hash, at, size);
        return;
    }
#endif
    // Each hash is a chain of multiplications, each waiting for the one
    // before; the processor works on four chains in about the time of one.
    std::uint64_t h0 = hash[0], h1 = hash[1], h2 = hash[2], h3 = hash[3];
    const unsigned char *a0 = at[0], *a1 = at[1], *a2 = at[2], *a3 = at[3];
    for (size_t i = 0; i < size; ++i) {
        h0 = (h0 ^ a0[i]) * kFnvPrime;
        h1 = (h1 ^ a1[i]) * kFnvPrime;
        h2 = (h2 ^ a2[i]) * kFnvPrime;
        h3 = (h3 ^ a3[i]) * kFnvPrime;
    }
    hash[0] = h0;
    hash[1] = h1;
    hash[2] = h2;
    hash[3] = h3;
}
