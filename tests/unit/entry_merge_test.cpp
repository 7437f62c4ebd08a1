// Merging the entries of two machines against the collection both started
// from: what either typed stays, what one removed and the other left alone
// goes, and both machines come to the same entries.
#include "storage/EntryMerge.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace {

// An entry's identity by its name in the cases: names compare as their
// identities do.
EntryUid UidOf(const std::string& name)
{
    EntryUid uid = 0;
    for (size_t i = 0; i < 8; ++i)
        uid = uid << 8 | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0);
    return uid;
}

// "a b=B g[c d=D]": entries by name, "name=text" for a text other than the
// name, a group's children in brackets.
EntrySnapshot Parse(const std::string& shape)
{
    EntrySnapshot snapshot;
    std::vector<SnapshotEntry>* list = &snapshot;
    std::string word;
    auto finish = [&] {
        if (word.empty())
            return;
        const size_t equals = word.find('=');
        SnapshotEntry entry;
        entry.uid = UidOf(word.substr(0, equals));
        entry.text = equals == std::string::npos ? word : word.substr(equals + 1);
        list->push_back(entry);
        word.clear();
    };
    for (char c : shape) {
        if (c == ' ' || c == '[' || c == ']')
            finish();
        if (c == '[')
            list = &snapshot.back().children;
        else if (c == ']')
            list = &snapshot;
        else if (c != ' ')
            word += c;
    }
    finish();
    return snapshot;
}

// The texts so: "a g[c d]".
std::string Texts(const EntrySnapshot& snapshot)
{
    std::string shape;
    for (const SnapshotEntry& top : snapshot) {
        shape.append(shape.empty() ? "" : " ").append(top.text);
        for (size_t k = 0; k < top.children.size(); ++k)
            shape.append(k == 0 ? "[" : " ").append(top.children[k].text);
        shape.append(top.children.empty() ? "" : "]");
    }
    return shape;
}

std::vector<std::pair<EntryUid, std::string>> Flat(const EntrySnapshot& snapshot)
{
    std::vector<std::pair<EntryUid, std::string>> flat;
    for (const SnapshotEntry& top : snapshot) {
        flat.emplace_back(top.uid, top.text);
        for (const SnapshotEntry& child : top.children)
            flat.emplace_back(child.uid, "  " + child.text);
    }
    return flat;
}

TEST(EntryMerge, TheRulesCaseByCase)
{
    struct Case {
        const char* base;
        const char* ours;
        const char* theirs;
        const char* merged;
        size_t keptBoth;
    };
    const Case cases[] = {
        {"a b", "a b", "a b", "a b", 0},
        {"a b", "a x b", "a b", "a x b", 0},
        {"a b", "a b", "x a b y", "x a b y", 0},
        {"a b", "a x b", "a y b", "a x y b", 0},
        {"a b", "a y b", "a x b", "a x y b", 0},
        {"a b c", "a c", "a b x c", "a x c", 0},
        {"a b c", "a c", "a b c", "a c", 0},
        {"a b c", "a b=B c", "a c", "a B c", 0},
        {"a b", "a=A b", "a b", "A b", 0},
        {"a b", "a=A b", "a=A b", "A b", 0},
        {"a b", "a=B b", "a=A b", "A B b", 1},
        {"a b", "a=A b", "a b=B", "A B", 0},
        {"a b", "", "a b", "", 0},
        {"a b", "", "", "", 0},
        {"", "a", "b", "a b", 0},
        {"", "x=one", "x=two", "one two", 1},
        {"g[c d]", "g[c d e]", "g[c=C d]", "g[C d e]", 0},
        {"g[c d]", "g[c d x]", "", "g[x]", 0},
        {"g[c d]", "g[c=C d]", "", "g[C]", 0},
        {"g[c d]", "g[c d]", "", "", 0},
        {"g[c d]", "g=G[c d]", "g[d]", "G[d]", 0},
        {"g[c d]", "g=G[c d]", "", "G", 0},
        {"g[c] h", "g=G[c] h", "g=H[c] h", "G[c] H h", 1},
        {"g[c d]", "g[c=X d]", "g[c=Y d]", "g[X Y d]", 1},
        {"g[c d]", "g[d c]", "g[c d]", "g[d c]", 0},
        {"a g[c]", "a g[c] x", "a h[z] g[c]", "a h[z] g[c] x", 0},
        {"g[c] h[d]", "g[c x] h[d]", "h[d y] g[c]", "h[d y] g[c x]", 0},
        {"g[a b c d e f h i]", "g[a=A1 b c d e f h i] x", "g[a=A2 b c d e f h i]", "g[A1 A2 b c d e f h i] x", 1},
    };
    for (const Case& c : cases) {
        const MergeOutcome outcome = MergeEntries(Parse(c.base), Parse(c.ours), Parse(c.theirs));
        EXPECT_EQ(Texts(outcome.merged), c.merged) << c.base << " | " << c.ours << " | " << c.theirs;
        EXPECT_EQ(outcome.keptBoth, c.keptBoth) << c.base << " | " << c.ours << " | " << c.theirs;
        const MergeOutcome swapped = MergeEntries(Parse(c.base), Parse(c.theirs), Parse(c.ours));
        EXPECT_EQ(Flat(swapped.merged), Flat(outcome.merged)) << "whichever side is whose: " << c.ours;
    }
}

