#pragma once
#include "storage/EntryFile.h"
#include "entries/EntryTree.h"
#include "storage/RecordCodec.h"
#include "tests/RecordBytes.h"
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

// The Latin-1 code page, where each byte is the character of that number.
inline std::wstring Latin1ToUnicode(const std::string& text)
{
    std::wstring unicode;
    for (char c : text)
        unicode += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return unicode;
}

// Small letters of ASCII, Latin-1, Cyrillic and Greek, as a locale folds them.
inline std::wstring FoldLikeALocale(const std::wstring& text)
{
    std::wstring folded = text;
    for (wchar_t& unit : folded) {
        if ((unit >= L'A' && unit <= L'Z') || (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7) ||
            (unit >= 0x410 && unit <= 0x42F) || (unit >= 0x391 && unit <= 0x3A9))
            unit = static_cast<wchar_t>(unit + 0x20);
        else if (unit == 0x38A)
            unit = 0x3AF;
    }
    return folded;
}

inline const TextComparison kAsciiComparison = {FoldAsciiCase, FoldAsciiCaseWide, Latin1ToUnicode};

// Top-level entries, each as its text and then its children's texts.
using Lists = std::vector<std::vector<std::string>>;

// Such lists on one line: "^[copied] plain group[one two]".
inline std::string Shape(const Lists& lists)
{
    std::string shape;
    for (const std::vector<std::string>& top : lists) {
        shape.append(shape.empty() ? "" : " ").append(top[0]);
        for (size_t k = 1; k < top.size(); ++k)
            shape.append(k == 1 ? "[" : " ").append(top[k]);
        shape.append(top.size() > 1 ? "]" : "");
    }
    return shape;
}

// The entries under the root so, the clipboard branch as "^".
inline std::string Shape(const EntryTree& tree)
{
    Lists lists;
    for (EntryId top : tree.Children(tree.Root())) {
        lists.push_back({top == tree.ClipboardBranch() ? "^" : tree.Text(top)});
        for (EntryId child : tree.Children(top))
            lists.back().push_back(tree.Text(child));
    }
    return Shape(lists);
}

// Data file records: a top-level entry, an entry of the group before it.
inline std::string Encoded(RecordKind kind, const std::string& text)
{
    std::string bytes;
    AppendRecord(bytes, kind, text);
    return bytes;
}

inline std::string K(const std::string& text) { return Encoded(RecordKind::TopLevel, text); }
inline std::string E(const std::string& text) { return Encoded(RecordKind::Child, text); }

inline EntryTree Loaded(const std::string& bytes, const std::string& lineBreakMark = " / ")
{
    EntryTree tree(lineBreakMark);
    EXPECT_TRUE(DecodeEntries(bytes, tree));
    return tree;
}

inline EntryId ChildOf(const EntryTree& tree, EntryId parent, size_t index)
{
    const std::vector<EntryId>& children = tree.Children(parent);
    return index < children.size() ? children[index] : kNoEntry;
}

inline EntryId TopLevel(const EntryTree& tree, size_t index) { return ChildOf(tree, tree.Root(), index); }

// "root", "branch", "" for no entry, or the first entry of that text.
inline EntryId IdOf(const EntryTree& tree, const std::string& name)
{
    if (name.empty() || name == "root" || name == "branch")
        return name.empty() ? kNoEntry : name == "root" ? tree.Root() : tree.ClipboardBranch();
    for (EntryId id : tree.InPreOrder())
        if (tree.Text(id) == name)
            return id;
    ADD_FAILURE() << "no entry " << name;
    return kNoEntry;
}

inline void Copy(EntryTree& tree, const std::string& text, const std::wstring& unicode = std::wstring())
{
    HistoryChange ignored;
    tree.RecordClipboard(text, unicode, kAsciiComparison, ignored);
}

// A view that knows the tree only from the change reports it was given, as
// a tree control following them would: each entry with its parent, kind,
// label and image.
class FollowingView {
public:
    explicit FollowingView(const EntryTree& tree) : m_tree(tree)
    {
        for (EntryId id : tree.InPreOrder()) {
            m_shown[id] = Of(id);
            m_ever.insert(id);
        }
    }

    void Follow(const EntryChange& change)
    {
        for (EntryId id : change.removed)
            EXPECT_TRUE(m_shown.erase(id) == 1 && !m_tree.Contains(id)) << "never shown or still there: " << id;
        for (EntryId id : change.inserted) {
            EXPECT_TRUE(m_ever.insert(id).second) << "an id given twice: " << id;
            EXPECT_EQ(m_shown.count(m_tree.Parent(id)), 1u) << "inserted before its parent: " << id;
            m_shown[id] = Of(id);
        }
        for (EntryId id : change.changed) {
            EXPECT_EQ(m_shown.count(id), 1u) << "changed but not shown: " << id;
            if (m_tree.Contains(id))
                m_shown[id] = Of(id);
        }
    }

    // Every entry of the tree is shown as it is, and nothing else is.
    void ExpectInStep() const
    {
        EXPECT_EQ(m_shown.size(), m_tree.Count());
        for (EntryId id : m_tree.InPreOrder()) {
            const auto shown = m_shown.find(id);
            EXPECT_TRUE(shown != m_shown.end() && shown->second == Of(id)) << "shown otherwise: " << id;
        }
    }

    size_t ShownCount() const { return m_shown.size(); }

private:
    using Shown = std::tuple<EntryId, EntryKind, std::string, EntryImage>;
    Shown Of(EntryId id) const { return {m_tree.Parent(id), m_tree.Kind(id), m_tree.Label(id), m_tree.Image(id)}; }

    const EntryTree& m_tree;
    std::map<EntryId, Shown> m_shown;
    std::set<EntryId> m_ever;
};
