// A long random sequence of editing commands, drops and clipboard changes,
// each checked against plain nested lists of what the tree should then hold.
#include "EntryTreeTestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Group = std::vector<std::string>;  // a top-level entry's text, then its children's

// A place in the lists, with the tree's id for it.
struct Place {
    enum Kind { Nothing, Gone, Root, Branch, History, Top, Child } kind;
    size_t i = 0, j = 0;  // Top and Child: m_top[i][j], j = 0 for Top; History: m_history[j]
    EntryId id = kNoEntry;
    bool IsUsers() const { return kind == Top || kind == Child; }
};

class Sequence {
public:
    void Run(int steps)
    {
        for (m_step = 0; m_step < steps && !::testing::Test::HasFailure(); ++m_step) {
            // The tree grows to the limit, then shrinks.
            const int pick = Uniform(100), addsBelow = m_step / 400 % 2 == 0 ? 96 : 46;
            if (pick < 18)
                RecordStep();
            else if (pick < 20)
                ClearStep();
            else if (pick < 23)
                SaveStep();
            else if (pick < 29)
                RenameStep();
            else if (pick < 38)
                DropStep();
            else if (pick < 41)
                UndoStep();
            else if (pick < addsBelow)
                AddStep();
            else
                RemoveStep();
            Check();
        }
    }

    int refusedAsFull = 0, groupCopies = 0;

private:
    int Uniform(size_t count) { return std::uniform_int_distribution<int>(0, static_cast<int>(count) - 1)(m_random); }

    // Short texts of few letters, so that one often begins another; now and
    // then an empty one or one longer than a label.
    std::string Text()
    {
        const int kind = Uniform(20);
        if (kind < 2)
            return kind == 0 ? std::string() : std::string(300, 'L') + std::to_string(m_step);
        std::string text;
        for (int length = 1 + Uniform(4); length > 0; --length)
            text += "aAb\r\n\t"[Uniform(6)];
        return text;
    }

    Place RandomPlace()
    {
        const EntryId branch = m_tree.ClipboardBranch();
        std::vector<Place> places = {{Place::Nothing}, {Place::Root, 0, 0, m_tree.Root()},
                                     {Place::Branch, 0, 0, branch}};
        if (!m_gone.empty())
            places.push_back({Place::Gone, 0, 0, m_gone[static_cast<size_t>(Uniform(m_gone.size()))]});
        for (size_t j = 0; j < m_history.size(); ++j)
            places.push_back({Place::History, 0, j, ChildOf(m_tree, branch, j)});
        for (size_t i = 0; i < m_top.size(); ++i) {
            const EntryId top = TopLevel(m_tree, i + 1);
            places.push_back({Place::Top, i, 0, top});
            for (size_t j = 1; j < m_top[i].size(); ++j)
                places.push_back({Place::Child, i, j, ChildOf(m_tree, top, j - 1)});
        }
        return places[static_cast<size_t>(Uniform(places.size()))];
    }

    // The texts of the entry at `place` and of its children.
    Group TextsAt(const Place& place) const
    {
        Group branch = {"Last 15 Clipboard Entries"};
        switch (place.kind) {
        case Place::Branch: branch.insert(branch.end(), m_history.begin(), m_history.end()); return branch;
        case Place::History: return {m_history[place.j]};
        case Place::Top: return m_top[place.i];
        case Place::Child: return {m_top[place.i][place.j]};
        default: return {};
        }
    }

    void Follow(const EntryChange& change)
    {
        m_view.Follow(change);
        m_gone.insert(m_gone.end(), change.removed.begin(), change.removed.end());
    }

    void AddStep()
    {
        const std::string text = Text();
        const Place place = RandomPlace();
        const bool full = m_tree.Count() >= 500;  // the count the last check found right
        EntryChange change;
        EntryId added = kNoEntry;
        const AddOutcome outcome = m_tree.Add(text, place.id, change, added);
        Follow(change);
        refusedAsFull += full ? 1 : 0;
        EXPECT_EQ(outcome, full ? AddOutcome::Full : text.empty() ? AddOutcome::EmptyText : AddOutcome::Added);
        if (outcome != AddOutcome::Added)
            return;
        EXPECT_EQ(m_tree.Text(added), text);
        if (place.IsUsers())
            m_top[place.i].push_back(text);
        else
            m_top.insert(m_top.begin(), Group{text});
        m_modified = true;
    }

    void RemoveStep()
    {
        const Place place = RandomPlace();
        Follow(m_tree.Remove(place.id));
        if (!place.IsUsers())
            return;
        m_undo = TextsAt(place);
        if (place.kind == Place::Top)
            m_top.erase(m_top.begin() + static_cast<std::ptrdiff_t>(place.i));
        else
            m_top[place.i].erase(m_top[place.i].begin() + static_cast<std::ptrdiff_t>(place.j));
        m_modified = true;
    }

    void UndoStep()
    {
        Follow(m_tree.Undo());
        if (m_undo.empty())
            return;
        m_top.push_back(m_undo);
        m_undo.clear();
        m_modified = true;
    }

