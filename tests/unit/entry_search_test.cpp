#include "EntryTreeTestSupport.h"
#include "entries/EntrySearch.h"
#include <gtest/gtest.h>
#include <string>

namespace {

// The Latin-1 code page, whose capitals fold as the locale folds them.
std::wstring FoldLatin1(const std::wstring& text)
{
    std::wstring folded = text;
    for (wchar_t& unit : folded)
        if ((unit >= L'A' && unit <= L'Z') || (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7))
            unit = static_cast<wchar_t>(unit + 0x20);
    return folded;
}

const SearchFolding kFolding = {FoldLatin1, Latin1ToUnicode};

class EntrySearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DecodeEntries(K("First entry") + K("Apple group") + E("green apple") + E("red apple") +
                                      K("Last group") + E("cherry"),
                                  tree));
        Copy(tree, "history two");
        Copy(tree, "history one");
    }

    EntryId Find(const std::string& start, const std::string& text, bool forward) const
    {
        return FindEntry(tree, IdOf(tree, start), Latin1ToUnicode(text), forward, kFolding);
    }

    EntryTree tree;
};

}  // namespace

TEST_F(EntrySearch, WalksInPreOrderWrapsAroundAndNeverComparesTheStart)
{
    struct Case {
        const char *start, *text;
        bool forward;
        const char *found, *what;
    };
    const Case cases[] = {
        {"root", "apple", true, "Apple group", "into the tree"},
        {"Apple group", "apple", true, "green apple", "into a group"},
        {"red apple", "apple", true, "Apple group", "wraps past the end to the root"},
        {"root", "apple", false, "red apple", "backward from the root to the last match"},
        {"cherry", "first", true, "First entry", "forward past the end"},
        {"cherry", "history", true, "history one", "history entries too"},
        {"history one", "history", false, "history two", "backward past the root"},
        {"First entry", "history", false, "history two", "backward visits the history last first"},
        {"First entry", "n", false, "history one", "history two has no n"},
        {"history one", "n", false, "branch", "the branch by its text"},
        {"branch", "n", false, "root", "the root by its text"},
        {"root", "n", false, "green apple", "the last match before the end"},
        {"First entry", "QUIPMARK MENU LIST", true, "root", "the root's text, not its label"},
        {"First entry", "first entry", true, "", "the start is never compared"},
        {"First entry", "first entry", false, "", "in either direction"},
        {"cherry", "cherry", true, "", "the only match is the start"},
        {"", "e", true, "branch", "no start: the root is the start"},
        {"", "quipmark menu", true, "", "no start: the root is never compared"},
        {"root", "", true, "", "an empty text finds nothing"},
        {"root", "banana", true, "", "no match"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find(c.start, c.text, c.forward), IdOf(tree, c.found)) << c.what;

    const EntryId gone = tree.Append(tree.Root(), "gone");
    tree.Remove(gone);
    EXPECT_EQ(FindEntry(tree, gone, L"e", true, kFolding), tree.ClipboardBranch()) << "a start that went: from the root";
}

TEST_F(EntrySearch, MatchesFullTextsWithEveryCapitalFolded)
{
    const EntryId lengthy = tree.Append(tree.Root(), std::string(300, 'x') + " tail-marker");
    const EntryId cafe = tree.Append(tree.Root(), "Meeting at the caf\xE9");
    std::string everyByte;
    for (int value = 1; value < 256; ++value)
        everyByte += static_cast<char>(value);
    const EntryId bytes = tree.Append(tree.Root(), everyByte);
    EXPECT_EQ(Find("First entry", "TAIL-Marker", true), lengthy) << "beyond the label";
    EXPECT_EQ(Find("First entry", "MEETING AT", true), cafe);
    EXPECT_EQ(Find("First entry", "CAF\xE9", true), cafe);
    EXPECT_EQ(Find("First entry", "CAF\xC9", true), cafe) << "accented capitals fold too";
    EXPECT_EQ(Find("First entry", everyByte.substr(200, 20), true), bytes);
}
