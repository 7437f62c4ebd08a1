// Entries whose characters the code page lacks keep their Unicode text
// through every operation; texts the code page holds are kept as 8-bit text
// alone, as ever. The stand-in code page here holds ASCII only.
#include "EntryTreeTestSupport.h"
#include "entries/EntrySearch.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>

namespace {

bool FitsAscii(const std::wstring& text)
{
    for (wchar_t unit : text)
        if (unit >= 0x80)
            return false;
    return true;
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// The Cyrillic code page 1251 in miniature: its letters from 0xC0 on, in
// the alphabet's order.
std::wstring FromCyrillicCodePage(const std::string& text)
{
    std::wstring unicode;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        unicode += static_cast<wchar_t>(byte >= 0xC0 ? 0x410 + (byte - 0xC0) : byte);
    }
    return unicode;
}

EntryId FindTyped(const EntryTree& tree, const std::wstring& typed, CodePageToUnicode toUnicode)
{
    return FindEntry(tree, tree.Root(), typed, true, SearchFolding{FoldLikeALocale, toUnicode});
}

const std::wstring kGreek = L"\u03A3\u03BF\u03C6\u03AF\u03B1 \U0001F642";

// The text as the stand-in code page holds it, "?" for what it lacks.
std::string Lossy(const std::wstring& text)
{
    std::string bytes;
    for (wchar_t unit : text)
        bytes += unit < 0x80 ? static_cast<char>(unit) : '?';
    return bytes;
}

}  // namespace

TEST(UnicodeEntries, ARenameChangesOnlyWhatWasTypedAndAsksOnlyWhenAnUnseenRestIsLost)
{
    struct Case {
        std::wstring text;
        std::wstring field;
        LabelEdit edit;
        std::wstring renamed;
    };
    const std::wstring cups(300, L'\u2615');
    const std::string ells(300, 'l');
    const Case cases[] = {
        // Marks and spaces the user left stand again for their line breaks and tabs.
        {L"Dear customer\r\n\r\nThanks", L"Dear customer / Thanks v2", LabelEdit::Renames,
         L"Dear customer\r\n\r\nThanks v2"},
        {L"first\u2029second", L"first\u00B6seconds", LabelEdit::Renames, L"first\u2029seconds"},
        {L"a\r\nb\nc", L"a / bc", LabelEdit::Renames, L"a\r\nbc"},
        {L"x\ny", L"x /y", LabelEdit::Renames, L"x /y"},  // a mark the edit touched is typed text
        {L"tab\there", L"tab here!", LabelEdit::Renames, L"tab\there!"},
        {L"a\x01z\x1b", L"Ba z ", LabelEdit::Renames, L"Ba\x01z\x1b"},
        {L"\u2615\r\n\u2615", L"\u2615\u00B6\u2615\u2615", LabelEdit::Renames, L"\u2615\r\n\u2615\u2615"},
        {L"Re\u0301sume\u0301 \u2615", L"Resume", LabelEdit::Renames, L"Resume"},
        {L"one\ntwo", L"one / two \u263a", LabelEdit::Renames, L"one\ntwo \u263a"},
        {L"a?b", L"a\u2615b", LabelEdit::Renames, L"a\u2615b"},  // "a?b" in the code page, but not what was shown
        // Left as shown, or put back as it was: nothing changes.
        {L"first\u2028second", L"first\u00B6second", LabelEdit::Unchanged, L"first\u2028second"},
        {L"Re\u0301sume\u0301 \u2615", L"Re\u0301sume\u0301 \u2615", LabelEdit::Unchanged, L"Re\u0301sume\u0301 \u2615"},
        {L"tab\there", L"tab here", LabelEdit::Unchanged, L"tab\there"},
        {cups, cups.substr(0, 259), LabelEdit::Unchanged, cups},
        // A cut label: what it showed maps back, the unseen rest is lost.
        {cups, cups.substr(0, 258), LabelEdit::LosesUnseenText, cups.substr(0, 258)},
        {Widen(ells), Widen("x" + ells.substr(0, 259)), LabelEdit::LosesUnseenText, Widen("x" + ells.substr(0, 259))},
        {L"ab\r\n" + Widen(ells), L"ab / " + Widen(ells.substr(0, 254)) + L"!", LabelEdit::LosesUnseenText,
         L"ab\r\n" + Widen(ells.substr(0, 254)) + L"!"},
    };
    for (const Case& c : cases) {
        EntryTree tree(" / ", FitsAscii);
        const EntryId id = tree.Append(tree.Root(), Lossy(c.text), nullptr, c.text);
        std::string text = Lossy(c.field);
        std::wstring unicode = c.field;
        ASSERT_EQ(tree.JudgeLabelEdit(id, text, unicode, {Widen, Lossy}), c.edit) << Lossy(c.field);
        EntryChange change;
        if (c.edit != LabelEdit::Unchanged) {
            ASSERT_TRUE(tree.Rename(id, text, change, unicode));
        }
        EXPECT_EQ(tree.Text(id), Lossy(c.renamed)) << Lossy(c.field);
        EXPECT_EQ(tree.UnicodeText(id), FitsAscii(c.renamed) ? L"" : c.renamed) << Lossy(c.field);
    }
}

