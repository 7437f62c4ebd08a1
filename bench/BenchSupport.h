#pragma once
// Small timing helpers of the benchmarks: every result is a ratio to a
// baseline measured in the same run, both sides measured in turns, each the
// median of a few runs with its spread.
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// The seconds that one call of `work` takes.
inline double SecondsOf(const std::function<void()>& work)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// What one side of a row measured: the median of its runs, and the spread
// around it, half the distance between the first and the third quartile.
// A single run under Wine says little: the same work takes up to five
// times as long at one moment as at the next.
struct Timing {
    double median = 0;
    double spread = 0;
};

inline Timing TimingOf(std::vector<double> values)
{
    Timing timing;
    if (values.empty())
        return timing;
    std::sort(values.begin(), values.end());
    const size_t last = values.size() - 1;
    timing.median = values[values.size() / 2];
    timing.spread = (values[(3 * last + 3) / 4] - values[last / 4]) / 2;
    return timing;
}

// Both sides of a row.
struct Comparison {
    Timing ours;
    Timing baseline;
};

// Measures `ours` and `baseline` in turns, `rounds` times each, after
// `warmUps` rounds that are not counted (the first runs load libraries and
// fill caches); which side goes first changes every round. So a slow
// moment of the shared machine weighs on both sides alike, and the order
// favours neither. Each returns the seconds it measured.
inline Comparison InTurns(int rounds, const std::function<double()>& ours, const std::function<double()>& baseline,
                          int warmUps = 1)
{
    std::vector<double> oursSeconds, baselineSeconds;
    for (int round = -warmUps; round < rounds; ++round) {
        double first = 0, second = 0;
        if (round % 2 == 0) {
            first = ours();
            second = baseline();
        } else {
            second = baseline();
            first = ours();
        }
        if (round >= 0) {
            oursSeconds.push_back(first);
            baselineSeconds.push_back(second);
        }
    }
    return {TimingOf(oursSeconds), TimingOf(baselineSeconds)};
}

// The same for work that is timed whole, call by call.
inline Comparison TimedInTurns(int rounds, const std::function<void()>& ours, const std::function<void()>& baseline,
                               int warmUps = 1)
{
    return InTurns(
        rounds, [&] { return SecondsOf(ours); }, [&] { return SecondsOf(baseline); }, warmUps);
}

// One side's cell: "median +- spread ms".
inline std::string TimingCell(const Timing& timing)
{
    char cell[64];
    std::snprintf(cell, sizeof(cell), "%.2f +- %.2f ms", timing.median * 1000.0, timing.spread * 1000.0);
    return cell;
}

// One row of the table: what was measured, both sides' times, the ratio of
// their medians and the target it is held against.
inline void ReportRow(const std::string& what, const Comparison& row, const std::string& target)
{
    const double ratio = row.baseline.median > 0 ? row.ours.median / row.baseline.median : 0.0;
    std::printf("| %-60s | %23s | %23s | %7.2f | %-10s |\n", what.c_str(), TimingCell(row.ours).c_str(),
                TimingCell(row.baseline).c_str(), ratio, target.c_str());
    std::fflush(stdout);
}

// The medians of `runs` calls of `work`; rows measure with InTurns instead.
inline double MedianSeconds(int runs, const std::function<void()>& work)
{
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i)
        seconds.push_back(SecondsOf(work));
    return TimingOf(seconds).median;
}

// A row of two figures measured otherwise, without a spread.
inline void ReportRow(const std::string& what, double seconds, double baseline, const std::string& target)
{
    ReportRow(what, Comparison{{seconds, 0}, {baseline, 0}}, target);
}

// A row of sizes instead of times.
inline void ReportSizeRow(const std::string& what, double bytes, double baseline, const std::string& target)
{
    std::printf("| %-60s | %20.0f KB | %20.0f KB | %7.2f | %-10s |\n", what.c_str(), bytes / 1024.0,
                baseline / 1024.0, baseline > 0 ? bytes / baseline : 0.0, target.c_str());
    std::fflush(stdout);
}

// A row of a count that has a target of its own.
inline void ReportCountRow(const std::string& what, size_t count, const std::string& target)
{
    std::printf("| %-60s | %23zu | %23s | %7s | %-10s |\n", what.c_str(), count, "", "", target.c_str());
    std::fflush(stdout);
}

inline void WriteAllBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD wrote = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
}

// Puts text on the clipboard as another program would.
inline void PutClipboardText(const std::string& text)
{
    if (!OpenClipboard(nullptr))
        return;
    EmptyClipboard();
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        if (SetClipboardData(CF_TEXT, block) == nullptr)
            GlobalFree(block);
    }
    CloseClipboard();
}

inline void ReportHeader()
{
    std::printf("| %-60s | %23s | %23s | %7s | %-10s |\n", "measurement", "ours (median +- spread)",
                "baseline", "ratio", "target");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(62, '-').c_str(), std::string(25, '-').c_str(),
                std::string(25, '-').c_str(), std::string(9, '-').c_str(), std::string(12, '-').c_str());
}
