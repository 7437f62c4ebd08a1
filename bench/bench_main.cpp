// Runs every benchmark of the program and prints one table: each row is a
// ratio to a baseline measured in the same run, beside its target.
//
//   quipmark_bench.exe QUIPMARK_EXE BASELINE_EXE [NAME...]
//
// With NAMEs, only the benchmarks of those names run (startup, menu,
// popupfind, datafile, clipboard, collection, entrytree, size, watch).
#include "BenchSupport.h"
#include "app/QuipMarkDlg.h"
#include "framework/WinApp.h"
#include <commctrl.h>
#include <ole2.h>

namespace {
class CBenchApp : public CWinApp {
protected:
    int InitInstance() override { return 0; }
};
CBenchApp theApp;

// Removes a folder of the benchmarks' files.
void RemoveFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            DeleteFileA((folder + "\\" + found.cFileName).c_str());
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// A dialog made and destroyed before anything is measured: the first one
// loads the controls' libraries, fonts and icons, which no row should pay.
void WarmUp()
{
    CQuipMarkDlg dialog;
    dialog.UseDataPath("");
    dialog.Create();
    dialog.MakeControls();
    dialog.FinishStart();
}
}  // namespace

void BenchStartUp(const std::string& folder, const std::string& quipmark, const std::string& baseline);
void BenchMenu();
void BenchPopupFind();
void BenchDataFile(const std::string& folder);
void BenchClipboard();
void BenchCollection(const std::string& folder);
void BenchEntryTree(const std::string& folder);
void BenchSize(const std::string& quipmark, const std::string& baseline);
void BenchWatch(const std::string& folder, const std::string& quipmark);
void BenchPaste();

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: quipmark_bench QUIPMARK_EXE BASELINE_EXE [NAME...]\n");
        return 2;
    }
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "qmbench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);

    const std::vector<std::string> only(argv + 3, argv + argc);
    const auto runs = [&](const char* name) {
        return only.empty() || std::find(only.begin(), only.end(), name) != only.end();
    };
    WarmUp();
    ReportHeader();
    if (runs("startup"))
        BenchStartUp(folder, argv[1], argv[2]);
    if (runs("menu"))
        BenchMenu();
    if (runs("popupfind"))
        BenchPopupFind();
    if (runs("datafile"))
        BenchDataFile(folder);
    if (runs("clipboard"))
        BenchClipboard();
    if (runs("collection"))
        BenchCollection(folder);
    if (runs("entrytree"))
        BenchEntryTree(folder);
    if (runs("size"))
        BenchSize(argv[1], argv[2]);
    if (runs("watch"))
        BenchWatch(folder, argv[1]);
    if (runs("paste"))
        BenchPaste();

    RemoveFolder(folder + "\\watch");
    RemoveFolder(folder);
    OleUninitialize();
    return 0;
}
