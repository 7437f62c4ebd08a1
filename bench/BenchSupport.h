#pragma once
// Small timing helpers of the benchmarks: each figure is the median of a few
// runs, and every result is a ratio to a baseline measured in the same run.
#include <windows.h>
#include <algorithm>
#include <cstring>
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

// The median of `runs` figures that `measure` returns.
inline double MedianOf(int runs, const std::function<double()>& measure)
{
    std::vector<double> values;
    for (int i = 0; i < runs; ++i)
        values.push_back(measure());
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One row of the table: what was measured, its time, the baseline's time, the
// ratio and the target it is held against.
inline void ReportRow(const std::string& what, double seconds, double baseline, const std::string& target)
{
    std::printf("| %-60s | %10.2f ms | %10.2f ms | %7.2f | %-10s |\n", what.c_str(), seconds * 1000.0,
                baseline * 1000.0, baseline > 0 ? seconds / baseline : 0.0, target.c_str());
    std::fflush(stdout);
}

// A row of sizes instead of times.
inline void ReportSizeRow(const std::string& what, double bytes, double baseline, const std::string& target)
{
    std::printf("| %-60s | %10.0f KB | %10.0f KB | %7.2f | %-10s |\n", what.c_str(), bytes / 1024.0,
                baseline / 1024.0, baseline > 0 ? bytes / baseline : 0.0, target.c_str());
    std::fflush(stdout);
}

// A row of a count that has a target of its own.
inline void ReportCountRow(const std::string& what, size_t count, const std::string& target)
{
    std::printf("| %-60s | %13zu | %13s | %7s | %-10s |\n", what.c_str(), count, "", "", target.c_str());
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
    std::printf("| %-60s | %13s | %13s | %7s | %-10s |\n", "measurement", "ours", "baseline", "ratio", "target");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(62, '-').c_str(), std::string(15, '-').c_str(),
                std::string(15, '-').c_str(), std::string(9, '-').c_str(), std::string(12, '-').c_str());
}
