#pragma once
#include "entries/EntryTree.h"
#include "entries/RecordCodec.h"
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

// The Latin-1 code page, where each byte is the character of that number.
inline std::wstring Latin1ToUnicode(const std::string& text)
{
    std::wstring unicode;
    for (char c : text)
        unicode += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return unicode;
}

inline const TextComparison kAsciiComparison = {FoldAsciiCase, FoldAsciiCaseWide, Latin1ToUnicode};

// The tree as its full texts, two spaces of indent a level, the root entry
// first: "QuipMark Menu List\n  Last 15 Clipboard Entries\n  top\n    child\n".
inline std::string Outline(const EntryTree& tree)
{
    std::string outline;
    for (EntryId id : tree.InPreOrder()) {
        const EntryKind kind = tree.Kind(id);
        outline.append(kind == EntryKind::Root ? 0 : kind == EntryKind::TopLevel ? 2 : 4, ' ');
        outline.append(tree.Text(id)).append("\n");
    }
    return outline;
}

// The outline of a tree whose top level after the clipboard branch is `rest`.
inline std::string OutlineOf(const std::string& rest)
{
    return "QuipMark Menu List\n  Last 15 Clipboard Entries\n" + rest;
}

// Data file records.
inline std::string K(const std::string& text)
{
    std::string bytes;
    AppendRecord(bytes, RecordKind::TopLevel, text);
    return bytes;
}

inline std::string E(const std::string& text)
{
    std::string bytes;
    AppendRecord(bytes, RecordKind::Child, text);
    return bytes;
}

inline EntryId TopLevel(const EntryTree& tree, size_t index)
{
    const std::vector<EntryId>& top = tree.Children(tree.Root());
    return index < top.size() ? top[index] : kNoEntry;
}

inline EntryId ChildOf(const EntryTree& tree, EntryId parent, size_t index)
{
    const std::vector<EntryId>& children = tree.Children(parent);
    return index < children.size() ? children[index] : kNoEntry;
}

inline void Copy(EntryTree& tree, const std::string& text, const std::wstring& unicode = std::wstring())
{
    HistoryChange ignored;
    tree.RecordClipboard(text, unicode, kAsciiComparison, ignored);
}

// A view that knows the tree only from the change reports it was given:
// each entry it shows with its parent, label and image. In step with the
// tree after every report, it shows what a tree control following the
// reports would show.
class FollowingView {
public:
    explicit FollowingView(const EntryTree& tree) : m_tree(tree)
    {
        for (EntryId id : tree.InPreOrder())
            Show(id);
    }

    void Follow(const EntryChange& change)
    {
        for (EntryId id : change.removed) {
            EXPECT_EQ(m_shown.count(id), 1u) << "removed twice or never shown: " << id;
            EXPECT_FALSE(m_tree.Contains(id)) << "reported removed but still there: " << id;
            m_shown.erase(id);
        }
        for (EntryId id : change.inserted) {
            EXPECT_EQ(m_ever.count(id), 0u) << "an id given twice: " << id;
            EXPECT_EQ(m_shown.count(m_tree.Parent(id)), 1u) << "inserted before its parent: " << id;
            Show(id);
        }
        for (EntryId id : change.changed) {
            EXPECT_EQ(m_shown.count(id), 1u) << "changed but not shown: " << id;
            if (m_tree.Contains(id))
                Show(id);
        }
    }

    // Every entry of the tree is shown, with its parent, label and image,
    // and nothing else is.
    void ExpectInStep() const
    {
        const std::vector<EntryId> order = m_tree.InPreOrder();
        EXPECT_EQ(m_shown.size(), order.size());
        for (EntryId id : order) {
            const auto shown = m_shown.find(id);
            if (shown == m_shown.end()) {
                ADD_FAILURE() << "not shown: " << id << " " << m_tree.Label(id, 40);
                continue;
            }
            EXPECT_EQ(shown->second.parent, m_tree.Parent(id)) << id;
            EXPECT_EQ(shown->second.label, m_tree.Label(id)) << id;
            EXPECT_EQ(shown->second.image, m_tree.Image(id)) << m_tree.Label(id, 40);
        }
    }

    size_t ShownCount() const { return m_shown.size(); }

private:
    struct Shown {
        EntryId parent;
        std::string label;
        EntryImage image;
    };

    void Show(EntryId id)
    {
        m_shown[id] = {m_tree.Parent(id), m_tree.Label(id), m_tree.Image(id)};
        m_ever.insert(id);
    }

    const EntryTree& m_tree;
    std::map<EntryId, Shown> m_shown;
    std::set<EntryId> m_ever;
};
