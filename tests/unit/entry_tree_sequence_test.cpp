// A long random sequence of editing commands, drops and clipboard changes,
// each checked against a plain model of what the tree should then hold.
#include "EntryTreeTestSupport.h"
#include "entries/EntryFile.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

struct Node {
    std::string text;
    std::vector<Node> children;
};

// The tree as nested lists of texts, and the rules written out plainly.
struct Expected {
    std::vector<std::string> history;  // newest first
    std::vector<Node> top;             // after the clipboard branch
    std::vector<std::string> undo;
    bool modified = false;

    size_t Count() const
    {
        size_t count = 2 + history.size() + top.size();
        for (const Node& node : top)
            count += node.children.size();
        return count;
    }

    std::string Outline() const
    {
        std::string outline = OutlineOf("");
        for (const std::string& text : history)
            outline.append("    ").append(text).append("\n");
        for (const Node& node : top) {
            outline.append("  ").append(node.text).append("\n");
            for (const Node& child : node.children)
                outline.append("    ").append(child.text).append("\n");
        }
        return outline;
    }

    std::string Bytes() const
    {
        std::string bytes;
        for (const Node& node : top) {
            bytes += K(node.text);
            for (const Node& child : node.children)
                bytes += E(child.text);
        }
        return bytes;
    }
};

// A place in the tree, or none, or an entry that is gone.
struct Place {
    enum Kind { Nothing, Gone, Root, Branch, History, Top, Child } kind;
    size_t i = 0, j = 0;  // Top: top[i]; Child: top[i].children[j]; History: history[j]
};

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (size_t k = 0; k < prefix.size(); ++k)
        if (FoldAsciiCase(static_cast<unsigned char>(text[k])) != FoldAsciiCase(static_cast<unsigned char>(prefix[k])))
            return false;
    return true;
}

class Sequence {
public:
    void Run(int steps)
    {
        for (m_step = 0; m_step < steps && !::testing::Test::HasFailure(); ++m_step) {
            // The tree grows to the limit, then shrinks.
            const bool growing = m_step / 400 % 2 == 0;
            const int pick = Uniform(100);
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
            else if (pick < (growing ? 96 : 46))
                AddStep();
            else
                RemoveStep();
            Check();
        }
    }

    int refusedAsFull = 0, groupCopies = 0;

private:
    int Uniform(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }

    // Short texts of few letters, so that one often begins another; now and
    // then an empty one or one longer than a label.
    std::string Text()
    {
        const int kind = Uniform(20);
        if (kind == 0)
            return std::string();
        if (kind == 1)
            return std::string(300, 'L') + std::to_string(m_step);
        static const char letters[] = {'a', 'A', 'b', '\r', '\n', '\t'};
        std::string text;
        for (int length = 1 + Uniform(4); length > 0; --length)
            text += letters[Uniform(6)];
        return text;
    }

    Place RandomPlace()
    {
        std::vector<Place> places = {{Place::Nothing}, {Place::Root}, {Place::Branch}};
        if (!m_gone.empty())
            places.push_back({Place::Gone});
        for (size_t j = 0; j < m_expected.history.size(); ++j)
            places.push_back({Place::History, 0, j});
        for (size_t i = 0; i < m_expected.top.size(); ++i) {
            places.push_back({Place::Top, i});
            for (size_t j = 0; j < m_expected.top[i].children.size(); ++j)
                places.push_back({Place::Child, i, j});
        }
        return places[static_cast<size_t>(Uniform(static_cast<int>(places.size())))];
    }

