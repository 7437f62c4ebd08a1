// What loading, one clipboard change and one added entry cost with many
// entries, against the same on an empty collection: loading must cost in
// proportion to what it loads, a change and an addition in proportion to
// what they change, not to what the user keeps. The collections are
// measured in turns, round after round, so that a slow moment of the
// machine weighs on all of them alike.
#include "BenchSupport.h"
#include "app/QuipMarkDlg.h"
#include "storage/RecordCodec.h"
#include "framework/WinApp.h"
#include <cstring>
#include <memory>

namespace {

const int kSizes[] = {0, 500, 2000, 20000};
const int kRounds = 25;
const int kLoadRounds = 3;

// Entries per group: 20,000 entries make 200 groups, as a large collection
// kept in groups has them.
const int kGroupSize = 100;

// `count` entries, in groups of kGroupSize.
std::string Collection(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        AppendRecord(bytes, i % kGroupSize == 0 ? RecordKind::TopLevel : RecordKind::Child, "entry " + std::to_string(i));
    return bytes;
}

std::string CollectionPath(const std::string& folder, int count)
{
    return folder + "\\collection-" + std::to_string(count) + ".dat";
}

// A dialog started on the collection of `count` entries, and the seconds
// its start-up took, loading included.
std::unique_ptr<CQuipMarkDlg> DialogWith(const std::string& folder, int count, double& seconds)
{
    auto dialog = std::make_unique<CQuipMarkDlg>();
    dialog->UseDataPath(CollectionPath(folder, count));
    CWinApp::Get()->SetMainWnd(dialog.get());
    seconds = SecondsOf([&] {
        dialog->Create();
        dialog->FinishStart();
    });
    CWinApp::Get()->SetMainWnd(nullptr);
    return dialog;
}

// One entry added to the root, where a drop adds as the Add button does,
// without its limit of 500 items. It stays, as entries do.
double AddEntry(CQuipMarkDlg& dialog)
{
    CEntryTreeView& tree = dialog.Tree();
    // The item goes in where the rectangle comes out.
    RECT rect = {};
    const HTREEITEM root = tree.Root();
    std::memcpy(&rect, &root, sizeof(root));
    tree.Send(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    const POINT onRoot = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    bool added = false;
    const double seconds = SecondsOf([&] { added = tree.DropText({"added entry", L""}, onRoot); });
    return added ? seconds : 0.0;
}

}  // namespace

void BenchCollection(const std::string& folder)
{
    const size_t kinds = sizeof(kSizes) / sizeof(kSizes[0]);
    for (int count : kSizes)
        WriteAllBytes(CollectionPath(folder, count), Collection(count));
    // Start-up with each collection in turns; the dialogs of the last round
    // stay for the rest.
    std::vector<std::unique_ptr<CQuipMarkDlg>> dialogs(kinds);
    std::vector<std::vector<double>> load(kinds);
    // The first round warms up and is not counted.
    for (int round = -1; round < kLoadRounds; ++round) {
        for (size_t i = 0; i < kinds; ++i) {
            dialogs[i].reset();
            double seconds = 0;
            dialogs[i] = DialogWith(folder, kSizes[i], seconds);
            // Shown, for the drops that add entries.
            dialogs[i]->MakeControls();
            if (round >= 0)
                load[i].push_back(seconds);
        }
    }
    for (int i = 0; i < 15; ++i)  // a full history first: each change then drops one text
        PutClipboardText("history " + std::to_string(i));

    std::vector<std::vector<double>> change(kinds), add(kinds);
    int copied = 0;
    for (int round = -1; round < kRounds; ++round) {
        for (size_t i = 0; i < kinds; ++i) {
            // Every dialog records the change as it happens; the one measured
            // records it once more, which costs the same: a text goes, a
            // text comes.
            PutClipboardText("copied text " + std::to_string(copied++));
            const double changed = SecondsOf([&] { dialogs[i]->RecordClipboard(); });
            const double added = AddEntry(*dialogs[i]);
            if (round < 0)
                continue;  // the warm-up
            change[i].push_back(changed);
            add[i].push_back(added);
        }
    }
    for (size_t i = 0; i < kinds; ++i) {
        if (kSizes[i] != 2000 && kSizes[i] != 20000)
            continue;
        ReportRow("start-up with " + std::to_string(kSizes[i]) + " entries vs with none",
                  {TimingOf(load[i]), TimingOf(load[0])}, "report");
    }
    for (size_t i = 0; i < kinds; ++i) {
        const std::string entries = std::to_string(kSizes[i]) + " entries";
        const char* target = kSizes[i] == 2000 || kSizes[i] == 20000 ? "<= 1.5" : "report";
        ReportRow("one clipboard change, " + entries + " vs none", {TimingOf(change[i]), TimingOf(change[0])}, target);
        ReportRow("one entry added, " + entries + " vs none", {TimingOf(add[i]), TimingOf(add[0])}, target);
    }
}