TEST(UnicodeEntries, TextsTheCodePageLacksStayWholeThroughEveryOperation)
{
    EntryTree tree(" / ", FitsAscii);
    EntryChange change;
    EntryId added = kNoEntry;
    ASSERT_EQ(tree.Add("????? ?", tree.Root(), change, added, kGreek), AddOutcome::Added);
    EXPECT_EQ(tree.UnicodeText(added), kGreek);
    EXPECT_EQ(tree.UnicodeLabel(added), kGreek);
    EntryId plain = kNoEntry;
    tree.Add("plain", tree.Root(), change, plain, L"plain");
    EXPECT_TRUE(tree.UnicodeText(plain).empty()) << "the code page says it all";

    // A copy by drag, a drop from elsewhere and a history entry dragged in.
    const EntryId copy = tree.Drop(tree.Root(), added, "", change);
    EXPECT_EQ(tree.UnicodeText(copy), kGreek);
    const EntryId dropped = tree.Drop(tree.Root(), kNoEntry, "?", change, L"\u65E5");
    EXPECT_EQ(tree.UnicodeText(dropped), L"\u65E5");
    Copy(tree, "copied", L"copied");
    const EntryId fromHistory = tree.Drop(tree.Root(), ChildOf(tree, tree.ClipboardBranch(), 0), "", change);
    EXPECT_TRUE(tree.UnicodeText(fromHistory).empty()) << "the history's Unicode text adds nothing here";

    // Renaming, and removing and undoing a group.
    ASSERT_TRUE(tree.Rename(plain, "??????", change, L"\u041F\u0440\u0438\u0432\u0435\u0442"));
    EXPECT_EQ(tree.UnicodeText(plain), L"\u041F\u0440\u0438\u0432\u0435\u0442");
    ASSERT_TRUE(tree.Rename(plain, "plain again", change, L"plain again"));
    EXPECT_TRUE(tree.UnicodeText(plain).empty());
    tree.Append(added, "?", nullptr, L"\u00e9");
    tree.Remove(added);
    tree.Undo();
    const EntryId restored = tree.Children(tree.Root()).back();
    EXPECT_EQ(tree.UnicodeText(restored), kGreek);
    EXPECT_EQ(tree.UnicodeText(tree.Children(restored).front()), L"\u00e9");
}

TEST(UnicodeEntries, TheSearchFoldsCaseInAnyScript)
{
    EntryTree tree(" / ", FitsAscii);
    tree.Append(tree.Root(), "Plain ASCII");
    const EntryId greek = tree.Append(tree.Root(), "????? ?", nullptr, kGreek);
    const EntryId cyrillic = tree.Append(tree.Root(), "??????", nullptr, L"\u043F\u0440\u0438\u0432\u0435\u0442");
    auto find = [&](const std::wstring& text) { return FindTyped(tree, text, Widen); };
    EXPECT_EQ(find(L"\u03A3\u039F\u03A6\u038A\u0391"), greek);
    EXPECT_EQ(find(L"\u041F\u0420\u0418\u0412\u0415\u0422"), cyrillic);
    EXPECT_EQ(find(L"PLAIN"), IdOf(tree, "Plain ASCII")) << "an entry of the code page, by its own rule";
    EXPECT_EQ(find(L"\U0001F642"), greek);
    EXPECT_EQ(find(L"?"), kNoEntry) << "the code page's stand-ins match nothing but themselves";
}

TEST(UnicodeEntries, TheSearchFoldsEveryEntryAlikeWhateverWasTyped)
{
    const std::string cyrillic = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Privet", capital P
    struct Case {
        CodePageToUnicode toUnicode;
        std::string text;
        std::wstring unicode, typed;
        bool found;
    };
    const Case cases[] = {
        {Latin1ToUnicode, "\xC9" "cole", L"", L"\u00E9cole", true},
        {Latin1ToUnicode, "\xC9" "cole ?", L"\u00C9cole \u2615", L"\u00E9cole", true},
        {Latin1ToUnicode, "Plain ASCII", L"", L"ascii\u00E9", false},
        {Latin1ToUnicode, "?", L"\u263A", L"?", false},
        {FromCyrillicCodePage, cyrillic, L"", L"\u043F\u0440\u0438\u0432\u0435\u0442", true},
        {FromCyrillicCodePage, cyrillic + " ?", L"\u041F\u0440\u0438\u0432\u0435\u0442 \U0001F642",
         L"\u043F\u0440\u0438\u0432\u0435\u0442", true},
        {FromCyrillicCodePage, cyrillic, L"", L"\u0440\u0438\u0432\u0430", false},
    };
    for (const Case& c : cases) {
        EntryTree tree;
        const EntryId entry = tree.Append(tree.Root(), c.text, nullptr, c.unicode);
        SCOPED_TRACE(testing::PrintToString(c.text) + " typed " + testing::PrintToString(c.typed));
        EXPECT_EQ(FindTyped(tree, c.typed, c.toUnicode), c.found ? entry : kNoEntry);
    }

    // A locale that folds an ASCII capital out of ASCII, as a Turkish one folds I.
    EntryTree tree;
    const EntryId title = tree.Append(tree.Root(), "TITLE");
    auto foldTurkish = [](const std::wstring& text) {
        std::wstring folded = FoldLikeALocale(text);
        std::replace(folded.begin(), folded.end(), L'i', L'\u0131');
        return folded;
    };
    EXPECT_EQ(FindEntry(tree, tree.Root(), L"t\u0131t", true, SearchFolding{foldTurkish, Latin1ToUnicode}), title);
}
