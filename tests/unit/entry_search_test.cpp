#include "EntryTreeTestSupport.h"
#include "entries/EntryFile.h"
#include "entries/EntrySearch.h"
#include <gtest/gtest.h>
#include <string>

namespace {

// QuipMark Menu List
//   Last 15 Clipboard Entries
//     history one, history two
//   First entry
//   Apple group: green apple, red apple
//   Last group: cherry
class EntrySearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DecodeEntries(K("First entry") + K("Apple group") + E("green apple") + E("red apple") +
                                      K("Last group") + E("cherry"),
                                  tree));
        Copy(tree, "history two");
        Copy(tree, "history one");
        root = tree.Root();
        branch = tree.ClipboardBranch();
        historyOne = ChildOf(tree, branch, 0);
        historyTwo = ChildOf(tree, branch, 1);
        first = TopLevel(tree, 1);
        appleGroup = TopLevel(tree, 2);
        greenApple = ChildOf(tree, appleGroup, 0);
        redApple = ChildOf(tree, appleGroup, 1);
        cherry = ChildOf(tree, TopLevel(tree, 3), 0);
    }

    EntryId Find(EntryId start, const std::string& text, bool forward) const
    {
        return FindEntry(tree, start, text, forward, nullptr);
    }

    EntryTree tree;
    EntryId root = kNoEntry, branch = kNoEntry, historyOne = kNoEntry, historyTwo = kNoEntry, first = kNoEntry;
    EntryId appleGroup = kNoEntry, greenApple = kNoEntry, redApple = kNoEntry, cherry = kNoEntry;
};

}  // namespace

TEST_F(EntrySearch, WalksInPreOrderWrapsAroundAndNeverComparesTheStart)
{
    struct Case {
        EntryId start;
        const char* text;
        bool forward;
        EntryId found;
        const char* what;
    };
    const Case cases[] = {
        {root, "apple", true, appleGroup, "into the tree"},
        {appleGroup, "apple", true, greenApple, "into a group"},
        {redApple, "apple", true, appleGroup, "wraps past the end to the root"},
        {root, "apple", false, redApple, "backward from the root to the last match"},
        {cherry, "first", true, first, "forward past the end"},
        {cherry, "history", true, historyOne, "history entries too"},
        {historyOne, "history", false, historyTwo, "backward past the root"},
        {first, "history", false, historyTwo, "backward visits the history last first"},
        {first, "n", false, historyOne, "history two has no n"},
        {historyOne, "n", false, branch, "the branch by its text"},
        {branch, "n", false, root, "the root by its text"},
        {root, "n", false, greenApple, "the last match before the end"},
        {first, "QUIPMARK MENU LIST", true, root, "the root's text, not its label"},
        {first, "first entry", true, kNoEntry, "the start is never compared"},
        {first, "first entry", false, kNoEntry, "in either direction"},
        {cherry, "cherry", true, kNoEntry, "the only match is the start"},
        {kNoEntry, "e", true, branch, "no start: the root is the start"},
        {kNoEntry, "quipmark menu", true, kNoEntry, "no start: the root is never compared"},
        {root, "", true, kNoEntry, "an empty text finds nothing"},
        {root, "banana", true, kNoEntry, "no match"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find(c.start, c.text, c.forward), c.found) << c.what;

    const EntryId gone = tree.Append(tree.Root(), "gone");
    tree.Remove(gone);
    EXPECT_EQ(Find(gone, "e", true), branch) << "a start that went: from the root";
}

TEST_F(EntrySearch, MatchesFullTextsFoldingOnlyCapitalsAToZ)
{
    const EntryId lengthy = tree.Append(tree.Root(), std::string(300, 'x') + " tail-marker");
    const EntryId cafe = tree.Append(tree.Root(), "Meeting at the caf\xE9");
    std::string everyByte;
    for (int value = 1; value < 256; ++value)
        everyByte += static_cast<char>(value);
    const EntryId bytes = tree.Append(tree.Root(), everyByte);
    EXPECT_EQ(Find(first, "TAIL-Marker", true), lengthy) << "beyond the label";
    EXPECT_EQ(Find(first, "MEETING AT", true), cafe);
    EXPECT_EQ(Find(first, "CAF\xE9", true), cafe);
    EXPECT_EQ(Find(first, "CAF\xC9", true), kNoEntry) << "accented capitals do not fold";
    EXPECT_EQ(Find(first, everyByte.substr(200, 20), true), bytes);
}
