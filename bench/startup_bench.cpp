// Start-up: from process start until the dialog is up (it becomes visible,
// minimised, once its tray icon is there; the entries, settings and the
// watch on the data file follow as its first message), against a program
// that only makes one dialog and one tray icon.
#include "BenchSupport.h"

namespace {

// Starts `program` and returns the seconds until a visible window captioned
// `caption` exists; the program is then asked to end with `endMessage`.
double TimeToWindow(const std::string& program, const char* caption, UINT endMessage, WPARAM endParam)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + program + "\"";
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    HWND window = nullptr;
    double seconds = -1;
    for (;;) {
        window = FindWindowA(nullptr, caption);
        QueryPerformanceCounter(&now);
        seconds = static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (window != nullptr && IsWindowVisible(window))
            break;
        if (seconds > 30)
            break;
        Sleep(1);
    }
    if (window != nullptr)
        PostMessageA(window, endMessage, endParam, 0);
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return seconds;
}

}  // namespace

void BenchStartUp(const std::string& folder, const std::string& quipmark, const std::string& baseline)
{
    // A copy of its own, so the program finds no data file and no other
    // instance's window.
    const std::string copy = folder + "\\quipmark.exe";
    CopyFileA(quipmark.c_str(), copy.c_str(), FALSE);
    // The warm-up round finds Wine's libraries loaded for both.
    const Comparison row = InTurns(
        15, [&] { return TimeToWindow(copy, "Quipmark", WM_COMMAND, 32774); },
        [&] { return TimeToWindow(baseline, "QmBaseline", WM_CLOSE, 0); });
    ReportRow("start-up until initialised vs a minimal dialog and tray icon", row, "<= 1.3");
}