// Random edits of one machine, each typed text new.
class Editor {
public:
    Editor(EntrySnapshot entries, std::mt19937& random, std::string prefix)
        : m_entries(std::move(entries)), m_random(random), m_prefix(std::move(prefix))
    {
    }

    EntrySnapshot Edit(int steps)
    {
        for (int step = 0; step < steps; ++step) {
            const size_t what = Pick(6);
            if (what == 0 || m_entries.empty())
                m_entries.insert(m_entries.begin() + Pick(m_entries.size() + 1), Typed());
            else if (what == 1)
                Group().push_back(Typed());
            else if (what == 2)
                m_entries[Pick(m_entries.size())].text = Typed().text;
            else if (what == 3)
                m_entries.erase(m_entries.begin() + Pick(m_entries.size()));
            else if (std::vector<SnapshotEntry>& group = Group(); what == 4 && !group.empty())
                group[Pick(group.size())].text = Typed().text;
            else if (what == 5 && !group.empty())
                group.erase(group.begin() + Pick(group.size()));
        }
        return m_entries;
    }

private:
    size_t Pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(m_random); }
    std::vector<SnapshotEntry>& Group() { return m_entries[Pick(m_entries.size())].children; }
    SnapshotEntry Typed()
    {
        SnapshotEntry entry;
        entry.text = m_prefix + std::to_string(++m_typed);
        entry.uid = m_random() | 1;
        return entry;
    }

    EntrySnapshot m_entries;
    std::mt19937& m_random;
    std::string m_prefix;
    int m_typed = 0;
};

// A collection of `count` entries, in groups of up to a dozen.
EntrySnapshot Collection(size_t count, std::mt19937& random)
{
    EntrySnapshot entries;
    for (size_t made = 0; made < count; ++made) {
        SnapshotEntry entry;
        entry.text = "b" + std::to_string(made);
        entry.uid = random() | 1;
        if (entries.empty() || entries.back().children.size() >= random() % 13)
            entries.push_back(entry);
        else
            entries.back().children.push_back(entry);
    }
    return entries;
}

// The entries of a snapshot by identity.
class ByUid {
public:
    explicit ByUid(const EntrySnapshot& snapshot)
    {
        for (const SnapshotEntry& top : snapshot) {
            m_entries.emplace(top.uid, &top);
            for (const SnapshotEntry& child : top.children)
                m_entries.emplace(child.uid, &child);
        }
    }
    const SnapshotEntry* Find(EntryUid uid) const
    {
        const auto found = m_entries.find(uid);
        return found != m_entries.end() ? found->second : nullptr;
    }

private:
    std::unordered_map<EntryUid, const SnapshotEntry*> m_entries;
};

SnapshotEntry* FindUid(EntrySnapshot& snapshot, EntryUid uid)
{
    for (SnapshotEntry& top : snapshot) {
        if (top.uid == uid)
            return &top;
        for (SnapshotEntry& child : top.children)
            if (child.uid == uid)
                return &child;
    }
    return nullptr;
}

