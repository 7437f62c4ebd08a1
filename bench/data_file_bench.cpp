// Loading and saving the data file, against plain reading and writing of the
// same bytes (the save's replace-in-one-step included on both sides).
#include "BenchSupport.h"
#include "TreeMessages.h"
#include "app/QuipMarkDlg.h"
#include "storage/RecordCodec.h"
#include "framework/WinApp.h"
#include <memory>

namespace {

std::string SampleFile(size_t textSize)
{
    std::string bytes;
    for (int i = 0; i < 498; ++i) {
        std::string text(textSize, static_cast<char>('a' + i % 26));
        text.replace(0, std::min(textSize, std::to_string(i).size()), std::to_string(i));
        AppendRecord(bytes, i % 5 == 0 ? RecordKind::TopLevel : (i == 0 ? RecordKind::TopLevel : RecordKind::Child), text);
    }
    return bytes;
}

std::string ReadAllBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size;
    GetFileSizeEx(file, &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    return bytes;
}

void Measure(const std::string& folder, size_t textSize)
{
    const std::string path = folder + "\\quipmark.dat";
    const std::string bytes = SampleFile(textSize);
    WriteAllBytes(path, bytes);
    const std::string label = std::to_string(498) + " entries of " +
                              (textSize >= 1024 ? std::to_string(textSize / 1024) + " KiB" : std::to_string(textSize) + " bytes");

    const double plainRead = MedianSeconds(7, [&] { ReadAllBytes(path); });
    const double load = MedianSeconds(7, [&] {
        CQuipMarkDlg dialog;
        dialog.UseDataPath(path);
        CWinApp::Get()->SetMainWnd(&dialog);
        dialog.Create();
        CWinApp::Get()->SetMainWnd(nullptr);
    });
    // The dialog's own start-up (tree, tray icon, settings) without any entry.
    const double emptyStart = MedianSeconds(7, [&] {
        CQuipMarkDlg dialog;
        dialog.UseDataPath(folder + "\\missing.dat");
        dialog.Create();
    });
    ReportRow("load " + label + ": start-up growth vs plain read", load - emptyStart, plainRead, "<= 2.0");

    CQuipMarkDlg dialog;
    dialog.UseDataPath(path);
    dialog.Create();
    // A file of its own: replacing the data file would be a change from
    // outside, which the next save must read.
    const std::string temp = folder + "\\plain.tmp", plain = folder + "\\plain.dat";
    const double plainWrite = MedianSeconds(7, [&] {
        WriteAllBytes(temp, bytes);
        MoveFileExA(temp.c_str(), plain.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    });
    const double save = MedianSeconds(7, [&] { dialog.SaveEntries(); });
    ReportRow("save " + label + " vs plain write and replace", save, plainWrite, "<= 1.5");
    ReportCountRow("  tree-control messages while saving", TreeMessagesDuring(dialog, [&] { dialog.SaveEntries(); }), "0");
}

}  // namespace

void BenchDataFile(const std::string& folder)
{
    Measure(folder, 64 * 1024);
    Measure(folder, 16);
}
