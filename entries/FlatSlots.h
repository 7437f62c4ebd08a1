#pragma once
#include <cstddef>
#include <cstdint>

// What the flat tables (entries/UidTable.h, entries/EntryTable.h) share:
// a power of two of slots, at most seven in ten of them taken, and each
// key's first slot from a multiplication that spreads every bit of the key
// over the slot's bits. Keys that differ in a few bits only (ids given one
// after another, identities made by hand in tests) so start apart.
inline size_t FlatSlotsFor(size_t count)
{
    size_t slots = 16;
    while (slots * 7 < count * 10)
        slots *= 2;
    return slots;
}

inline size_t FlatHomeSlot(std::uint64_t key, size_t slots)
{
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & (slots - 1);
}
