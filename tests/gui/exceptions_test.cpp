// No exception of a handler leaves for the system's code, and none makes a
// message's default processing run twice; a step that fails part-way leaves
// the program as it was before the step, or in a state the user can use.
#include "AllocationFailure.h"
#include "TreeTestSupport.h"
#include "framework/Clipboard.h"
#include "framework/OleDataSource.h"
#include <algorithm>
#include <memory>
#include <stdexcept>

namespace {

const UINT kProbe = WM_APP + 7;
int g_defaultRuns = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kProbe)
        ++g_defaultRuns;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Fails on the probe message, after asking for the default processing itself
// when `defaultFirst` says so.
class CFailingWnd : public CWnd {
public:
    bool defaultFirst = false;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg != kProbe)
            return CWnd::WindowProc(msg, wParam, lParam);
        if (defaultFirst)
            Default(msg, wParam, lParam);
        throw std::runtime_error("the handler failed");
    }
};

HWND CountingWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuipmarkTestCountingWindow";
    RegisterClassA(&windowClass);
    return CreateWindowA(windowClass.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

const size_t kHuge = 10 * 1024 * 1024;
// Smaller than any copy of a huge text, larger than anything else the
// program asks for meanwhile.
const size_t kShortOfMemory = 8 * 1024 * 1024;

class Exceptions : public TreeTest {
protected:
    // The dialog, started after `viewer` joined the clipboard chain, so that
    // the chain runs dialog -> viewer.
    void StartAfter(ClipboardWindow& viewer)
    {
        viewer.JoinChain();
        StartDialog();
    }
    void Copy(ClipboardWindow& writer, const std::string& text)
    {
        ASSERT_TRUE(writer.PutText(text));
        ASSERT_TRUE(PumpUntil([&] { return !History().empty() && History()[0] == text; })) << text;
    }
    // A huge text copied while the program is short of memory: the `granted`
    // first large copies are still made. The next viewer must hear of it.
    void CopyHugeShortOfMemory(ClipboardWindow& writer, const ClipboardWindow& viewer, int granted = 0)
    {
        const std::string huge(kHuge, 'c');
        const int draws = viewer.Draws();
        const LargeAllocationsFail shortOfMemory(kShortOfMemory, granted);
        ASSERT_TRUE(writer.PutText(huge));
        EXPECT_TRUE(PumpUntil([&] { return viewer.Draws() > draws; })) << "the next viewer heard of the change";
    }
    // The history list and the clipboard branch both hold `expected`.
    void ExpectHistory(const std::vector<std::string>& expected)
    {
        EXPECT_EQ(History(), expected);
        EXPECT_EQ(ChildLabels(Branch()), expected);
    }
};

TEST_F(Exceptions, AFailingWindowHandlerGetsDefaultProcessingExactlyOnce)
{
    HWND hwnd = CountingWindow();
    ASSERT_NE(hwnd, nullptr);
    CFailingWnd wnd;
    ASSERT_TRUE(wnd.Subclass(hwnd));
    for (bool defaultFirst : {false, true}) {
        wnd.defaultFirst = defaultFirst;
        g_defaultRuns = 0;
        SendMessageA(hwnd, kProbe, 0, 0);
        EXPECT_EQ(g_defaultRuns, 1) << (defaultFirst ? "default asked for, then failed" : "failed at once");
    }
    wnd.Unsubclass();
    DestroyWindow(hwnd);
}

TEST_F(Exceptions, AFailingDropTargetRefusesTheDropAndEndsTheDrag)
{
    ShowDialog();
    HTREEITEM target = AddItem(Root(), "target");
    dialog->SetModified(false);
    const size_t entries = Entries().Count();
    const UINT items = Tree().Count();
    // Reading the dropped text fails: there is not enough memory for a copy.
    HGLOBAL block = NewTextBlock(std::string(kHuge, 'd'));
    ASSERT_NE(block, nullptr);
    COleDataSource* source = new COleDataSource;
    source->CacheText(block);
    PointAt(target);
    DWORD effect = DROPEFFECT_COPY;
    {
        const LargeAllocationsFail shortOfMemory(kShortOfMemory);
        // No button is down, so the drag loop drops at once where the pointer is.
        effect = source->DoDragDrop(DROPEFFECT_COPY);
    }
    source->Release();
    PumpMessages();
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << "the source learns that nothing was dropped";
    EXPECT_EQ(Entries().Count(), entries);
    EXPECT_EQ(Tree().Count(), items);
    EXPECT_FALSE(dialog->IsModified());
    EXPECT_EQ(Tree().Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(target), TVIS_DROPHILITED), 0)
        << "the tree took its drop mark away";
    EXPECT_EQ(Tree().DragEntry(), kNoEntry);
}

