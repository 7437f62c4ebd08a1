// Every editing command and clipboard change updates only the items it
// touches; what the user sees must be what a refresh of the whole tree
// gives.
#include "TreeTestSupport.h"
#include "entries/RecordCodec.h"

namespace {

class TreeRefresh : public TreeTest {
protected:
    void SetUp() override
    {
        TreeTest::SetUp();
        std::string bytes;
        AppendRecord(bytes, RecordKind::TopLevel, "plain");
        AppendRecord(bytes, RecordKind::TopLevel, "group");
        AppendRecord(bytes, RecordKind::Child, "one");
        AppendRecord(bytes, RecordKind::Child, "two");
        AppendRecord(bytes, RecordKind::TopLevel, "single");
        AppendRecord(bytes, RecordKind::Child, "only child");
        WriteBytesToFile(dataPath, bytes);
        ShowDialog();
        for (HTREEITEM top = Tree().Child(Root()); top != nullptr; top = Tree().NextSibling(top))
            Tree().Expand(top, TVE_EXPAND);
    }

    // Every item in order with its level, label, image and full text, and
    // the counter.
    std::string Seen()
    {
        std::string seen;
        Walk(Root(), 0, seen);
        return seen + "count " + ItemText(IDC_ITEM_COUNT) + "\n";
    }
    void Walk(HTREEITEM item, int level, std::string& seen)
    {
        for (; item != nullptr; item = Tree().NextSibling(item)) {
            seen += std::string(level * 2, ' ') + Label(item) + " [" + std::to_string(Tree().Image(item)) +
                    "] " + FullText(item) + "\n";
            Walk(Tree().Child(item), level + 1, seen);
        }
    }
    // The tree as the change left it equals the tree after a full refresh.
    void ExpectAsAFullRefreshGives(const char* change)
    {
        const std::string seen = Seen();
        dialog->RefreshImagesAndCount();
        EXPECT_EQ(seen, Seen()) << "after " << change;
    }
    HTREEITEM Find(const std::string& label)
    {
        for (HTREEITEM top = Tree().Child(Root()); top != nullptr; top = Tree().NextSibling(top)) {
            if (Label(top) == label)
                return top;
            for (HTREEITEM child = Tree().Child(top); child != nullptr; child = Tree().NextSibling(child))
                if (Label(child) == label)
                    return child;
        }
        return nullptr;
    }
};

TEST_F(TreeRefresh, EachKindOfChangeLeavesWhatAFullRefreshGives)
{
    ClipboardWindow other;
    for (int i = 0; i < 17; ++i) {
        const std::string text = "copied " + std::to_string(i);
        ASSERT_TRUE(other.PutText(text));
        ASSERT_TRUE(PumpUntil([&] { return !History().empty() && History().front() == text; }));
    }
    ASSERT_EQ(History().size(), 15u);
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

    Tree().Select(Find("single"));
    HWND edit = Tree().EditLabel(Find("single"));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "renamed");
    Tree().Send(TVM_ENDEDITLABELNOW, FALSE);
    PumpMessages();
    ASSERT_NE(Find("renamed"), nullptr);
    ExpectAsAFullRefreshGives("renaming");

    POINT point = LabelPoint(Find("renamed"));
    ScreenToClient(Tree().Handle(), &point);
    ASSERT_TRUE(Tree().DropText("dropped", point));
    ExpectAsAFullRefreshGives("a drop");

    dialog->ClearClipboardHistory();
    ExpectAsAFullRefreshGives("clearing the history");
}

}  // namespace
