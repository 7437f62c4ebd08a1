#include "entries/TextTable.h"
#include <gtest/gtest.h>

TEST(TextTable, EmptiedSlotsAreTakenAgainSoTheTableDoesNotGrowWithUse)
{
    TextTable table;
    const int root = table.Add("root");
    for (int round = 0; round < 200; ++round) {
        std::vector<int> slots;
        for (int i = 0; i < 6; ++i)
            slots.push_back(table.Add("text " + std::to_string(i)));
        for (int slot : slots)
            table.Release(slot);
    }
    EXPECT_EQ(table.Size(), 7u);
    EXPECT_EQ(table.Text(root), "root");
    const int kept = table.Add("kept");
    const int other = table.Add("other");
    EXPECT_NE(kept, other);
    EXPECT_EQ(table.Text(kept), "kept");
    EXPECT_EQ(table.Text(other), "other");
}

TEST(TextTable, UnknownAndEmptiedSlotsHoldNothingAndCannotBeReplaced)
{
    TextTable table;
    const int slot = table.Add("text");
    EXPECT_EQ(table.Text(-1), "");
    EXPECT_EQ(table.Text(slot + 1), "");
    EXPECT_TRUE(table.Replace(slot, "renamed"));
    EXPECT_EQ(table.Text(slot), "renamed");
    table.Release(slot);
    table.Release(slot);  // twice must not free it twice
    EXPECT_EQ(table.Text(slot), "");
    EXPECT_FALSE(table.Replace(slot, "late"));
    EXPECT_FALSE(table.Replace(-1, "nowhere"));
    EXPECT_NE(table.Add("a"), table.Add("b"));
}

TEST(TextTable, MenuItemsMapToTheSlotsTheMenuShowed)
{
    TextTable table;
    const int first = table.Add("first");
    const int second = table.Add("second");
    table.BeginMenu();
    EXPECT_EQ(table.AddMenuItem(first), 1u);
    EXPECT_EQ(table.AddMenuItem(second), 2u);
    EXPECT_EQ(table.MenuSlot(1), first);
    EXPECT_EQ(table.MenuSlot(2), second);
    EXPECT_EQ(table.MenuSlot(0), -1);
    EXPECT_EQ(table.MenuSlot(3), -1);
    table.BeginMenu();  // a new menu forgets the old one's items
    EXPECT_EQ(table.MenuSlot(1), -1);
}

TEST(TextTable, MenuItemsPastTheNumberedOnesGetNoNumberHoweverManyThereAre)
{
    // Far more items than a command's 16 bits of id could number.
    TextTable table;
    const int slot = table.Add("entry");
    table.BeginMenu();
    size_t unnumbered = 0;
    for (size_t n = 1; n <= 70001; ++n) {
        const size_t number = table.AddMenuItem(slot);
        if (n <= TextTable::kNumberedMenuItems)
            ASSERT_EQ(number, n);
        else
            unnumbered += number == 0;
    }
    EXPECT_EQ(unnumbered, 70001 - TextTable::kNumberedMenuItems);
    EXPECT_EQ(table.MenuSlot(TextTable::kNumberedMenuItems), slot);
    EXPECT_EQ(table.MenuSlot(TextTable::kNumberedMenuItems + 1), -1);
}

TEST(TextTable, ASlotTheOpenMenuNamesStaysEmptyUntilTheMenuIsDone)
{
    TextTable table;
    const int doomed = table.Add("doomed");
    table.BeginMenu();
    table.AddMenuItem(doomed);
    // While the menu's command is on its way, its entry goes and new ones
    // come, as the clipboard history does on a change.
    table.Release(doomed);
    const int newcomer = table.Add("newcomer");
    EXPECT_NE(newcomer, doomed);
    EXPECT_EQ(table.Text(table.MenuSlot(1)), "");
    table.EndMenu();
    EXPECT_EQ(table.Add("later"), doomed);
}

TEST(TextTable, UndoKeepsTheLastRemovalOnly)
{
    TextTable table;
    table.PushUndo("group", true);
    table.PushUndo("child", false);
    EXPECT_EQ(table.UndoTexts(), (std::vector<std::string>{"group", "child"}));
    table.PushUndo("single", true);
    EXPECT_EQ(table.UndoTexts(), (std::vector<std::string>{"single"}));
    table.ClearUndo();
    EXPECT_TRUE(table.UndoTexts().empty());
}

TEST(TextTable, AUnicodeTextLivesAndGoesWithItsSlot)
{
    TextTable table;
    const int plain = table.Add("plain");
    const int copied = table.Add("na?ve", L"na\u00efve \U0001F642");
    EXPECT_EQ(table.UnicodeText(plain), L"");
    EXPECT_EQ(table.UnicodeText(copied), L"na\u00efve \U0001F642");
    EXPECT_EQ(table.Text(copied), "na?ve");
    table.Release(copied);
    EXPECT_EQ(table.UnicodeText(copied), L"");
    EXPECT_EQ(table.UnicodeText(table.Add("reused")), L"") << "a slot taken again starts without one";
    const int renamed = table.Add("old", L"old");
    ASSERT_TRUE(table.Replace(renamed, "new"));
    EXPECT_EQ(table.UnicodeText(renamed), L"") << "the old Unicode text no longer says the same";
}
