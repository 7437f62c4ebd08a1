// Runs every benchmark of the program and prints one table: each row is a
// ratio to a baseline measured in the same run, beside its target.
//
//   quipmark_bench.exe QUIPMARK_EXE BASELINE_EXE
#include "BenchSupport.h"
#include "framework/WinApp.h"
#include <commctrl.h>
#include <ole2.h>

namespace {
class CBenchApp : public CWinApp {
protected:
    int InitInstance() override { return 0; }
};
CBenchApp theApp;
}  // namespace

void BenchStartUp(const std::string& folder, const std::string& quipmark, const std::string& baseline);
void BenchMenu();
void BenchPopupFind();
void BenchDataFile(const std::string& folder);
void BenchClipboard();
void BenchCollection(const std::string& folder);
void BenchEntryTree(const std::string& folder);
void BenchSize(const std::string& quipmark, const std::string& baseline);

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: quipmark_bench QUIPMARK_EXE BASELINE_EXE\n");
        return 2;
    }
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "qmbench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);

    ReportHeader();
    BenchStartUp(folder, argv[1], argv[2]);
    BenchMenu();
    BenchPopupFind();
    BenchDataFile(folder);
    BenchClipboard();
    BenchCollection(folder);
    BenchEntryTree(folder);
    BenchSize(argv[1], argv[2]);

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            DeleteFileA((folder + "\\" + found.cFileName).c_str());
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
    OleUninitialize();
    return 0;
}
