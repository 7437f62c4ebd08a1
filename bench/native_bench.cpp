// Benchmarks of the window-free core, built natively and run by `make bench`
// before the ones under Wine. Each row is a ratio to a baseline measured in
// the same run, beside its target.
#include "entries/EntryTree.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The seconds `count` appends to an empty entry tree take, as the mean over
// as many trees as make 20,000 appends in all, so that both sizes touch as
// much memory and a short run is not lost in the clock's noise. The texts
// are made beforehand and the trees freed afterwards, both untimed: only
// the appends, with every growth of the trees, count.
double AppendSeconds(int count)
{
    const int tables = 20000 / count;
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(count * tables));
    for (int i = 0; i < count * tables; ++i)
        texts.push_back("entry " + std::to_string(i % count) + " of a loaded collection");
    std::vector<EntryTree> filled(static_cast<size_t>(tables));
    const auto start = std::chrono::steady_clock::now();
    for (int t = 0; t < tables; ++t)
        for (int i = 0; i < count; ++i)
            filled[static_cast<size_t>(t)].Append(filled[static_cast<size_t>(t)].Root(),
                                                  std::move(texts[static_cast<size_t>(t * count + i)]));
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(end - start).count() / tables;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void ReportRow(const std::string& what, double seconds, double baseline, const std::string& target)
{
    std::printf("| %-60s | %10.2f ms | %10.2f ms | %7.2f | %-10s |\n", what.c_str(), seconds * 1000.0,
                baseline * 1000.0, baseline > 0 ? seconds / baseline : 0.0, target.c_str());
    std::fflush(stdout);
}

}  // namespace

int main()
{
#if defined(__GLIBC__)
    // Freed memory stays in the process, so every round runs on memory it
    // already has. Otherwise the large arrays of 20,000 entries come fresh
    // from the system each round, and the first touch of each 4 KiB page
    // (about 3 microseconds on a virtual machine, the cost of a hundred
    // appends) would weigh on them alone: 2,000 entries fit in memory the
    // process keeps anyway.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
    std::printf("| %-60s | %13s | %13s | %7s | %-10s |\n", "measurement (native)", "ours", "baseline", "ratio",
                "target");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(62, '-').c_str(), std::string(15, '-').c_str(),
                std::string(15, '-').c_str(), std::string(9, '-').c_str(), std::string(12, '-').c_str());
    // Loading, the undo of a large group and the registry import append
    // entry after entry: 20,000 must cost about ten times 2,000, not a
    // hundred. Measured in turns, so a slow moment weighs on both alike.
    std::vector<double> small, large;
    for (int round = 0; round < 9; ++round) {
        small.push_back(AppendSeconds(2000));
        large.push_back(AppendSeconds(20000));
    }
    ReportRow("20,000 appends to the entries vs 2,000", Median(large), Median(small), "<= 15");
    return 0;
}