TEST_F(Exceptions, ADragWhoseStartFailedLeavesNoDragBehind)
{
    ShowDialog();
    HTREEITEM huge = AddItem(Root(), std::string(kHuge, 'h'));
    HTREEITEM target = AddItem(Root(), "target");
    {
        // The text's copies for the drag cannot be made.
        const LargeAllocationsFail shortOfMemory(kShortOfMemory);
        DragOwnItem(huge);
    }
    EXPECT_FALSE(Tree().IsDragging());
    EXPECT_EQ(Tree().DragEntry(), kNoEntry);
    // A later drop from elsewhere inserts what was dropped, not the entry
    // whose drag never began.
    PointAt(target);
    EXPECT_EQ(DropFromElsewhere("from elsewhere"), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(ChildLabels(target), (std::vector<std::string>{"from elsewhere"}));
}

TEST_F(Exceptions, AClipboardChangeThatCouldNotBeRecordedIsStillPassedOnAndTheHistoryStaysInStep)
{
    ClipboardWindow viewer, writer;
    StartAfter(viewer);
    Copy(writer, "one");
    Copy(writer, "two");
    CopyHugeShortOfMemory(writer, viewer);
    ExpectHistory({"two", "one"});
    Copy(writer, "one");
    ExpectHistory({"one", "two"});
}

TEST_F(Exceptions, AClipboardTextThatCannotBeKeptChangesNeitherTheHistoryNorTheBranch)
{
    ClipboardWindow viewer, writer;
    StartAfter(viewer);
    std::vector<std::string> expected;
    for (int i = 1; i <= 15; ++i) {
        expected.insert(expected.begin(), "text " + std::to_string(i));
        Copy(writer, expected.front());
    }
    // The text is read, but the list box's form of it cannot be made; the
    // history and the branch keep the text itself, not copies of it.
    CopyHugeShortOfMemory(writer, viewer, 1);
    ExpectHistory(expected);
    // Later changes remove by position the items the history removes.
    Copy(writer, "text 3");
    expected.pop_back();  // "text 1", the oldest
    expected.erase(std::find(expected.begin(), expected.end(), "text 3"));
    expected.insert(expected.begin(), "text 3");
    ExpectHistory(expected);
}

// Drives a modal run of the dialog from its own message loop.
struct ModalRun {
    CQuipMarkDlg* dialog = nullptr;
    HTREEITEM huge = nullptr;
    int ticks = 0;
    bool runningAfterEnter = false;
    std::unique_ptr<LargeAllocationsFail> shortOfMemory;
};
ModalRun* g_run = nullptr;

void CALLBACK OnModalTick(HWND, UINT, UINT_PTR, DWORD)
{
    ModalRun& run = *g_run;
    HWND hwnd = run.dialog->Handle();
    if (hwnd == nullptr)
        return;
    ++run.ticks;
    CEntryTreeView& tree = run.dialog->Tree();
    if (run.ticks == 1) {
        // The tree, as once the dialog is shown.
        ASSERT_TRUE(run.dialog->MakeControls());
        const EntryTree& entries = run.dialog->Entries();
        run.huge = tree.ItemOf(entries.Children(entries.Root()).back());
        tree.Select(run.huge);
        // Handing out the entry needs a copy of its text, which fails.
        run.shortOfMemory = std::make_unique<LargeAllocationsFail>(kShortOfMemory);
        PostMessageA(tree.Handle(), WM_KEYDOWN, VK_RETURN, 1);
    } else if (run.ticks == 2) {
        run.shortOfMemory.reset();
        run.runningAfterEnter = IsWindow(hwnd) != FALSE && tree.Selection() == run.huge &&
                                run.dialog->Entries().Text(tree.EntryOf(run.huge)).size() == kHuge;
        run.dialog->EndDialog(IDCANCEL);
    }
}

TEST_F(Exceptions, EnterThatFailsToHandOutAnEntryLeavesTheDialogRunning)
{
    WriteBytesToFile(dataPath, K("small") + K(std::string(kHuge, 'h')));
    dialog = std::make_unique<CQuipMarkDlg>();
    dialog->UseDataPath(dataPath);
    CWinApp::Get()->SetMainWnd(dialog.get());
    ModalRun run;
    run.dialog = dialog.get();
    g_run = &run;
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, OnModalTick);
    EXPECT_NO_THROW(dialog->DoModal()) << "the failure left the dialog's message loop";
    KillTimer(nullptr, timer);
    g_run = nullptr;
    EXPECT_TRUE(run.runningAfterEnter);
    EXPECT_GE(run.ticks, 2);
}

}  // namespace
