// Months of use in a minute: thousands of clipboard changes and editing
// cycles must leave the program's memory and system objects where they
// were, give or take a small fixed amount.
#include "GuiTestSupport.h"
#include <psapi.h>

namespace {

struct Footprint {
    size_t entries;
    UINT treeItems;
    SIZE_T heapBytes;
    SIZE_T privateBytes;
    size_t windows;
    DWORD userObjects;
    DWORD gdiObjects;
};

// The bytes in use in every heap of the process. Wine reports no private
// bytes and no USER or GDI object counts (they read 0), so the heaps and the
// windows of this thread are counted as well.
SIZE_T HeapBytesInUse()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    SIZE_T total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<size_t*>(count);
    return TRUE;
}

// A top-level window and all its descendants, which EnumChildWindows visits
// at every depth already.
BOOL CALLBACK CountWindowTree(HWND hwnd, LPARAM count)
{
    CountWindow(hwnd, count);
    EnumChildWindows(hwnd, CountWindow, count);
    return TRUE;
}

size_t ThreadWindows()
{
    size_t count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindowTree, reinterpret_cast<LPARAM>(&count));
    return count;
}

class Soak : public DialogTest {
protected:
    Footprint Measure()
    {
        PROCESS_MEMORY_COUNTERS_EX counters = {};
        counters.cb = sizeof(counters);
        GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof(counters));
        return {Entries().Count(), Tree().Count(), HeapBytesInUse(), counters.PrivateUsage, ThreadWindows(),
                GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS),
                GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)};
    }

    void ClipboardChanges(int from, int count)
    {
        for (int i = from; i < from + count; ++i)
            SetClipboardText("clipboard text number " + std::to_string(i) + std::string(i % 200, '.'));
        PumpMessages();
    }

    void EditingCycles(int count)
    {
        for (int i = 0; i < count; ++i) {
            Tree().Select(nullptr);
            ASSERT_TRUE(dialog->AddEntry("cycle " + std::to_string(i)));
            dialog->RemoveSelectedEntry();
            dialog->UndoRemove();
            // Undo brought it back at the end of the top-level entries.
            Tree().SelectEntry(Entries().Children(Entries().Root()).back());
            dialog->RemoveSelectedEntry();
        }
        PumpMessages();
    }

    // `heapAllowance` is what the heaps may grow by: a few KiB of noise,
    // well below what one lost text per step would add up to.
    void ExpectNoGrowth(const Footprint& before, const Footprint& after, SIZE_T heapAllowance)
    {
        EXPECT_LE(after.entries, before.entries + 20);
        EXPECT_LE(after.treeItems, before.treeItems + 20);
        EXPECT_GT(before.heapBytes, 0u);
        EXPECT_LE(after.heapBytes, before.heapBytes + heapAllowance);
        EXPECT_LE(after.privateBytes, before.privateBytes + 4 * 1024 * 1024);
        EXPECT_LE(after.windows, before.windows);
        EXPECT_LE(after.userObjects, before.userObjects + 5);
        EXPECT_LE(after.gdiObjects, before.gdiObjects + 5);
    }
};

// Under Wine a clipboard change costs 10 to 25 ms, most of it the X
// clipboard's own round trips, so the changes are counted in thousands, not
// tens of thousands. The heaps move by about 4 KiB over such a run.
TEST_F(Soak, TwoThousandClipboardChangesLeaveNothingBehind)
{
    StartDialog();
    // The branch is open throughout, so the tree holds the history's items
    // and follows every change.
    const EntryId branch = Entries().ClipboardBranch();
    ClipboardChanges(0, 1);
    ASSERT_TRUE(PumpUntil([&] { return Entries().HasChildren(branch); }));
    Tree().ExpandEntry(branch);
    ClipboardChanges(1, 499);  // warm up: the history fills, heaps settle
    const Footprint before = Measure();
    ClipboardChanges(500, 1500);
    const Footprint after = Measure();
    // A text of at least 22 bytes lost per change would be over 48 KiB.
    ExpectNoGrowth(before, after, 48 * 1024);
    const std::vector<EntryId>& history = Entries().Children(branch);
    ASSERT_FALSE(history.empty());
    HTREEITEM newest = Tree().ItemOf(history.front());
    ASSERT_NE(newest, nullptr) << "the open branch shows the newest entry";
    EXPECT_EQ(Tree().Label(newest).substr(0, 27), "clipboard text number 1999.");
}

// The heaps move by about 4 KiB over 800 cycles; a tree item or a text lost
// per cycle would be more than 64 KiB. The entries' history remembers each
// removal by design (for a merge with another machine's file), up to a
// bound, in at most 96 bytes each.
TEST_F(Soak, AThousandEditingCyclesLeaveNothingBehind)
{
    StartDialog();
    dialog->AppendEntry(Entries().Root(), "kept");
    EditingCycles(200);
    const Footprint before = Measure();
    const size_t removalsBefore = Entries().EditHistory().removed.size();
    EditingCycles(800);
    const Footprint after = Measure();
    const size_t removals = Entries().EditHistory().removed.size() - removalsBefore;
    EXPECT_LE(removals, 2u * 800u);
    ExpectNoGrowth(before, after, 64 * 1024 + 96 * removals);
    EXPECT_EQ(TreeOutline(), "Quipmark Menu List\n  Last 15 Clipboard Entries\n  kept\n");
}

}  // namespace

