#pragma once
#include <cstddef>
#include <functional>

// Runs `aside` on a thread of its own while this thread runs `here`, and
// returns once both are done. Where no thread can be started, both run
// here, one after the other: the work is the same, only slower. Both may
// read, but neither may write, what the other reads. What either throws
// is thrown on once both are done (the first's where both throw).
void RunSideBySide(const std::function<void()>& aside, const std::function<void()>& here);

// Whether hashing `bytes` with FNV-1a, as the identities are, is worth
// RunSideBySide: the machine has a second processor, and half the work
// takes longer than handing it to another thread and waiting for it, about
// a millisecond under Wine the first time (hashing 4 MiB takes about 2.5 ms
// in the 32-bit build). Work of another speed passes the bytes FNV-1a would hash in its
// time.
bool WorthASecondThread(size_t bytes);
