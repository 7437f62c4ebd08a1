#pragma once
// Small timing helpers of the benchmarks: each figure is the median of a few
// runs, and every result is a ratio to a baseline measured in the same run.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

inline double MedianSeconds(int runs, const std::function<void()>& work)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        work();
        QueryPerformanceCounter(&end);
        seconds.push_back(static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

// One row of the table: what was measured, its time, the baseline's time, the
// ratio and the target it is held against.
inline void ReportRow(const std::string& what, double seconds, double baseline, const std::string& target)
{
    std::printf("| %-44s | %10.2f ms | %10.2f ms | %6.2f | %-12s |\n", what.c_str(), seconds * 1000.0,
                baseline * 1000.0, baseline > 0 ? seconds / baseline : 0.0, target.c_str());
}

inline void ReportHeader()
{
    std::printf("| %-44s | %13s | %13s | %6s | %-12s |\n", "measurement", "time", "baseline", "ratio", "target");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(46, '-').c_str(), std::string(15, '-').c_str(),
                std::string(15, '-').c_str(), std::string(8, '-').c_str(), std::string(14, '-').c_str());
}
