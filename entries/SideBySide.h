#pragma once
#include <cstddef>
#include <functional>

// Runs `aside` on a thread of its own while this thread runs `here`, and
// returns once both are done. Where no thread can be started, both run
// here, one after the other: the work is the same, only slower. Both may
// read, but neither may write, what the other reads. What either throws
// is thrown on once both are done (the first's where both throw).
void RunSideBySide(const std::function<void()>& aside, const std::function<void()>& here);

// Whether work over `bytes` is worth RunSideBySide: over a megabyte or
// more it takes a noticeable part of a second, where below one starting a
// thread costs more than it saves; and the machine has a second processor.
bool WorthASecondThread(size_t bytes);
