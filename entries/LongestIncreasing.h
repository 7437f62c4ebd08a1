#pragma once
#include <cstddef>
#include <vector>

// The positions of a longest strictly increasing run of `values` (not
// necessarily adjacent ones), in order; the first such run where there are
// several.
std::vector<size_t> LongestIncreasing(const std::vector<size_t>& values);
