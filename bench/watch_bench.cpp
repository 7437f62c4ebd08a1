// Watching the data file, with 20,000 entries: what the program costs while
// nothing happens (its processor time, user and kernel, as the system
// counts it for the process from outside), against the same program with
// the watch off; and how long following an outside change of the file
// takes, from the write to the new count, less the quiet time the watch
// waits for on purpose, against a start-up with the same file, from the
// process's creation to its dialog. The slow check is off for that: seeing
// the change before the quiet time is over, it timed where it fell.
#include "BenchSupport.h"
#include "storage/RecordCodec.h"
#include "framework/FolderWatch.h"

namespace {

const int kEntries = 20000;
const int kGroupSize = 100;
// The quiet minute: two looks of the slow check on this computer's own
// drive, twenty on a network share.
const DWORD kQuietMs = 60000;
// Windows counts a process's time in clock ticks of 15.6 ms: less than one
// tick over the quiet minute is no time it can measure, so each side counts
// at least one. Under Wine the time is read from Linux to the nanosecond.
const double kTickSeconds = 0.0156;
const UINT kExitCommand = 32774;
const int kItemCount = 1032;
const UINT kShowCommand = 32773;

// 20,000 entries in groups, with one more on the top level when `added`, as
// another machine would add it.
std::string Collection(bool added)
{
    std::string bytes;
    for (int i = 0; i < kEntries; ++i)
        AppendRecord(bytes, i % kGroupSize == 0 ? RecordKind::TopLevel : RecordKind::Child, "entry " + std::to_string(i));
    if (added)
        AppendRecord(bytes, RecordKind::TopLevel, "added elsewhere");
    return bytes;
}

bool WriteWhole(const std::string& path, const std::string& bytes)
{
    // Replaced in one step, as a sync service replaces it.
    const std::string incoming = path + ".incoming";
    HANDLE file = CreateFileA(incoming.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD wrote = 0;
    const bool written = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) != FALSE;
    CloseHandle(file);
    return written && MoveFileExA(incoming.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string ReadSmallFile(const std::string& path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD got = 0;
    if (ReadFile(file, buffer, sizeof(buffer), &got, nullptr))
        bytes.assign(buffer, got);
    CloseHandle(file);
    return bytes;
}

// The Linux process whose command line starts with `exe` (Wine's drive Z:
// is the root of the file system), as "Z:\proc\<pid>\", or "" off Wine.
std::string LinuxProcessOf(const std::string& exe)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return "";
    std::string process;
    do {
        const std::string folder = std::string("Z:\\proc\\") + found.cFileName + "\\";
        const std::string commandLine = ReadSmallFile(folder + "cmdline");
        if (found.cFileName[0] >= '1' && found.cFileName[0] <= '9' &&
            lstrcmpiA(commandLine.substr(0, commandLine.find('\0')).c_str(), exe.c_str()) == 0)
            process = folder;
    } while (process.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return process;
}

// A Linux process's processor time, user and kernel, in nanoseconds as the
// scheduler counts it: the first field of each of its threads' schedstat
// file. Its stat file counts only in ticks of 10 ms, as coarse as Windows.
double LinuxCpuSeconds(const std::string& process)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((process + "task\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    unsigned long long total = 0;
    do {
        unsigned long long ran = 0;
        if (found.cFileName[0] != '.' &&
            std::sscanf(ReadSmallFile(process + "task\\" + found.cFileName + "\\schedstat").c_str(), "%llu", &ran) == 1)
            total += ran;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return static_cast<double>(total) / 1e9;
}

double CpuSeconds(HANDLE process)
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user))
        return -1;
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

template <class Condition>
bool WaitFor(const Condition& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

// The program of a folder of its own, started with its data file beside it.
class Running {
public:
    enum class Watch { Off, On, NoticesOnly };
    Running(const std::string& exe, Watch watch)
    {
        // The benchmark's switches: the same program with the watch off, or
        // seeing changes only through the folder's notices.
        std::string environment;
        if (watch == Watch::Off)
            environment.assign("QUIPMARK_NO_FILE_WATCH=1\0", 25);
        else if (watch == Watch::NoticesOnly)
            environment.assign("QUIPMARK_NO_SLOW_CHECK=1\0", 25);
        for (const char* entry = GetEnvironmentStringsA(); *entry != '\0'; entry += std::strlen(entry) + 1)
            environment.append(entry, std::strlen(entry) + 1);
        environment.push_back('\0');
        const DWORD started = GetTickCount();
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        std::string commandLine = "\"" + exe + "\"";
        if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &environment[0], nullptr,
                            &startup, &m_process))
            return;
        // Initialised once visible; then it hides itself.
        WaitFor([&] { return (m_window = FindWindowA("#32770", "Quipmark")) != nullptr && IsWindowVisible(m_window); },
                60000);
        m_startSeconds = (GetTickCount() - started) / 1000.0;
        WaitFor([&] { return !IsWindowVisible(m_window); }, 10000);
        m_linuxProcess = LinuxProcessOf(exe);
    }
    ~Running()
    {
        if (m_process.hProcess == nullptr)
            return;
        PostMessageA(m_window, WM_COMMAND, kExitCommand, 0);
        if (WaitForSingleObject(m_process.hProcess, 20000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.hProcess, 1);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    bool IsValid() const { return m_window != nullptr; }
    double StartSeconds() const { return m_startSeconds; }
    // Under Wine the system's count for another process is the caller's
    // own: the program's is read from Linux.
    double Cpu() const
    {
        return m_linuxProcess.empty() ? CpuSeconds(m_process.hProcess) : LinuxCpuSeconds(m_linuxProcess);
    }
    // The dialog makes its controls, the counter among them, when first
    // shown.
    bool ShowDialog() const
    {
        PostMessageA(m_window, WM_COMMAND, kShowCommand, 0);
        return WaitFor([&] { return !Count().empty(); }, 20000);
    }
    std::string Count() const
    {
        char text[32] = "";
        GetDlgItemTextA(m_window, kItemCount, text, sizeof(text));
        return text;
    }

    double QuietCpu(DWORD ms) const
    {
        Sleep(2000);  // the start's last steps settle
        const double before = Cpu();
        Sleep(ms);
        return Cpu() - before;
    }

private:
    PROCESS_INFORMATION m_process = {};
    HWND m_window = nullptr;
    double m_startSeconds = 0;
    std::string m_linuxProcess;
};

}  // namespace

void BenchWatch(const std::string& folder, const std::string& quipmark)
{
    const std::string home = folder + "\\watch";
    CreateDirectoryA(home.c_str(), nullptr);
    const std::string exe = home + "\\quipmark.exe";
    const std::string data = home + "\\quipmark.dat";
    CopyFileA(quipmark.c_str(), exe.c_str(), FALSE);
    WriteWhole(data, Collection(false));

    double watched = 0, unwatched = 0;
    {
        const Running off(exe, Running::Watch::Off);
        unwatched = off.IsValid() ? off.QuietCpu(kQuietMs) : -1;
    }
    std::vector<double> startUps, follows;
    {
        const Running on(exe, Running::Watch::On);
        if (!on.IsValid())
            return;
        watched = on.QuietCpu(kQuietMs);
        startUps.push_back(on.StartSeconds());
    }
    {
        const Running on(exe, Running::Watch::NoticesOnly);
        if (!on.IsValid() || !on.ShowDialog())
            return;
        startUps.push_back(on.StartSeconds());
        for (int round = 0; round < 5; ++round) {
            const std::string before = on.Count();
            const DWORD written = GetTickCount();
            WriteWhole(data, Collection(round % 2 == 0));
            if (!WaitFor([&] { return on.Count() != before; }, 30000))
                break;
            follows.push_back((GetTickCount() - written - kFolderSettleMs) / 1000.0);
            Sleep(1000);  // the next change is one of its own
        }
    }
    WriteWhole(data, Collection(false));
    for (int round = 0; round < 2; ++round) {
        const Running again(exe, Running::Watch::On);
        startUps.push_back(again.StartSeconds());
    }
    std::printf("| %-60s | %20.2f ms | %20.2f ms | %7.2f | %-10s |\n",
                ("idle CPU over " + std::to_string(kQuietMs / 1000) + " s, 20,000 entries, watched vs not watched").c_str(),
                watched * 1000, unwatched * 1000, std::max(watched, kTickSeconds) / std::max(unwatched, kTickSeconds), "<= 1.1");
    ReportRow("following an outside change, 20,000 entries, vs start-up", {TimingOf(follows), TimingOf(startUps)},
              "<= 1.5");
}
