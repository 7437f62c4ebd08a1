// Entries whose characters the code page lacks keep their Unicode text
// through every operation; texts the code page holds are kept as 8-bit text
// alone, as ever. The stand-in code page here holds ASCII only.
#include "EntryTreeTestSupport.h"
#include "entries/EntrySearch.h"
#include <gtest/gtest.h>
#include <string>

namespace {

bool FitsAscii(const std::wstring& text)
{
    for (wchar_t unit : text)
        if (unit >= 0x80)
            return false;
    return true;
}

// Small letters of ASCII, Cyrillic and Greek, as a locale folds them.
std::wstring Fold(const std::wstring& text)
{
    std::wstring folded = text;
    for (wchar_t& unit : folded) {
        if ((unit >= L'A' && unit <= L'Z') || (unit >= 0x410 && unit <= 0x42F) || (unit >= 0x391 && unit <= 0x3A9))
            unit = static_cast<wchar_t>(unit + 0x20);
        else if (unit == 0x38A)
            unit = 0x3AF;
    }
    return folded;
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
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

TEST(UnicodeEntries, ARenameIsJudgedOnTheLabelShownAndAFieldLeftAsItWasChangesNothing)
{
    struct Case {
        std::wstring text;
        std::wstring field;
        LabelEdit edit;
    };
    const std::wstring longText(300, L'\u2615');
    const Case cases[] = {
        {L"first\u2028second", L"first\u00B6second", LabelEdit::Unchanged},
        {L"first\u2029second", L"first\u00B6seconds", LabelEdit::LosesUnseenText},
        {L"Re\u0301sume\u0301 \u2615", L"Re\u0301sume\u0301 \u2615", LabelEdit::Unchanged},
        {L"Re\u0301sume\u0301 \u2615", L"Resume", LabelEdit::Renames},
        {longText, longText.substr(0, 259), LabelEdit::Unchanged},
        {longText, longText.substr(0, 258), LabelEdit::LosesUnseenText},
        {L"tab\there", L"tab here", LabelEdit::Unchanged},
        {L"tab\there", L"tab there", LabelEdit::LosesUnseenText},
        {L"a?b", L"a\u2615b", LabelEdit::Renames},  // "a?b" in the code page, but not what was shown
        {L"plain", L"plain", LabelEdit::Unchanged},
    };
    for (const Case& c : cases) {
        EntryTree tree(" / ", FitsAscii);
        const EntryId id = tree.Append(tree.Root(), Lossy(c.text), nullptr, c.text);
        EXPECT_EQ(tree.JudgeLabelEdit(id, Lossy(c.field), c.field), c.edit) << Lossy(c.field);
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
    auto find = [&](const std::wstring& text) {
        const UnicodeSearch unicode = {text, FitsAscii(text), Fold, Widen};
        return FindEntry(tree, tree.Root(), std::string(text.begin(), text.end()), true, nullptr, &unicode);
    };
    EXPECT_EQ(find(L"\u03A3\u039F\u03A6\u038A\u0391"), greek);
    EXPECT_EQ(find(L"\u041F\u0420\u0418\u0412\u0415\u0422"), cyrillic);
    EXPECT_EQ(find(L"PLAIN"), IdOf(tree, "Plain ASCII")) << "an entry of the code page, by its own rule";
    EXPECT_EQ(find(L"\U0001F642"), greek);
    EXPECT_EQ(find(L"?"), kNoEntry) << "the code page's stand-ins match nothing but themselves";
}
