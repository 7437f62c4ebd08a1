#pragma once
#include <cstddef>
#include <cstdint>

// HashFourLanes with SSE2, for the 32-bit build on a processor that has it.
// Returns false, having done nothing, where the build or the processor
// lacks it.
bool HashFourLanesSse2(std::uint64_t hash[4], const unsigned char* const at[4], size_t size);
