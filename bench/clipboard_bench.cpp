// Recording a large clipboard text in the history, against reading the same
// text from the clipboard once. The history is full of texts of the same
// size that begin as the new one does and differ only at the end, so every
// kept text is compared to its end; then the oldest goes and the new text
// comes to the top of the history, its branch and the hidden list box.
#include "BenchSupport.h"
#include "app/QuipMarkDlg.h"
#include "framework/WinApp.h"

namespace {

std::string ReadText()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// `size` bytes that differ from those of any other `number` in the last few only.
std::string TextOf(size_t size, int number)
{
    std::string text(size, 'c');
    const std::string end = std::to_string(number);
    text.replace(size - end.size(), end.size(), end);
    return text;
}

void Measure(CQuipMarkDlg& dialog, size_t size, const std::string& what, int rounds)
{
    int number = 0;
    std::string text;
    const auto put = [&] {
        text = TextOf(size, number++);
        PutClipboardText(text);
    };
    for (size_t i = 0; i < kHistoryCapacity; ++i) {
        put();
        dialog.RecordClipboard();
    }
    bool recordedBefore = false;
    const Comparison row = InTurns(
        rounds,
        [&] {
            put();
            recordedBefore |= dialog.Entries().History().Texts().front() == text;
            return SecondsOf([&] { dialog.RecordClipboard(); });
        },
        [&] {
            put();
            return SecondsOf([] { ReadText(); });
        });
    ReportRow(what + (recordedBefore ? " (recorded before!)" : ""), row, "<= 3.0");
}

}  // namespace

void BenchClipboard()
{
    CQuipMarkDlg dialog;
    dialog.UseDataPath("");
    CWinApp::Get()->SetMainWnd(&dialog);
    dialog.Create();
    dialog.FinishStart();
    CWinApp::Get()->SetMainWnd(nullptr);
    // As a clipboard viewer the dialog would record each text as it is put,
    // and the measured record would find it there already.
    ChangeClipboardChain(dialog.Handle(), nullptr);
    Measure(dialog, 1024 * 1024, "record a 1 MiB clipboard text vs a plain read of it", 7);
    Measure(dialog, 10 * 1024 * 1024, "record a 10 MiB clipboard text vs a plain read of it", 5);
}
