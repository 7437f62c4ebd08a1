// Loading and saving the data file, against plain reading and writing of the
// same bytes (the save's replace-in-one-step included on both sides).
#include "BenchSupport.h"
#include "TreeMessages.h"
#include "app/QuipMarkDlg.h"
#include "storage/RecordCodec.h"
#include "framework/WinApp.h"
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Rounds of each side in turn: a write now and then waits for the disk, on
// either side, and the median of many leaves that out.
const int kRounds = 15;

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

    // The step of the start that reads the file, on a dialog already made
    // without any (its tray icon and settings cost the same with any file),
    // against reading the same bytes whole. The tree control shows the
    // entries when the dialog is first shown, timed apart.
    std::vector<double> showing;
    // The start reads the file before it watches the folder: the watch the
    // bench's dialog would start when given the file's path is left out.
    _putenv("QUIPMARK_NO_FILE_WATCH=1");
    const Comparison loaded = InTurns(
        kRounds,
        [&] {
            CQuipMarkDlg dialog;
            dialog.UseDataPath(folder + "\\missing.dat");
            dialog.Create();
            dialog.FinishStart();
            dialog.UseDataPath(path);
            // As the start loads them: before the dialog is first shown.
            ShowWindow(dialog.Handle(), SW_HIDE);
            const double seconds = SecondsOf([&] { dialog.LoadEntries(); });
            dialog.MakeControls();
            showing.push_back(SecondsOf([&] { dialog.Tree().ShowAll(); }));
            return seconds;
        },
        [&] { return SecondsOf([&] { ReadAllBytes(path); }); });
    _putenv("QUIPMARK_NO_FILE_WATCH=");
    showing.erase(showing.begin());  // the warm-up's
    ReportRow("load " + label + " vs plain read", loaded, "<= 2.0");
    ReportRow("  the tree control showing them, once shown, vs plain read", Comparison{TimingOf(showing), loaded.baseline},
              "report");

    CQuipMarkDlg dialog;
    dialog.UseDataPath(path);
    dialog.Create();
    dialog.MakeControls();
    dialog.FinishStart();
    // A file of its own: the dialog's file changed by another program
    // would be merged by the next save.
    const std::string temp = folder + "\\plain.tmp";
    const std::string plain = folder + "\\plain.dat";
    const Comparison saved = TimedInTurns(kRounds, [&] { dialog.SaveEntries(); }, [&] {
        WriteAllBytes(temp, bytes);
        MoveFileExA(temp.c_str(), plain.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    });
    ReportRow("save " + label + " vs plain write and replace", saved, "<= 1.5");
    ReportCountRow("  tree-control messages while saving", TreeMessagesDuring(dialog, [&] { dialog.SaveEntries(); }), "0");
}

}  // namespace

void BenchDataFile(const std::string& folder)
{
    Measure(folder, 64 * 1024);
    Measure(folder, 16);
}
