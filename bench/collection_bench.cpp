// What one clipboard change and one added entry cost with many entries,
// against the same on an empty collection: both must cost in proportion to
// what they change, not to what the user keeps.
#include "BenchSupport.h"
#include "app/QuipMarkDlg.h"
#include "entries/RecordCodec.h"
#include "framework/WinApp.h"
#include <cstring>
#include <memory>

namespace {

const int kSizes[] = {0, 500, 2000, 20000};

// `count` entries, in groups of ten.
std::string Collection(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        AppendRecord(bytes, i % 10 == 0 ? RecordKind::TopLevel : RecordKind::Child, "entry " + std::to_string(i));
    return bytes;
}

std::unique_ptr<CQuipMarkDlg> DialogWith(const std::string& folder, int count)
{
    const std::string path = folder + "\\collection-" + std::to_string(count) + ".dat";
    WriteAllBytes(path, Collection(count));
    auto dialog = std::make_unique<CQuipMarkDlg>();
    dialog->UseDataPath(path);
    CWinApp::Get()->SetMainWnd(dialog.get());
    dialog->Create();
    CWinApp::Get()->SetMainWnd(nullptr);
    return dialog;
}

// One clipboard change with a full history: a text goes, a text comes.
double ClipboardChange(CQuipMarkDlg& dialog, int& round)
{
    return MedianOf(15, [&] {
        PutClipboardText("copied text " + std::to_string(round++));
        return MedianSeconds(1, [&] { dialog.RecordClipboard(); });
    });
}

// One entry added to a group, taken out again untimed. A drop adds as the
// Add button does, without its limit of 500 items.
double AddEntry(CQuipMarkDlg& dialog)
{
    CDragDropTreeCtrl& tree = dialog.Tree();
    return MedianOf(15, [&] {
        // The item goes in where the rectangle comes out.
        RECT rect = {};
        const HTREEITEM root = tree.Root();
        std::memcpy(&rect, &root, sizeof(root));
        tree.Send(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        const POINT onRoot = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        bool added = false;
        const double seconds = MedianSeconds(1, [&] { added = tree.DropText("added entry", onRoot); });
        if (added)
            dialog.DeleteEntryItem(tree.Selection());
        return added ? seconds : 0.0;
    });
}

// The tree view's own part of that: a bare item inserted at the same place
// (first after the clipboard branch) and deleted again untimed.
double BareInsertion(CQuipMarkDlg& dialog)
{
    CDragDropTreeCtrl& tree = dialog.Tree();
    return MedianOf(15, [&] {
        HTREEITEM item = nullptr;
        const double seconds = MedianSeconds(1, [&] {
            item = tree.Insert(tree.Root(), dialog.ClipboardBranch(), "bare item", 2);
        });
        tree.Delete(item);
        return seconds;
    });
}

}  // namespace

void BenchCollection(const std::string& folder)
{
    int round = 0;
    double emptyChange = 0, emptyAdd = 0, emptyBare = 0;
    for (int count : kSizes) {
        std::unique_ptr<CQuipMarkDlg> dialog = DialogWith(folder, count);
        for (int i = 0; i < 15; ++i) {  // a full history first
            PutClipboardText("history " + std::to_string(i));
            dialog->RecordClipboard();
        }
        const double change = ClipboardChange(*dialog, round);
        const double add = AddEntry(*dialog);
        const double bare = BareInsertion(*dialog);
        if (count == 0) {
            emptyChange = change;
            emptyAdd = add;
            emptyBare = bare;
        }
        const std::string entries = std::to_string(count) + " entries";
        const char* target = count == 2000 ? "<= 1.5" : "report";
        ReportRow("one clipboard change, " + entries, change, emptyChange, target);
        ReportRow("one entry added, " + entries, add, emptyAdd, target);
        ReportRow("  of which the tree view's own insertion", bare, emptyBare, "report");
    }
}
