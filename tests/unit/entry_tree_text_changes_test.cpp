// The tree names every entry whose text came, went or changed, for what
// follows the texts without looking at every entry.
#include "EntryTreeTestSupport.h"
#include "entries/EntrySnapshot.h"
#include <gtest/gtest.h>
#include <functional>
#include <set>
#include <vector>

TEST(EntryTreeTextChanges, EveryOperationNamesTheEntriesWhoseTextCameWentOrChanged)
{
    EntryTree tree = Loaded(K("Work") + E("sig") + E("notes") + K("plain"));
    const EntryId work = IdOf(tree, "Work"), sig = IdOf(tree, "sig"), notes = IdOf(tree, "notes");
    auto made = [](const EntryChange& change) {
        std::set<EntryId> ids(change.inserted.begin(), change.inserted.end());
        ids.insert(change.removed.begin(), change.removed.end());
        return ids;
    };
    const struct {
        const char* what;
        std::function<std::set<EntryId>()> operation;
    } cases[] = {
        {"append", [&] { return std::set<EntryId>{tree.Append(work, "more")}; }},
        {"rename", [&] { EntryChange change; tree.Rename(sig, "signed", change); return std::set<EntryId>{sig}; }},
        {"loaded Unicode text", [&] { tree.SetLoadedUnicodeText(notes, L"\u0416"); return std::set<EntryId>{notes}; }},
        {"drop of a group", [&] { EntryChange change; tree.Drop(IdOf(tree, "plain"), work, "", change); return made(change); }},
        {"removal of a group", [&] { return made(tree.Remove(work)); }},
        {"undo", [&] { return made(tree.Undo()); }},
        {"copies, the oldest dropped", [&] {
             Copy(tree, "first copy");
             const EntryId oldest = tree.Children(tree.ClipboardBranch()).front();
             for (int i = 0; i < 15; ++i)
                 Copy(tree, "copy " + std::to_string(i));
             std::set<EntryId> ids(tree.Children(tree.ClipboardBranch()).begin(), tree.Children(tree.ClipboardBranch()).end());
             ids.insert(oldest);
             return ids;
         }},
        {"an outside change", [&] {
             EntrySnapshot snapshot = TakeSnapshot(tree);
             snapshot.front().text = "renamed elsewhere";
             snapshot.pop_back();
             snapshot.emplace_back();
             snapshot.back().text = "added elsewhere";
             const EntryId renamed = TopLevel(tree, 1);
             std::set<EntryId> ids = made(tree.ReplaceUserEntries(snapshot));
             ids.insert(renamed);
             return ids;
         }},
    };
    for (const auto& c : cases) {
        const std::uint64_t before = tree.TextChanges();
        const std::set<EntryId> expected = c.operation();
        EXPECT_FALSE(expected.empty()) << c.what;
        std::vector<EntryId> reported;
        ASSERT_TRUE(tree.TextChangesSince(before, reported)) << c.what;
        EXPECT_EQ(std::set<EntryId>(reported.begin(), reported.end()), expected) << c.what;
        for (EntryId id : tree.InPreOrder())
            EXPECT_EQ(tree.TextChange(id) > before, expected.count(id) != 0) << c.what << ", entry " << tree.Text(id);
    }

    // More changes than the tree keeps, or another tree's count, tell nothing.
    const std::uint64_t before = tree.TextChanges();
    for (size_t i = 0; i <= EntryTree::kTextChangesKept; ++i)
        tree.Append(tree.Root(), "entry " + std::to_string(i));
    std::vector<EntryId> reported{kNoEntry};
    EXPECT_FALSE(tree.TextChangesSince(before, reported));
    EXPECT_TRUE(reported.empty());
    EXPECT_FALSE(tree.TextChangesSince(EntryTree().TextChanges(), reported));
}
