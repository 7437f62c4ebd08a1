#include "GuiTestSupport.h"

namespace {

class EntryModel : public DialogTest {};

TEST_F(EntryModel, StartsWithTheRootAndTheClipboardBranch)
{
    StartDialog();
    EXPECT_EQ(TreeOutline(), "Quipmark Menu List\n  Last 15 Clipboard Entries\n");
    EXPECT_EQ(dialog->GetItemText(static_cast<int>(Tree().Data(Tree().Root()))), "QuipMark Menu List");
    EXPECT_EQ(dialog->GetItemText(static_cast<int>(Tree().Data(dialog->ClipboardBranch()))),
              "Last 15 Clipboard Entries");
    EXPECT_EQ(ItemText(IDC_ITEM_COUNT), "2");
    EXPECT_EQ(Tree().Image(dialog->ClipboardBranch()), 2);
    EXPECT_EQ(dialog->ClassifyItem(nullptr), 0);
    EXPECT_EQ(dialog->ClassifyItem(Tree().Root()), 1);
    EXPECT_EQ(dialog->ClassifyItem(dialog->ClipboardBranch()), 2);
    EXPECT_TRUE(Tree().IsInClipboardBranch(dialog->ClipboardBranch()));
    EXPECT_FALSE(Tree().IsInClipboardBranch(Tree().Root()));
    EXPECT_FALSE(Tree().IsInClipboardBranch(nullptr));
}

TEST_F(EntryModel, TheTextTableDoesNotGrowWithUse)
{
    StartDialog();
    HTREEITEM root = Tree().Root();
    for (int round = 0; round < 200; ++round) {
        HTREEITEM group = dialog->InsertEntry(root, TVI_LAST, "group", "group", 2);
        for (int i = 0; i < 5; ++i)
            dialog->InsertEntry(group, TVI_LAST, "child", "child " + std::to_string(i), 2);
        dialog->DeleteEntryItem(group);
    }
    EXPECT_LE(dialog->TextTableSize(), 2u + 6u);
    // Every live item still names a slot holding its own text.
    HTREEITEM kept = dialog->InsertEntry(root, TVI_LAST, "kept", "kept text", 2);
    HTREEITEM other = dialog->InsertEntry(root, TVI_LAST, "other", "other text", 2);
    EXPECT_EQ(dialog->GetItemText(static_cast<int>(Tree().Data(kept))), "kept text");
    EXPECT_EQ(dialog->GetItemText(static_cast<int>(Tree().Data(other))), "other text");
}

TEST_F(EntryModel, ASlotTheOpenMenuNamesIsNotTakenByANewEntry)
{
    StartDialog();
    HTREEITEM doomed = dialog->InsertEntry(Tree().Root(), TVI_LAST, "doomed", "doomed", 2);
    DriveMenu([&] { dialog->Send(WM_TRAY_NOTIFY, 0, WM_RBUTTONUP); });
    // While the menu's command is still on its way, the entry goes and a
    // new one comes (as the clipboard history does on a change).
    dialog->DeleteEntryItem(doomed);
    dialog->InsertEntry(Tree().Root(), TVI_LAST, "newcomer", "newcomer", 2);
    SetClipboardText("unchanged");
    dialog->OnMenuCmd(1326);
    PumpMessages();
    EXPECT_EQ(ClipboardText(), "unchanged");
}

TEST_F(EntryModel, LongTextsShowAShortLabelButStayWhole)
{
    StartDialog();
    const std::string text = std::string(10 * 1024 * 1024, 'q') + "tail";
    HTREEITEM item = dialog->InsertEntry(Tree().Root(), TVI_LAST, text, text, 2);
    EXPECT_EQ(Tree().Label(item), std::string(kLongestLabel, 'q'));
    EXPECT_EQ(dialog->GetItemText(static_cast<int>(Tree().Data(item))), text);
    for (size_t length : {size_t(0), size_t(1), size_t(254), size_t(255), size_t(259), size_t(260)}) {
        const std::string label(length, 'l');
        HTREEITEM short_ = dialog->InsertEntry(Tree().Root(), TVI_LAST, label, label, 2);
        EXPECT_EQ(Tree().Label(short_).size(), std::min(length, kLongestLabel));
    }
}

}  // namespace
