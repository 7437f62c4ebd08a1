#include "entries/LongestIncreasing.h"
#include <algorithm>

std::vector<size_t> LongestIncreasing(const std::vector<size_t>& values)
{
    // tails[k]: the position of the smallest value that ends a run of k + 1.
    std::vector<size_t> tails;
    std::vector<size_t> before(values.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), values[i],
                                         [&](size_t position, size_t value) { return values[position] < value; });
        if (at != tails.begin())
            before[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<size_t> run(tails.size());
    size_t position = tails.empty() ? 0 : tails.back();
    for (size_t k = run.size(); k-- > 0;) {
        run[k] = position;
        position = before[position];
    }
    return run;
}
