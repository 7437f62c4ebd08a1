#pragma once
// Running out of memory on demand: the test program's own allocation
// functions fail every large request while a LargeAllocationsFail lives, as
// they would when memory is short, so that failure paths can be walked.
#include <cstddef>

class LargeAllocationsFail {
public:
    // Requests of `bytes` or more throw std::bad_alloc, once the first
    // `granted` of them have been granted.
    explicit LargeAllocationsFail(std::size_t bytes, int granted = 0);
    ~LargeAllocationsFail();
    LargeAllocationsFail(const LargeAllocationsFail&) = delete;
    LargeAllocationsFail& operator=(const LargeAllocationsFail&) = delete;
};
