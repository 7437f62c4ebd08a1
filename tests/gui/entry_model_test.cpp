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
