#pragma once
#include <cstddef>
#include <cstdint>

// Continues four 64-bit FNV-1a hashes side by side, each over `size` bytes
// of its own run: hash[i] over at[i][0..size).
void HashFourLanes(std::uint64_t hash[4], const unsigned char* const at[4], size_t size);
