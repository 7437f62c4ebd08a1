#pragma once
#include <cstddef>
#include <cstdint>

// HashFourLanes with SSE2, in the 32-bit build only, for a processor that
// has it: the caller asks.
#if defined(_WIN32) && (defined(_M_IX86) || defined(__i386__))
#define QUIPMARK_FNV_SSE2 1
void HashFourLanesSse2(std::uint64_t hash[4], const unsigned char* const at[4], size_t size);
#endif
