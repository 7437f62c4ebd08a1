// A large collection kept in groups: start-up, what the tree control holds
// after it, and a search that finds nothing, each against a baseline of the
// same run.
#include "BenchSupport.h"
#include "TreeMessages.h"
#include "entries/EntrySearch.h"
#include "storage/RecordCodec.h"
#include "framework/CodePage.h"
#include "framework/WinApp.h"
#include <memory>

namespace {

const int kGroups = 200;
const int kEntriesPerGroup = 100;

// The 200 top-level entries, each with `children` entries.
std::string Groups(int children)
{
    std::string bytes;
    for (int group = 0; group < kGroups; ++group) {
        AppendRecord(bytes, RecordKind::TopLevel, "group " + std::to_string(group));
        for (int i = 0; i < children; ++i)
            AppendRecord(bytes, RecordKind::Child,
                         "entry " + std::to_string(i) + " of group " + std::to_string(group) + ", a canned reply");
    }
    return bytes;
}

std::unique_ptr<CQuipMarkDlg> Started(const std::string& path, double& seconds)
{
    auto dialog = std::make_unique<CQuipMarkDlg>();
    dialog->UseDataPath(path);
    CWinApp::Get()->SetMainWnd(dialog.get());
    // The start and the first show, which makes the tree control.
    seconds = SecondsOf([&] {
        dialog->Create();
        dialog->FinishStart();
        dialog->MakeControls();
    });
    CWinApp::Get()->SetMainWnd(nullptr);
    return dialog;
}

// The plain search: each text lower-cased and searched, nothing else.
bool PlainSearch(const std::vector<std::string>& texts, const std::string& needle)
{
    for (const std::string& text : texts) {
        std::string lower = text;
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        if (lower.find(needle) != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

void BenchEntryTree(const std::string& folder)
{
    const std::string grouped = folder + "\\grouped.dat";
    const std::string flat = folder + "\\flat.dat";
    WriteAllBytes(grouped, Groups(kEntriesPerGroup));
    WriteAllBytes(flat, Groups(0));

    // In turns, so that a slow moment weighs on both alike; the first round
    // warms up and is not counted.
    std::vector<double> withGroups, withoutChildren;
    std::unique_ptr<CQuipMarkDlg> dialog;
    for (int round = -1; round < 7; ++round) {
        double flatSeconds = 0;
        double groupedSeconds = 0;
        dialog.reset();
        Started(flat, flatSeconds);
        dialog = Started(grouped, groupedSeconds);
        if (round < 0)
            continue;
        withoutChildren.push_back(flatSeconds);
        withGroups.push_back(groupedSeconds);
    }
    ReportRow("start-up and first show, 20,000 entries in 200 groups vs none in them", {TimingOf(withGroups), TimingOf(withoutChildren)},
              "<= 1.5");
    ReportCountRow("  items the tree control holds once shown", dialog->Tree().Count(), "<= 250");

    std::vector<std::string> texts;
    for (EntryId id : dialog->Entries().InPreOrder())
        texts.push_back(dialog->Entries().Text(id));
    const std::string missing = "no entry holds this";
    const SearchFolding folding = {LowerCaseUnicode, FromSystemCodePage};
    bool found = false;
    const Comparison search = TimedInTurns(
        9,
        [&] {
            found |= FindEntry(dialog->Entries(), dialog->Tree().SelectedEntry(), FromSystemCodePage(missing), true,
                               folding) != kNoEntry;
        },
        [&] { found |= PlainSearch(texts, missing); });
    ReportRow(std::string("search finding nothing in 20,000 entries vs plain search") + (found ? " (found!)" : ""),
              search, "<= 2.0");
    SetDlgItemTextA(dialog->Handle(), IDC_FIND_TEXT, missing.c_str());
    const size_t messages = TreeMessagesDuring(*dialog, [&] {
        SendMessageA(dialog->Handle(), WM_COMMAND, MAKEWPARAM(IDC_FIND_NEXT, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog->Handle(), IDC_FIND_NEXT)));
    });
    ReportCountRow("  tree-control messages while searching", messages, "0");
}
