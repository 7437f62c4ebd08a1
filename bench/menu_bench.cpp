// Building the popup menu for 500 entries (groups and plain entries, labels
// shortened), against appending the same prepared captions with bare menu
// calls.
#include "BenchSupport.h"
#include "entries/MenuLabel.h"
#include "TreeMessages.h"
#include "app/QuipMarkDlg.h"
#include "framework/WinApp.h"

namespace {

struct PreparedGroup {
    std::string caption;
    std::vector<std::string> children;
};

void AppendPrepared(const std::vector<PreparedGroup>& groups)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, 32773, "&Configure...");
    AppendMenuA(menu, MF_STRING, 32774, "&Exit");
    UINT position = 0;
    UINT id = 1325;
    for (const PreparedGroup& group : groups) {
        if (group.children.empty()) {
            InsertMenuA(menu, position++, MF_BYPOSITION | MF_STRING, id++, group.caption.c_str());
            continue;
        }
        HMENU submenu = CreateMenu();
        InsertMenuA(menu, position++, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                    group.caption.c_str());
        for (const std::string& child : group.children)
            AppendMenuA(submenu, MF_STRING, id++, child.c_str());
    }
    DestroyMenu(menu);
}

}  // namespace

void BenchMenu()
{
    CQuipMarkDlg dialog;
    dialog.UseDataPath("");
    CWinApp::Get()->SetMainWnd(&dialog);
    dialog.Create();
    // Shown once, so that the tree could be asked: building a menu must not.
    dialog.MakeControls();
    dialog.FinishStart();
    CWinApp::Get()->SetMainWnd(nullptr);

    // 498 entries: every fifth a group of four children, the rest plain.
    std::vector<PreparedGroup> prepared;
    prepared.push_back({ShortenLabel("Last 15 Clipboard Entries", 20), {}});
    const EntryId root = dialog.Entries().Root();
    int made = 0;
    for (int i = 0; made < 498; ++i) {
        const std::string label = "Entry number " + std::to_string(i) + " with a fairly long label";
        const EntryId top = dialog.AppendEntry(root, label);
        ++made;
        PreparedGroup group{ShortenLabel(label, 20), {}};
        if (i % 5 == 0) {
            for (int c = 0; c < 4 && made < 498; ++c, ++made) {
                const std::string child = "Child " + std::to_string(c) + " of entry " + std::to_string(i);
                dialog.AppendEntry(top, child);
                group.children.push_back(ShortenLabel(child, 20));
            }
        }
        prepared.push_back(group);
    }
    const Comparison row = TimedInTurns(31, [&] { dialog.BuildTrayMenu(0); }, [&] { AppendPrepared(prepared); });
    ReportRow("menu of 500 entries vs bare menu calls of the same captions", row, "<= 1.5");
    ReportCountRow("  tree-control messages while building it", TreeMessagesDuring(dialog, [&] { dialog.BuildTrayMenu(0); }),
                   "0");
}

// Both builds of the stripped program against the size they must stay
// within; `quipmark` is one of them, build/win64/quipmark.exe or
// build/win32/quipmark.exe, and the other is found beside its folder.
void BenchSize(const std::string& quipmark, const std::string&)
{
    const double kLimit = 600 * 1024;
    const size_t name = quipmark.find_last_of("\\/");
    const size_t build = name == std::string::npos || name == 0 ? std::string::npos : quipmark.find_last_of("\\/", name - 1);
    for (const char* kind : {"64", "32"}) {
        const std::string path = build == std::string::npos
                                     ? quipmark
                                     : quipmark.substr(0, build + 1) + "win" + kind + quipmark.substr(name);
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        const bool found = GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
        ReportSizeRow(std::string("size of the stripped ") + kind + "-bit quipmark.exe vs 600 KB" +
                          (found ? "" : " (not built!)"),
                      static_cast<double>(data.nFileSizeLow), kLimit, "<= 1.0");
    }
}
