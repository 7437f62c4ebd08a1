// Typing in the popup: the entries whose full texts hold every word, and the
// lines that show them. The stand-in code page is Latin-1, the stand-in fold
// knows Latin, Cyrillic and Greek capitals.
#include "EntryTreeTestSupport.h"
#include "TextSamples.h"
#include "entries/PopupFind.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// A fold that makes one character two, as full case folding does with ß.
std::wstring FoldSharpS(const std::wstring& text)
{
    std::wstring folded;
    for (wchar_t unit : FoldLikeALocale(text))
        folded += unit == 0xDF ? std::wstring(L"ss") : std::wstring(1, unit);
    return folded;
}

// UTF-8 as the system's code page, as far as characters of two bytes: any
// other byte that is not ASCII turns into the replacement character alone.
std::wstring Utf8ToUnicode(const std::string& text)
{
    std::wstring unicode;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        const unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte < 0x80) {
            unicode += static_cast<wchar_t>(byte);
        } else if (byte >= 0xC2 && byte < 0xE0 && (next & 0xC0) == 0x80) {
            unicode += static_cast<wchar_t>((byte & 0x1F) << 6 | (next & 0x3F));
            ++i;
        } else {
            unicode += L'\uFFFD';
        }
    }
    return unicode;
}

bool DoubleByteLead(unsigned char byte)
{
    return byte >= 0x80;
}

const std::wstring kPrivet = L"\u041F\u0440\u0438\u0432\u0435\u0442 \u043C\u0438\u0440";

class PopupFindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(DecodeEntries(K("Work") + E("Signature\r\nJohn Smith\r\nACME Corp") + E("Meeting notes") +
                                      K("Home") + E("Signature home\r\nLove, John") + E("??????") +
                                      K("Caf\xE9 menu"),
                                  tree));
        ASSERT_TRUE(tree.SetLoadedUnicodeText(IdOf(tree, "??????"), kPrivet));
        Copy(tree, "copied sig text");
    }

    // The matches of `query` as their texts, "|" between them.
    std::string Found(const std::wstring& query, UnicodeFold fold = FoldLikeALocale)
    {
        PopupFind find(tree, {fold, Latin1ToUnicode});
        find.SetQuery(query);
        std::string found;
        for (EntryId id : find.Matches())
            found += (found.empty() ? "" : "|") + tree.Text(id);
        return found;
    }

    EntryTree tree;
};

}  // namespace

