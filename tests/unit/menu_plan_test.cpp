#include "EntryTreeTestSupport.h"
#include "TextSamples.h"
#include "entries/MenuLabel.h"
#include "entries/MenuPlan.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Each item as "caption #number", a group as "caption >", an item of a
// submenu indented.
std::vector<std::string> Items(const MenuPlan& plan)
{
    std::vector<std::string> items;
    for (const MenuPlanItem& item : plan.Items())
        items.push_back((item.inSubmenu ? "  " : "") + item.caption +
                        (item.opensSubmenu ? " >" : item.number != 0 ? " #" + std::to_string(item.number) : " -"));
    return items;
}

}  // namespace

TEST(MenuPlan, GroupsOpenSubmenusAndNumbersRunInMenuOrder)
{
    EntryTree tree = Loaded(K("A") + E("a1") + E("a2") + K("B") + E("b1") + K("C"));
    MenuPlan plan(tree, 40);
    EXPECT_EQ(Items(plan), (std::vector<std::string>{"Last 15 Clipboard Entries #1", "A >", "  a1 #2", "  a2 #3", "B >",
                                                     "  b1 #4", "C #5"}));
    EXPECT_EQ(plan.Entry(1), tree.ClipboardBranch()) << "the empty branch hands out its own text";
    EXPECT_EQ(plan.Entry(3), IdOf(tree, "a2"));
    EXPECT_EQ(plan.Entry(5), IdOf(tree, "C"));
    EXPECT_EQ(plan.Entry(0), kNoEntry);
    EXPECT_EQ(plan.Entry(6), kNoEntry);
    EXPECT_EQ(MenuPlan().Entry(1), kNoEntry) << "no menu shown yet";

    // With a history the branch is a submenu too.
    Copy(tree, "older");
    Copy(tree, "newer");
    EXPECT_EQ(Items(MenuPlan(tree, 40)), (std::vector<std::string>{"Last 15 Clipboard Entries >", "  newer #1",
                                                                   "  older #2", "A >", "  a1 #3", "  a2 #4", "B >",
                                                                   "  b1 #5", "C #6"}));

    // The plan keeps naming what it showed, whatever the tree does since.
    const EntryId second = plan.Entry(2);
    tree.Insert(tree.Root(), tree.ClipboardBranch(), "intruder");
    EXPECT_EQ(plan.Entry(2), second);
    tree.Remove(second);
    EXPECT_FALSE(tree.Contains(plan.Entry(2))) << "an entry gone since hands out nothing";
}

TEST(MenuPlan, CaptionsAreLabelsShortenedToTheWidth)
{
    const EntryTree tree = Loaded(K("12345678901234567890") + K("123456789012345678901") +
                                  K("Group label longer than twenty") + E("child label longer than twenty") +
                                  K("two\r\nlines\tand a tab"));
    EXPECT_EQ(Items(MenuPlan(tree, 20)),
              (std::vector<std::string>{"Last 15 Clipboard... #1", "12345678901234567890 #2", "12345678901234567... #3",
                                        "Group label longe... >", "  child label longe... #4",
                                        "two / lines and a... #5"}));

    // A line break mark of more than one byte that does not fit whole within
    // the width still shows that the label goes on.
    for (const std::string mark : {" / ", "\x81\xF7"}) {
        const EntryTree cut = Loaded(K("1234567890\r\nmore") + K("12345678\r\n"), mark);
        const MenuPlan plan(cut, 10);
        EXPECT_EQ(plan.Items()[1].caption, "1234567...") << mark;
        EXPECT_EQ(plan.Items()[2].caption, ShortenLabel(cut.Label(TopLevel(cut, 2)), 10)) << mark;
    }
}

TEST(MenuPlan, OnlyTheFirstFiveHundredItemsAreNumbered)
{
    std::string bytes = K("group");
    for (int i = 0; i < 520; ++i)
        bytes += E("child " + std::to_string(i));
    const EntryTree tree = Loaded(bytes);
    const MenuPlan plan(tree, 20);
    ASSERT_EQ(plan.Items().size(), 522u);
    EXPECT_EQ(plan.Items()[500].number, 500u);
    EXPECT_EQ(plan.Entry(500), IdOf(tree, "child 498"));
    for (size_t i = 501; i < plan.Items().size(); ++i)
        EXPECT_EQ(plan.Items()[i].number, 0u) << i;
    EXPECT_EQ(plan.Entry(501), kNoEntry);
}

TEST(MenuPlan, HistoryItemsShowTheCharactersThatWereCopied)
{
    EntryTree tree = Loaded(K("user entry"));
    const std::wstring tea = L"caf\u00e9 \u2615 \u65e5\u672c \U0001F642";
    Copy(tree, "caf\xE9 ? ?? ??", tea);
    Copy(tree, "caf\xE9 ? ?? ?? and then a long tail",
         L"caf\u00e9 \u263a\r\n\u65e5\u672c \U0001F642 and then a long tail");
    const MenuPlan plan(tree, 20);
    ASSERT_EQ(plan.Items().size(), 4u);
    EXPECT_EQ(plan.Items()[1].unicodeCaption, L"caf\u00e9 \u263a\u00B6\u65e5\u672c \U0001F642 and t...")
        << "characters are counted, a surrogate pair is one";
    EXPECT_EQ(plan.Items()[2].unicodeCaption, tea);
    EXPECT_EQ(plan.Items()[2].caption, "caf\xE9 ? ?? ??");
    EXPECT_EQ(plan.Items()[3].unicodeCaption, L"") << "a user entry has only its 8-bit caption";
}

TEST(MenuPlan, GroupsAndEntriesShowTheirUnicodeTextCutBetweenWholeCharacters)
{
    EntryTree tree;
    const std::wstring work = L"\u0420\u0430\u0431\u043e\u0442\u0430";
    const EntryId group = tree.Append(tree.Root(), "??????", nullptr, work);
    tree.Append(group, "child");
    std::wstring smiles, families;
    for (int i = 0; i < 30; ++i) {
        smiles += kSmile;
        families += kFamily;
    }
    tree.Append(tree.Root(), "?", nullptr, smiles);
    tree.Append(tree.Root(), "?", nullptr, families);
    const MenuPlan plan(tree, 20);
    ASSERT_EQ(plan.Items().size(), 5u);
    EXPECT_EQ(plan.Items()[1].unicodeCaption, work) << "a group's caption";
    EXPECT_EQ(plan.Items()[3].unicodeCaption, smiles.substr(0, 17 * 2) + L"...");
    EXPECT_EQ(plan.Items()[4].unicodeCaption, families.substr(0, 17 * 8) + L"...");
}
