// The popup's index rules texts out without reading them: whatever the
// texts, the code page, the queries and the edits in between, and however
// much of the index is read, the popup finds exactly what reading every text
// finds.
#include "EntryTreeTestSupport.h"
#include "TextSamples.h"
#include "entries/PopupFind.h"
#include "entries/PopupIndex.h"
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

bool LeadsTwoBytes(unsigned char byte)
{
    return byte >= 0x80;
}

// Few letters, so that words recur and their pairs and threes collide;
// accented capitals, and bytes that lead a double-byte character.
std::string RandomText(std::mt19937& random, size_t length)
{
    static const char kBytes[] = "aAbBc  \xE9\xC9\x83\x84";
    std::string text;
    while (text.size() < length)
        text += kBytes[random() % (sizeof(kBytes) - 1)];
    return text;
}

}  // namespace

TEST(PopupFindIndexTest, TheIndexNeverChangesWhatMatches)
{
    const struct {
        LeadByteTest isLeadByte;
        CodePageToUnicode toUnicode;
        const char* what;
    } codePages[] = {
        {nullptr, Latin1ToUnicode, "single-byte"},
        {LeadsTwoBytes, DoubleByteToUnicode, "double-byte, read through a table"},
        {nullptr, DoubleByteToUnicode, "double-byte, turned into Unicode"},
    };
    std::mt19937 random(20261208);
    for (const auto& codePage : codePages) {
        EntryTree tree(" / ", nullptr, codePage.isLeadByte);
        std::vector<EntryId> groups;
        for (int g = 0; g < 3; ++g)
            groups.push_back(tree.Append(tree.Root(), "group " + std::to_string(g)));
        auto add = [&] {
            // One in eight long enough for pairs and threes, one in five
            // with a Unicode text.
            const size_t length = random() % 8 == 0 ? 4096 + random() % 2000 : 1 + random() % 60;
            std::string text = RandomText(random, length);
            const std::wstring unicode = random() % 5 == 0 ? L"\u041F\u0440\u0438 " + codePage.toUnicode(text) : L"";
            const EntryId parent = random() % 4 == 0 ? tree.Root() : groups[random() % groups.size()];
            tree.Append(parent, std::move(text), nullptr, unicode);
        };
        for (int i = 0; i < 40; ++i)
            add();
        PopupIndex index(tree, {FoldLikeALocale, codePage.toUnicode});
        size_t ruledOut = 0;
        for (int round = 0; round < 6; ++round) {
            // None of the index, some of it, or all of it read.
            if (round > 0)
                index.Index(round % 3 == 1 ? 3000 : SIZE_MAX);
            std::vector<EntryId> entries;
            for (EntryId id : tree.InPreOrder())
                if (tree.IsUserEntry(id) || tree.Parent(id) == tree.ClipboardBranch())
                    entries.push_back(id);
            for (int q = 0; q < 8; ++q) {
                // A piece of some entry's text, its case changed maybe, or
                // letters at random, typed letter by letter.
                const EntryId from = entries[random() % entries.size()];
                std::wstring query = codePage.toUnicode(tree.Text(from));
                query = query.substr(random() % query.size(), 1 + random() % 6);
                if (random() % 3 == 0)
                    query = codePage.toUnicode(RandomText(random, 1 + random() % 5));
                if (random() % 2 == 0)
                    for (wchar_t& unit : query)
                        unit = static_cast<wchar_t>(unit >= L'a' && unit <= L'z' ? unit - 0x20 : unit);
                PopupFind indexed(tree, index);
                PopupFind plain(tree, {FoldLikeALocale, codePage.toUnicode});
                for (size_t typed = 1; typed <= query.size(); ++typed) {
                    indexed.SetQuery(query.substr(0, typed));
                    plain.SetQuery(query.substr(0, typed));
                    ASSERT_EQ(indexed.Matches(), plain.Matches())
                        << codePage.what << ", round " << round << ", query " << ::testing::PrintToString(query);
                }
                for (EntryId id : entries) {
                    const PopupIndex::Signature* signature = index.Find(id);
                    const std::wstring folded = index.Search().Fold(query);
                    ruledOut += signature != nullptr && !PopupIndex::MayHold(*signature, PopupIndex::ProbeOf(folded));
                }
            }
            // Edits between popups: renames (once more than the tree keeps
            // a list of), new entries, removals and copies.
            const int renames = round == 3 ? static_cast<int>(EntryTree::kTextChangesKept) + 5 : 6;
            for (int i = 0; i < renames; ++i) {
                const EntryId id = entries[random() % entries.size()];
                EntryChange change;
                tree.Rename(id, RandomText(random, 1 + random() % 40), change,
                            random() % 4 == 0 ? L"\u0416 " + codePage.toUnicode(RandomText(random, 9)) : L"");
            }
            for (int i = 0; i < 4; ++i)
                add();
            tree.Remove(entries[random() % entries.size()]);
            Copy(tree, RandomText(random, 1 + random() % 30));
        }
        EXPECT_GT(ruledOut, 0u) << codePage.what << ": the index rules texts out";
    }
}