    void RenameStep()
    {
        const std::string text = Text();
        const Place place = RandomPlace();
        EntryChange change;
        const bool renamed = m_tree.Rename(place.id, text, change);
        Follow(change);
        EXPECT_EQ(renamed, place.IsUsers() && !text.empty());
        if (!renamed)
            return;
        m_top[place.i][place.j] = text;
        m_modified = true;
    }

    void DropStep()
    {
        const Place target = RandomPlace();
        const Place dragged = Uniform(3) == 0 ? Place{Place::Nothing} : RandomPlace();
        const std::string text = Text();
        EntryChange change;
        const EntryId dropped = m_tree.Drop(target.id, dragged.id, text, change);
        Follow(change);

        // The text, or a copy of the dragged entry, never on itself nor into itself.
        Group copy = dragged.kind == Place::Nothing ? Group{text} : TextsAt(dragged);
        const bool onItself = dragged.IsUsers() && target.IsUsers() && target.i == dragged.i &&
                              (dragged.kind == Place::Top || target.j == dragged.j);
        const bool allowed = (target.kind == Place::Root || target.IsUsers()) && !copy.empty() && !copy[0].empty();
        EXPECT_EQ(dropped != kNoEntry, allowed && !onItself);
        if (!allowed || onItself)
            return;
        // A copied group lists its children last to first and lands on the
        // top level: first, or after the target's group; an entry lands
        // first in the target or after the target child.
        std::reverse(copy.begin() + 1, copy.end());
        groupCopies += copy.size() > 1 ? 1 : 0;
        if (target.kind == Place::Root)
            m_top.insert(m_top.begin(), copy);
        else if (copy.size() > 1)
            m_top.insert(m_top.begin() + static_cast<std::ptrdiff_t>(target.i) + 1, copy);
        else
            m_top[target.i].insert(m_top[target.i].begin() + static_cast<std::ptrdiff_t>(target.j) + 1, copy[0]);
        m_modified = true;
    }

    // What the history keeps is for its own tests; here the branch must
    // follow it, through removals of any of its entries.
    void RecordStep()
    {
        HistoryChange listChange;
        Follow(m_tree.RecordClipboard(Text(), std::wstring(), kAsciiComparison, listChange));
        m_history = m_tree.History().Texts();
    }

    void ClearStep()
    {
        Follow(m_tree.ClearHistory());
        m_history.clear();
    }

    void SaveStep()
    {
        m_tree.SetModified(false);
        m_modified = false;
    }

    // Starts from many entries and some groups, as loaded from a file.
    const EntryTree& LoadStart()
    {
        for (int i = 0; i < 200; ++i)
            m_top.push_back(i % 8 == 0 ? Group{"group " + std::to_string(i), "a", "B"}
                                       : Group{std::string(1 + i % 3, "aAb"[i % 3])});
        EXPECT_TRUE(DecodeEntries(Bytes(), m_tree));
        return m_tree;
    }

    std::string Bytes() const
    {
        std::string bytes;
        for (const Group& group : m_top)
            for (size_t k = 0; k < group.size(); ++k)
                bytes += (k == 0 ? K : E)(group[k]);
        return bytes;
    }

    void Check()
    {
        SCOPED_TRACE("step " + std::to_string(m_step));
        Group branch = {"^"};
        branch.insert(branch.end(), m_history.begin(), m_history.end());
        ASSERT_EQ(Shape(m_tree), Shape(Lists{branch}) + (m_top.empty() ? "" : " " + Shape(m_top)));
        size_t count = 1 + branch.size();
        for (const Group& group : m_top)
            count += group.size();
        EXPECT_EQ(m_tree.Count(), count) << "no entry kept but those shown";
        EXPECT_EQ(m_tree.IsModified(), m_modified);
        EXPECT_EQ(m_tree.UndoTexts(), m_undo);
        EXPECT_EQ(m_tree.History().Texts(), m_history);
        EXPECT_EQ(m_view.ShownCount(), m_tree.Count()) << "a report left out an entry that came or went";
        if (m_step % 10 != 0)
            return;
        // Less often, as they take long: the view's labels and images and
        // the data file.
        m_view.ExpectInStep();
        const std::string bytes = EncodeEntries(m_tree);
        EXPECT_EQ(WithoutIdentities(bytes), Bytes());
        const EntryTree loaded = Loaded(bytes);
        EXPECT_EQ(EncodeEntries(loaded), bytes) << "a fresh tree loaded from the bytes saves them unchanged";
        EXPECT_FALSE(loaded.IsModified());
    }

    std::mt19937 m_random{20261207};
    EntryTree m_tree;
    std::vector<std::string> m_history;  // newest first
    Lists m_top;                         // after the clipboard branch
    Group m_undo;
    bool m_modified = false;
    FollowingView m_view{LoadStart()};
    std::vector<EntryId> m_gone;
    int m_step = 0;
};

}  // namespace

TEST(EntryTreeSequence, ThousandsOfRandomStepsKeepTheTreeTheViewAndTheFileInStep)
{
    Sequence sequence;
    sequence.Run(2000);
    // The sequence reached the corners it is meant to try.
    EXPECT_GT(sequence.refusedAsFull, 0);
    EXPECT_GT(sequence.groupCopies, 0);
}