    EntryId IdOf(const Place& place)
    {
        const EntryId branch = m_tree.ClipboardBranch();
        switch (place.kind) {
        case Place::Gone: return m_gone[static_cast<size_t>(Uniform(static_cast<int>(m_gone.size())))];
        case Place::Root: return m_tree.Root();
        case Place::Branch: return branch;
        case Place::History: return ChildOf(m_tree, branch, place.j);
        case Place::Top: return TopLevel(m_tree, place.i + 1);
        case Place::Child: return ChildOf(m_tree, TopLevel(m_tree, place.i + 1), place.j);
        default: return kNoEntry;
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
        EntryChange change;
        EntryId added = kNoEntry;
        const AddOutcome outcome = m_tree.Add(text, IdOf(place), change, added);
        Follow(change);
        if (m_expected.Count() >= 500) {
            EXPECT_EQ(outcome, AddOutcome::Full);
            ++refusedAsFull;
            return;
        }
        if (text.empty()) {
            EXPECT_EQ(outcome, AddOutcome::EmptyText);
            return;
        }
        EXPECT_EQ(outcome, AddOutcome::Added);
        EXPECT_EQ(m_tree.Text(added), text);
        if (place.kind == Place::Top || place.kind == Place::Child)
            m_expected.top[place.i].children.push_back({text, {}});
        else
            m_expected.top.insert(m_expected.top.begin(), Node{text, {}});
        m_expected.modified = true;
    }

    void RemoveStep()
    {
        const Place place = RandomPlace();
        Follow(m_tree.Remove(IdOf(place)));
        std::vector<Node>& top = m_expected.top;
        if (place.kind == Place::Top) {
            m_expected.undo = {top[place.i].text};
            for (const Node& child : top[place.i].children)
                m_expected.undo.push_back(child.text);
            top.erase(top.begin() + static_cast<std::ptrdiff_t>(place.i));
        } else if (place.kind == Place::Child) {
            std::vector<Node>& children = top[place.i].children;
            m_expected.undo = {children[place.j].text};
            children.erase(children.begin() + static_cast<std::ptrdiff_t>(place.j));
        } else {
            return;
        }
        m_expected.modified = true;
    }

    void UndoStep()
    {
        Follow(m_tree.Undo());
        if (m_expected.undo.empty())
            return;
        Node restored{m_expected.undo[0], {}};
        for (size_t k = 1; k < m_expected.undo.size(); ++k)
            restored.children.push_back({m_expected.undo[k], {}});
        m_expected.top.push_back(restored);
        m_expected.undo.clear();
        m_expected.modified = true;
    }

    void RenameStep()
    {
        const std::string text = Text();
        const Place place = RandomPlace();
        EntryChange change;
        const bool renamed = m_tree.Rename(IdOf(place), text, change);
        Follow(change);
        const bool user = place.kind == Place::Top || place.kind == Place::Child;
        EXPECT_EQ(renamed, user && !text.empty());
        if (!renamed)
            return;
        Node& node = place.kind == Place::Top ? m_expected.top[place.i] : m_expected.top[place.i].children[place.j];
        node.text = text;
        m_expected.modified = true;
    }

    void DropStep()
    {
        const Place target = RandomPlace();
        const bool fromElsewhere = Uniform(3) == 0;
        const Place dragged = fromElsewhere ? Place{Place::Nothing} : RandomPlace();
        const std::string text = Text();
        EntryChange change;
        const EntryId targetId = IdOf(target);
        const EntryId draggedId = IdOf(dragged);
        const EntryId dropped = m_tree.Drop(targetId, draggedId, text, change);
        Follow(change);

        // What is dropped: the text, or a copy of the dragged entry.
        Node copy{text, {}};
        bool allowed = target.kind == Place::Root || target.kind == Place::Top || target.kind == Place::Child;
        switch (dragged.kind) {
        case Place::Nothing: allowed = allowed && !text.empty(); break;  // text from elsewhere
        case Place::Branch:
            copy.text = "Last 15 Clipboard Entries";
            for (const std::string& history : m_expected.history)
                copy.children.push_back({history, {}});
            break;
        case Place::History: copy.text = m_expected.history[dragged.j]; break;
        case Place::Top:
            copy = m_expected.top[dragged.i];
            // Never on itself nor into itself.
            allowed = allowed && !((target.kind == Place::Top || target.kind == Place::Child) && target.i == dragged.i);
            break;
        case Place::Child:
            copy.text = m_expected.top[dragged.i].children[dragged.j].text;
            allowed = allowed && !(target.kind == Place::Child && target.i == dragged.i && target.j == dragged.j);
            break;
        default: allowed = false; break;
        }
        EXPECT_EQ(dropped != kNoEntry, allowed);
        if (!allowed)
            return;
        std::reverse(copy.children.begin(), copy.children.end());
        const bool group = !copy.children.empty();
        groupCopies += group ? 1 : 0;
        std::vector<Node>& top = m_expected.top;
        if (target.kind == Place::Root)
            top.insert(top.begin(), copy);
        else if (group)
            top.insert(top.begin() + static_cast<std::ptrdiff_t>(target.i) + 1, copy);
        else if (target.kind == Place::Top)
            top[target.i].children.insert(top[target.i].children.begin(), copy);
        else
            top[target.i].children.insert(
                top[target.i].children.begin() + static_cast<std::ptrdiff_t>(target.j) + 1, copy);
        m_expected.modified = true;
    }

    void RecordStep()
    {
        const std::string text = Text();
        HistoryChange listChange;
        Follow(m_tree.RecordClipboard(text, std::wstring(), kAsciiComparison, listChange));
        std::vector<std::string>& history = m_expected.history;
        if (history.size() == kHistoryCapacity)
            history.pop_back();
        if (text.empty())
            return;
        for (auto older = history.begin(); older != history.end(); ++older) {
            if (StartsWithIgnoringCase(*older, text)) {
                history.erase(older);
                break;
            }
        }
        history.insert(history.begin(), text);
    }

    void ClearStep()
    {
        Follow(m_tree.ClearHistory());
        m_expected.history.clear();
    }

    void SaveStep()
    {
        m_tree.SetModified(false);
        m_expected.modified = false;
    }

    // Starts from many entries and some groups, as loaded from a file.
    const EntryTree& LoadStart()
    {
        std::string bytes;
        for (int i = 0; i < 200; ++i) {
            Node node{std::string(1 + i % 3, "aAb"[i % 3]), {}};
            if (i % 8 == 0)
                node = {"group " + std::to_string(i), {{"a", {}}, {"B", {}}}};
            bytes += K(node.text);
            for (const Node& child : node.children)
                bytes += E(child.text);
            m_expected.top.push_back(node);
        }
        EXPECT_TRUE(DecodeEntries(bytes, m_tree));
        return m_tree;
    }

    void Check()
    {
        SCOPED_TRACE("step " + std::to_string(m_step));
        ASSERT_EQ(Outline(m_tree), m_expected.Outline());
        EXPECT_EQ(m_tree.Count(), m_expected.Count());
        EXPECT_EQ(m_tree.IsModified(), m_expected.modified);
        EXPECT_EQ(m_tree.UndoTexts(), m_expected.undo);
        EXPECT_EQ(m_tree.History().Texts(), m_expected.history);
        EXPECT_EQ(m_view.ShownCount(), m_tree.Count()) << "a report left out an entry that came or went";
        if (m_step % 10 != 0)
            return;
        // Less often, as they take long: labels and images as the reports
        // left them, and the data file.
        m_view.ExpectInStep();
        const std::string bytes = EncodeEntries(m_tree);
        EXPECT_EQ(bytes, m_expected.Bytes());
        EntryTree loaded;
        EXPECT_TRUE(DecodeEntries(bytes, loaded));
        EXPECT_EQ(EncodeEntries(loaded), bytes) << "a fresh tree loaded from the bytes saves them unchanged";
        EXPECT_FALSE(loaded.IsModified());
        if (m_step % 100 == 0) {
            for (EntryId gone : m_gone)
                EXPECT_FALSE(m_tree.Contains(gone)) << "an id came back: " << gone;
        }
    }

    std::mt19937 m_random{20261207};
    EntryTree m_tree;
    Expected m_expected;
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
