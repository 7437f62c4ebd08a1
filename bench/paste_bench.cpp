// "Paste after choosing" into Wine's own notepad: from the choice until
// notepad shows the entry, against handing the entry out on the clipboard
// alone, which the paste does first.
#include "BenchSupport.h"
#include "app/PasteAfterChoice.h"
#include "framework/Clipboard.h"

namespace {

// Dispatches this thread's messages, the paste's timers to `paste`, until
// `done` holds or `timeoutMs` passed; false on the timeout.
bool PumpUntil(CPasteAfterChoice& paste, const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && paste.OwnsTimer(msg.wParam))
                paste.OnTimer(msg.wParam);
            else
                DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return true;
}

LRESULT TextLength(HWND edit)
{
    return SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
}

}  // namespace

void BenchPaste()
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    char command[] = "notepad.exe";
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("| paste: notepad.exe did not start\n");
        return;
    }
    WaitForInputIdle(process.hProcess, 20000);
    HWND notepad = nullptr, edit = nullptr;
    for (int i = 0; i < 500 && edit == nullptr; ++i, Sleep(20)) {
        notepad = FindWindowA("Notepad", nullptr);
        edit = notepad != nullptr ? FindWindowExA(notepad, nullptr, "Edit", nullptr) : nullptr;
    }
    HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CPasteAfterChoice paste;
    paste.Enable(owner, true);
    const std::string text = "Kind regards";
    std::vector<double> handOut, pasted;
    bool allPasted = edit != nullptr;
    // In turns, so that a slow moment weighs on both alike.
    for (int round = 0; round < 9 && allPasted; ++round) {
        handOut.push_back(MedianSeconds(1, [&] { WriteClipboardText(owner, text); }));
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        SetForegroundWindow(notepad);
        allPasted = PumpUntil(paste, [&] { return GetForegroundWindow() == notepad; }, 5000);
        POINT anchor = {0, 0};
        paste.Aim(true, anchor);
        pasted.push_back(MedianSeconds(1, [&] {
            WriteClipboardText(owner, text);
            paste.OnHandedOut();
            allPasted = allPasted &&
                PumpUntil(paste, [&] { return TextLength(edit) == static_cast<LRESULT>(text.size()); }, 5000);
        }));
    }
    paste.Enable(owner, false);
    DestroyWindow(owner);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!allPasted || pasted.empty()) {
        std::printf("| paste: the entry never reached notepad\n");
        return;
    }
    std::sort(handOut.begin(), handOut.end());
    std::sort(pasted.begin(), pasted.end());
    ReportRow("paste into notepad, choice to text shown, vs hand-out alone", pasted[pasted.size() / 2],
              handOut[handOut.size() / 2], "report");
}