// Renames up to three entries of `base` that both sides still hold, each
// side its own way.
void RenameOnBoth(const EntrySnapshot& base, EntrySnapshot& ours, EntrySnapshot& theirs, std::mt19937& random)
{
    const auto flat = Flat(base);
    for (int renamed = 0, tries = 0; renamed < 3 && tries < 20 && !flat.empty(); ++tries) {
        const EntryUid uid = flat[random() % flat.size()].first;
        SnapshotEntry* here = FindUid(ours, uid);
        SnapshotEntry* there = FindUid(theirs, uid);
        if (here == nullptr || there == nullptr)
            continue;
        here->text = "both-o" + std::to_string(renamed);
        there->text = "both-t" + std::to_string(renamed);
        if (random() % 2 == 0)
            std::swap(here->text, there->text);  // either side's text may sort first
        ++renamed;
    }
}

std::multiset<std::string> TextsOf(const EntrySnapshot& snapshot)
{
    std::multiset<std::string> texts;
    for (const auto& [uid, text] : Flat(snapshot))
        texts.insert(text.substr(text.find_first_not_of(' ')));
    return texts;
}

// Every text typed on either side, and every entry both kept, is in the
// result; nothing else is; and merging the other way round, or again once
// the result is written, changes nothing. Collections of a dozen to 200
// entries, in every other round with entries renamed on both machines,
// each its own way: both texts stay.
TEST(EntryMerge, RandomEditsOnTwoMachinesLoseNoTypedText)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 2000; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const EntrySnapshot base = round < 300 ? Editor({}, random, "b").Edit(12) : Collection(12 + random() % 190, random);
        EntrySnapshot ours = Editor(base, random, "o").Edit(1 + round % 8);
        EntrySnapshot theirs = Editor(base, random, "t").Edit(1 + round % 5);
        if (round % 2 == 1)
            RenameOnBoth(base, ours, theirs, random);
        const MergeOutcome outcome = MergeEntries(base, ours, theirs);
        const std::multiset<std::string> merged = TextsOf(outcome.merged);
        const ByUid inBase(base), inOurs(ours), inTheirs(theirs), inMerged(outcome.merged);
        std::set<std::string> seen;
        for (const auto* side : {&ours, &theirs}) {
            const ByUid& other = side == &ours ? inTheirs : inOurs;
            for (const auto& [uid, text] : Flat(*side)) {
                const std::string bare = text.substr(text.find_first_not_of(' '));
                seen.insert(bare);
                // Typed on this side, or kept on both.
                const SnapshotEntry* before = inBase.Find(uid);
                const SnapshotEntry* there = other.Find(uid);
                if (before == nullptr || before->text != bare || (there != nullptr && there->text == bare)) {
                    EXPECT_EQ(merged.count(bare), 1u) << bare << " in " << Texts(outcome.merged);
                } else if (there == nullptr) {
                    // Removed there, left alone here: gone, but for a group
                    // that keeps what was typed in it.
                    const SnapshotEntry* kept = inMerged.Find(uid);
                    EXPECT_TRUE(kept == nullptr || !kept->children.empty()) << bare << " in " << Texts(outcome.merged);
                }
            }
        }
        for (const std::string& text : merged)
            EXPECT_EQ(seen.count(text), 1u) << "from neither side: " << text;
        std::unordered_set<EntryUid> uids;
        for (const auto& [uid, text] : Flat(outcome.merged))
            EXPECT_TRUE(uid != 0 && uids.insert(uid).second) << "an identity twice: " << text;
        if (round >= 300 && round % 4 != 0)
            continue;
        EXPECT_EQ(Flat(MergeEntries(base, theirs, ours).merged), Flat(outcome.merged));
        EXPECT_EQ(Flat(MergeEntries(theirs, theirs, outcome.merged).merged), Flat(outcome.merged));
        EXPECT_EQ(Flat(MergeEntries(ours, outcome.merged, ours).merged), Flat(outcome.merged));
    }
}

}  // namespace