TEST_F(PopupFindTest, AnEntryMatchesWhenItsFullTextHoldsEveryWordInAnyOrderFolded)
{
    struct Case {
        std::wstring query;
        const char *found, *what;
    };
    const Case cases[] = {
        {L"sig", "copied sig text|Signature\r\nJohn Smith\r\nACME Corp|Signature home\r\nLove, John",
         "the history first, then the groups, in the order of the tree"},
        {L"john SIG", "Signature\r\nJohn Smith\r\nACME Corp|Signature home\r\nLove, John", "any order, any case"},
        {L"  home\tsig  ", "Signature home\r\nLove, John", "words between any white space"},
        {L"love\u3000sig", "Signature home\r\nLove, John", "the ideographic space parts words"},
        {L"acme", "Signature\r\nJohn Smith\r\nACME Corp", "a word on the third line"},
        {L"sig sigNATURE", "Signature\r\nJohn Smith\r\nACME Corp|Signature home\r\nLove, John",
         "a word within another"},
        {L"\u041F\u0420\u0418\u0412\u0415\u0422", "??????", "Cyrillic capitals find the Unicode text"},
        {L"\u041C\u0418\u0420 \u043F\u0440\u0438", "??????", "Cyrillic words in any order"},
        {L"CAF\u00C9", "Caf\xE9 menu", "an accented capital finds the code page's small letter"},
        {L"work", "", "a group is no match, and its name is not its entries' text"},
        {L"sig zebra", "", "every word must occur"},
        {L"?", "", "the Unicode text is searched, not its 8-bit stand-in"},
        {L"", "copied sig text|Signature\r\nJohn Smith\r\nACME Corp|Meeting notes|"
              "Signature home\r\nLove, John|??????|Caf\xE9 menu",
         "no words: every entry the menu hands out, and a group is none"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Found(c.query), c.found) << c.what;

    EXPECT_EQ(Found(L"SIGNATURE HOME", FoldSharpS), "Signature home\r\nLove, John")
        << "a fold that changes lengths is applied to whole texts";
    tree.Append(tree.Root(), "Gro\xDF" "e Stra\xDF" "e");
    EXPECT_EQ(Found(L"STRASSE", FoldSharpS), "Gro\xDF" "e Stra\xDF" "e");

    // The history's heading is no entry, even while the history is empty.
    tree.ClearHistory();
    for (const wchar_t* query : {L"last", L"s", L""}) {
        PopupFind find(tree, {FoldLikeALocale, Latin1ToUnicode});
        find.SetQuery(query);
        EXPECT_EQ(std::count(find.Matches().begin(), find.Matches().end(), tree.ClipboardBranch()), 0) << query;
        EXPECT_FALSE(find.HoldsQuery(tree.ClipboardBranch()));
    }
}

TEST_F(PopupFindTest, AChangeOfTheEntriesWhileOpenIsFollowedAndOnlyAnEntryHoldingTheQueryIsOne)
{
    EntryTree changing;
    const EntryId signature = changing.Append(changing.Root(), "Signature John");
    const EntryId meeting = changing.Append(changing.Root(), "Meeting notes");
    PopupFind find(changing, {FoldLikeALocale, Latin1ToUnicode});
    find.SetQuery(L"si");
    find.SetQuery(L"sig");
    ASSERT_EQ(find.Matches(), std::vector<EntryId>{signature});
    // The data file, changed outside, renames both and keeps who they are.
    changing.ReplaceUserEntries({{changing.Uid(signature), "Hello there", L"", {}, {}, {}},
                                 {changing.Uid(meeting), "Signed memo", L"", {}, {}, {}}});
    EXPECT_FALSE(find.HoldsQuery(signature)) << "its text no longer holds the query";
    find.EntriesChanged();
    for (const wchar_t* query : {L"sig", L"sign", L"si", L"sig"}) {
        find.SetQuery(query);
        EXPECT_EQ(find.Matches(), std::vector<EntryId>{meeting}) << query;
        EXPECT_TRUE(find.HoldsQuery(meeting));
    }
}

TEST_F(PopupFindTest, AUtf8CodePageFindsEightBitTextsByTheirCharacters)
{
    EntryTree utf8;
    const EntryId cafe = utf8.Append(utf8.Root(), "Caf\xC3\xA9 menu");
    const EntryId privet = utf8.Append(utf8.Root(), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    const EntryId plain = utf8.Append(utf8.Root(), "Cafe plain");
    PopupFind find(utf8, {FoldLikeALocale, Utf8ToUnicode});
    const struct {
        std::wstring query;
        std::vector<EntryId> found;
    } cases[] = {{L"caf\u00E9", {cafe}}, {L"CAF\u00C9", {cafe}}, {L"\u043F\u0420\u0418\u0432", {privet}},
                 {L"cafe", {plain}}, {L"\uFFFD", {}}};
    for (const auto& c : cases) {
        find.SetQuery(c.query);
        EXPECT_EQ(find.Matches(), c.found) << c.query.size();
    }
    EXPECT_FALSE(FoldedTextSearch({FoldLikeALocale, Utf8ToUnicode}).BytesAreCharacters());
}

// Double-byte texts read through the table of their characters find what
// their Unicode form finds, whatever letters their second bytes look like.
TEST_F(PopupFindTest, DoubleByteTextsFindWhatTheirUnicodeFormFinds)
{
    const FoldedTextSearch search({FoldLikeALocale, DoubleByteToUnicode}, DoubleByteLead);
    ASSERT_TRUE(search.ReadsDoubleBytes());
    const char alphabet[] = {'a', 'A', 'b', 'Z', 'z', ' ', '\x83', '\x84', '\xC1', '\xE1'};
    std::uint32_t state = 12345;
    auto next = [&](std::uint32_t below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    };
    for (int round = 0; round < 400; ++round) {
        std::string text;
        for (std::uint32_t length = next(200); text.size() < length;)
            text += alphabet[next(sizeof(alphabet))];
        const std::wstring folded = FoldLikeALocale(DoubleByteToUnicode(text));
        // A piece of the text, or of another one, in capitals or not.
        std::string pieceOf = next(2) ? text : std::string(text.rbegin(), text.rend());
        const std::wstring unicode = DoubleByteToUnicode(pieceOf);
        const size_t from = unicode.empty() ? 0 : next(static_cast<std::uint32_t>(unicode.size()));
        std::wstring word = unicode.substr(from, 1 + next(4));
        if (next(2))
            for (wchar_t& unit : word)
                unit = static_cast<wchar_t>(unit >= L'a' && unit <= L'z' ? unit - 0x20 : unit);
        if (word.empty() || word.find(L' ') != std::wstring::npos)
            continue;
        const bool expected = folded.find(FoldLikeALocale(word)) != std::wstring::npos;
        EXPECT_EQ(search.InEncoded(text, search.Prepare(word)), expected) << ::testing::PrintToString(text);
    }
}

TEST_F(PopupFindTest, NarrowingAsTheQueryGrowsFindsWhatAFreshSearchFinds)
{
    for (int i = 0; i < 60; ++i)
        tree.Append(IdOf(tree, "Work"), "note " + std::to_string(i * 7919 % 1000) + (i % 3 ? " signed" : " plain"));
    PopupFind typing(tree, {FoldLikeALocale, Latin1ToUnicode});
    const std::wstring steps[] = {L"s", L"si", L"sig", L"sig ", L"sig 1", L"sig 13", L"sig 1", L"sig", L"sign",
                                  L"signe", L"s", L"", L"no", L"note 5", L"note 5 z", L"note 5", L"5 note"};
    for (const std::wstring& query : steps) {
        typing.SetQuery(query);
        PopupFind fresh(tree, {FoldLikeALocale, Latin1ToUnicode});
        fresh.SetQuery(query);
        EXPECT_EQ(typing.Matches(), fresh.Matches()) << std::string(query.begin(), query.end());
    }

    // An entry that goes while the popup is open is no match any more.
    typing.SetQuery(L"sig");
    const size_t before = typing.Matches().size();
    for (int i = 0; i < 15; ++i)
        Copy(tree, "newer copy " + std::to_string(i));
    typing.SetQuery(L"sig");
    EXPECT_EQ(typing.Matches().size(), before - 1) << "the matches kept";
    typing.SetQuery(L"sign");
    typing.SetQuery(L"sig");
    EXPECT_EQ(typing.Matches().size(), before - 1) << "the matches kept for Backspace";
}

TEST_F(PopupFindTest, EightBitTextsOfADoubleByteCodePageAreSearchedAsCharacters)
{
    EntryTree doubleByte(" / ", nullptr, DoubleByteLead);
    const EntryId kanji = doubleByte.Append(doubleByte.Root(), "\x83Z\x83z top");
    const EntryId ascii = doubleByte.Append(doubleByte.Root(), "Zebra top");
    PopupFind find(doubleByte, {FoldLikeALocale, DoubleByteToUnicode});
    const struct {
        std::wstring query;
        std::vector<EntryId> found;
        const char* what;
    } cases[] = {
        {L"z", {ascii}, "a trail byte is no letter of its own"},
        {L"\u335A\u337A", {kanji}, "the double-byte characters"},
        {L"TOP", {kanji, ascii}, "ASCII beside them"},
    };
    for (const auto& c : cases) {
        find.SetQuery(c.query);
        EXPECT_EQ(find.Matches(), c.found) << c.what;
    }
}

TEST_F(PopupFindTest, LinesShowTheQueryEachMatchWithItsGroupAndTheCutAtTheScreensHeight)
{
    using Kind = PopupFindLine::Kind;
    struct Case {
        std::wstring query;
        int width;
        size_t maxEntryLines;
        std::vector<std::wstring> texts;
        Kind last;
        const char* what;
    };
    const Case cases[] = {
        {L"sig", 30, 10,
         {L"sig", L"Last 15 Clipboard Entries \u203A copied sig text", L"Work \u203A Signature / John Smith / AC...",
          L"Home \u203A Signature home / Love, John"},
         Kind::Entry, "the history's branch and each group name their entries"},
        {L"sig", 12, 10,
         {L"sig", L"Last 15 C... \u203A copied si...", L"Work \u203A Signature...", L"Home \u203A Signature..."},
         Kind::Entry, "group and label each shortened to the menu width"},
        {L"\u043F\u0440\u0438", 40, 10, {L"\u043F\u0440\u0438", L"Home \u203A " + kPrivet}, Kind::Entry,
         "every character of a Unicode text"},
        {L"caf", 40, 10, {L"caf", L"Caf\u00E9 menu"}, Kind::Entry, "the code page's text in Unicode, no group"},
        {L"sig", 30, 2,
         {L"sig", L"Last 15 Clipboard Entries \u203A copied sig text", L"Work \u203A Signature / John Smith / AC...",
          L"1 more entry matches"},
         Kind::MoreMatches, "cut at the screen's height"},
        {L"", 30, 3,
         {L"", L"Last 15 Clipboard Entries \u203A copied sig text", L"Work \u203A Signature / John Smith / AC...",
          L"Work \u203A Meeting notes", L"3 more entries match"},
         Kind::MoreMatches, "the rest counted"},
        {L"sig", 40, 0, {L"sig", L"3 more entries match"}, Kind::MoreMatches, "no room for an entry"},
        {L"zebra", 40, 10, {L"zebra", L"No entry matches"}, Kind::NothingMatches, "nothing matches"},
    };
    for (const Case& c : cases) {
        PopupFind find(tree, {FoldLikeALocale, Latin1ToUnicode});
        find.SetQuery(c.query);
        const std::vector<PopupFindLine> lines = find.Lines(c.width, c.maxEntryLines);
        std::vector<std::wstring> texts;
        for (const PopupFindLine& line : lines)
            texts.push_back(line.text);
        EXPECT_EQ(texts, c.texts) << c.what;
        EXPECT_EQ(lines.front().kind, Kind::Query) << c.what;
        EXPECT_EQ(lines.back().kind, c.last) << c.what;
        for (size_t i = 1; i < lines.size() && lines[i].kind == Kind::Entry; ++i)
            EXPECT_EQ(lines[i].entry, find.Matches()[i - 1]) << c.what;
    }
}
