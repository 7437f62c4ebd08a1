// Every editing command and clipboard change updates only the items it
// touches; what the user sees must be what a refresh of the whole tree
// gives.
#include "TreeTestSupport.h"
#include "entries/RecordCodec.h"

namespace {

class TreeRefresh : public TreeTest {
protected:
    // Every item in order with its level, label, image and full text, and
    // the counter.
    std::string Seen() { return Items(Root(), 0) + "count " + ItemText(IDC_ITEM_COUNT) + "\n"; }
    std::string Items(HTREEITEM item, int level)
    {
        std::string seen;
        for (; item != nullptr; item = Tree().NextSibling(item))
            seen += std::string(level * 2, ' ') + Label(item) + " [" + std::to_string(Tree().Image(item)) + "] " +
                    FullText(item) + "\n" + Items(Tree().Child(item), level + 1);
        return seen;
    }
    void ExpectAsAFullRefreshGives(const char* change)
    {
        const std::string seen = Seen();
        dialog->RefreshImagesAndCount();
        EXPECT_EQ(seen, Seen()) << "after " << change;
    }
    HTREEITEM Find(const std::string& text)
    {
        Tree().Select(Root());
        return Tree().FindEntry(text, true);
    }
};

TEST_F(TreeRefresh, EachKindOfChangeLeavesWhatAFullRefreshGives)
{
    std::string bytes;
    for (const char* record : {"Kplain", "Kgroup", "eone", "etwo", "Ksingle", "eonly child"})
        AppendRecord(bytes, record[0] == 'K' ? RecordKind::TopLevel : RecordKind::Child, record + 1);
    WriteBytesToFile(dataPath, bytes);
    ShowDialog();
    ClipboardWindow other;
    for (int i = 0; i < 17; ++i) {
        const std::string text = "copied " + std::to_string(i);
        ASSERT_TRUE(other.PutText(text));
        ASSERT_TRUE(PumpUntil([&] { return !History().empty() && History().front() == text; }));
    }
    ExpectAsAFullRefreshGives("clipboard changes");

    Tree().Select(Find("plain"));
    ASSERT_TRUE(dialog->AddEntry("added to a plain entry"));
    ExpectAsAFullRefreshGives("adding a child");
    Tree().Select(nullptr);
    ASSERT_TRUE(dialog->AddEntry("added at the top"));
    ExpectAsAFullRefreshGives("adding a top-level entry");

    Tree().Select(Find("only child"));
    dialog->RemoveSelectedEntry();
    ExpectAsAFullRefreshGives("removing a group's last child");
    {
        MessageBoxAnswerer yes(IDYES);
        Tree().Select(Find("group"));
        dialog->RemoveSelectedEntry();
    }
    ExpectAsAFullRefreshGives("removing a group");
    dialog->UndoRemove();
    ExpectAsAFullRefreshGives("undoing the removal");

    HWND edit = Tree().EditLabel(Find("single"));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "renamed");
    Tree().Send(TVM_ENDEDITLABELNOW, FALSE);
    PumpMessages();
    ExpectAsAFullRefreshGives("renaming");

    POINT point = LabelPoint(Find("renamed"));
    ScreenToClient(Tree().Handle(), &point);
    ASSERT_TRUE(Tree().DropText("dropped", point));
    ExpectAsAFullRefreshGives("a drop");

    dialog->ClearClipboardHistory();
    ExpectAsAFullRefreshGives("clearing the history");
}

}  // namespace
