// Recording a 1 MiB clipboard text in the history, against reading the same
// text from the clipboard once.
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

}  // namespace

void BenchClipboard()
{
    CQuipMarkDlg dialog;
    dialog.UseDataPath("");
    CWinApp::Get()->SetMainWnd(&dialog);
    dialog.Create();
    CWinApp::Get()->SetMainWnd(nullptr);
    std::string text(1024 * 1024, 'c');
    int round = 0;
    const double base = MedianOf(7, [&] {
        text[0] = static_cast<char>('a' + round++ % 26);
        PutClipboardText(text);
        return MedianSeconds(1, [&] { ReadText(); });
    });
    const double ours = MedianOf(7, [&] {
        text[0] = static_cast<char>('a' + round++ % 26);
        PutClipboardText(text);
        return MedianSeconds(1, [&] { dialog.RecordClipboard(); });
    });
    ReportRow("record a 1 MiB clipboard text", ours, base, "report");
}
