// The popup narrowed by typing over 20,000 entries: redrawn after a
// keystroke, and opened, each against the system showing a bare popup menu
// of the same number of lines (made, shown, drawn, closed).
#include "BenchSupport.h"
#include "app/QuipMarkDlg.h"
#include "framework/CodePage.h"
#include "framework/WinApp.h"
#include "entries/PopupIndex.h"
#include <memory>

namespace {

// Ends a menu as soon as it is up and drawn: the system tells its owner
// when the menu waits for input.
LRESULT CALLBACK MenuOwnerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ENTERIDLE && wParam == MSGF_MENU)
        EndMenu();
    return DefWindowProcW(window, msg, wParam, lParam);
}

void ShowBareMenu(HWND owner, const std::vector<std::wstring>& lines)
{
    HMENU menu = CreatePopupMenu();
    UINT id = 1325;
    for (const std::wstring& line : lines)
        AppendMenuW(menu, MF_STRING, id++, line.c_str());
    TrackPopupMenu(menu, 0, 100, 100, 0, owner, nullptr);
    DestroyMenu(menu);
}

class NoOwner : public IPopupFindOwner {
public:
    void OnPopupFindChoice(EntryId) override {}
    void OnPopupFindCleared(POINT) override {}
};

}  // namespace

void BenchPopupFind()
{
    CQuipMarkDlg dialog;
    dialog.UseDataPath("");
    CWinApp::Get()->SetMainWnd(&dialog);
    dialog.Create();
    dialog.FinishStart();
    CWinApp::Get()->SetMainWnd(nullptr);
    const EntryId root = dialog.Entries().Root();
    for (int group = 0; group < 200; ++group) {
        const EntryId top = dialog.AppendEntry(root, "Group " + std::to_string(group));
        for (int entry = 0; entry < 100; ++entry)
            dialog.AppendEntry(top, "Entry " + std::to_string(entry) + " of group " + std::to_string(group));
    }

    WNDCLASSW cls = {};
    cls.lpfnWndProc = MenuOwnerProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"QuipmarkBenchMenuOwner";
    RegisterClassW(&cls);
    HWND owner = CreateWindowW(cls.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, cls.hInstance, nullptr);

    // The index the program keeps between popups, read whole as it is once
    // the user has left the program a moment after a change.
    PopupIndex index(dialog.Entries(), {LowerCaseUnicode, FromSystemCodePage});
    while (!index.Index(PopupIndex::kPortion)) {
    }
    NoOwner noOwner;
    CPopupFindWindow popup(noOwner);
    auto open = [&] {
        popup.Open(dialog.Handle(), POINT{100, 100}, std::make_unique<PopupFind>(dialog.Entries(), index), 20, L'o');
        UpdateWindow(popup.Handle());
    };
    // The query typed, unless it still is: the bare menu measured in turns
    // may take the focus, and the popup closes when its owner loses it.
    const auto typed = [&] {
        if (popup.IsOpen())
            return;
        open();
        for (wchar_t key : std::wstring(L"f group 1"))
            SendMessageW(popup.Handle(), WM_CHAR, key, 1);
    };
    typed();
    // Both queries fill the screen: "of group 1" and "of group 12".
    std::vector<std::wstring> lines;
    for (const PopupFindLine& line : popup.Lines())
        lines.push_back(line.text);
    const auto bare = [&] { ShowBareMenu(owner, lines); };
    const Comparison keystroke = InTurns(
        15,
        [&] {
            typed();
            return SecondsOf([&] {
                SendMessageW(popup.Handle(), WM_CHAR, L'2', 1);
                UpdateWindow(popup.Handle());
                SendMessageW(popup.Handle(), WM_KEYDOWN, VK_BACK, 1);
                UpdateWindow(popup.Handle());
            }) / 2;
        },
        [&] { return SecondsOf(bare); });
    popup.Close();
    const Comparison opening = TimedInTurns(
        9,
        [&] {
            open();
            popup.Close();
        },
        bare);
    ReportRow("popup redrawn after a keystroke (" + std::to_string(lines.size()) + " lines) vs a bare menu of them", keystroke,
              "<= 1.5");
    ReportRow("popup opened on the first key typed vs a bare menu", opening, "report");
    DestroyWindow(owner);
}
