#include "EntryTreeTestSupport.h"
#include "history/HistoryState.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <new>

namespace {

using Texts = std::vector<std::string>;

// Records `text` and checks that the change's steps, applied to the texts
// as they were, give the texts as they are: that is all a list shown
// beside the history gets.
Texts Record(Texts history, const std::string& text)
{
    HistoryState state(history);
    const HistoryChange change = state.Record(text, std::wstring(), kAsciiComparison);
    for (int position : change.removed) {
        EXPECT_LT(static_cast<size_t>(position), history.size());
        history.erase(history.begin() + position);
    }
    if (change.added)
        history.insert(history.begin(), text);
    EXPECT_EQ(history, state.Texts());
    return state.Texts();
}

// "text newest" down to "text oldest", newest first.
Texts Numbered(int newest, int oldest = 1)
{
    Texts history;
    for (int i = newest; i >= oldest; --i)
        history.push_back("text " + std::to_string(i));
    return history;
}

Texts Then(Texts first, const Texts& rest)
{
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

// The longest 8-bit text that `counting` converted.
size_t longestConverted = 0;
const TextComparison counting = {FoldAsciiCase, FoldAsciiCaseWide, [](const std::string& text) {
    longestConverted = std::max(longestConverted, text.size());
    return Latin1ToUnicode(text);
}};

}  // namespace

TEST(HistoryRules, TheNewestComesFirstReplacingTheFirstTextItBeginsCaseIgnoredAndTheOldestGoesWhenFull)
{
    Texts sharing = Numbered(15);  // a full history
    sharing[3] = "shared start, newer";
    struct Case {
        Texts before;
        std::string text;
        Texts after;
        const char* what;
    };
    const Case cases[] = {
        {{}, "one", {"one"}, "the first text"},
        {{"one"}, "two", {"two", "one"}, "the newest goes to the top"},
        {{"b", "a"}, "a", {"a", "b"}, "the same text twice is kept once at the top"},
        {{"a", "b"}, "a", {"a", "b"}, "the same text again at the top"},
        {{"hello world"}, "Hello", {"Hello"}, "a shorter text replaces one that begins with it"},
        {{"HELLO WORLD"}, "hello", {"hello"}, "case ignored either way"},
        {{"Hello"}, "hello world", {"hello world", "Hello"}, "a longer text keeps the shorter one"},
        {{"abc 2", "x", "ABC 1"}, "abc", {"abc", "x", "ABC 1"}, "only the first match from the top goes"},
        {{}, "line 1\r\nline 2", {"line 1\r\nline 2"}, "line breaks are kept"},
        {Numbered(15), "text 16", Numbered(16, 2), "the sixteenth text drops the oldest"},
        {sharing, "SHARED start", Then({"SHARED start"}, Then(Numbered(15, 13), Numbered(11, 2))),
         "a full history drops the oldest and a matching text"},
        {Numbered(15), "", Numbered(15, 2), "no text drops the oldest of a full history"},
        {{"a", "b"}, "", {"a", "b"}, "and nothing else"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Record(c.before, c.text), c.after) << c.what;
}

TEST(HistoryRules, FindIgnoresCaseOnlyThroughTheFold)
{
    const Texts history = {"\xC9t\xE9", "Abc"};
    EXPECT_EQ(FindTextBeginningWith(history, "aB", FoldAsciiCase), 1);
    EXPECT_EQ(FindTextBeginningWith(history, "\xE9", FoldAsciiCase), -1);
    auto latin1 = [](unsigned char c) -> unsigned char {
        return c >= 0xC0 && c <= 0xDE && c != 0xD7 ? static_cast<unsigned char>(c + 0x20) : FoldAsciiCase(c);
    };
    EXPECT_EQ(FindTextBeginningWith(history, "\xE9T", latin1), 0);
    EXPECT_EQ(FindTextBeginningWith(history, "", FoldAsciiCase), -1);
    EXPECT_EQ(FindTextBeginningWith(history, "Abcd", FoldAsciiCase), -1);
}

TEST(HistoryRules, UnicodeFormsAreComparedWhereBothTextsHaveOne)
{
    // "caf\u00e9 \u2615" and "caf\u00e9 \u263a" are both "caf\xE9 ?" in the code page.
    HistoryState state;
    state.Record("caf\xE9 ?", L"caf\u00e9 \u2615", kAsciiComparison);
    state.Record("caf\xE9 ?", L"caf\u00e9 \u263a", kAsciiComparison);
    EXPECT_EQ(state.UnicodeTexts(), (std::vector<std::wstring>{L"caf\u00e9 \u263a", L"caf\u00e9 \u2615"}));

    // The rule itself holds for Unicode forms: an older text that begins
    // with the new one, case ignored, goes.
    const TextComparison latin1Case = {
        FoldAsciiCase, [](wchar_t c) { return c == L'\u00c9' ? L'\u00e9' : FoldAsciiCaseWide(c); }, Latin1ToUnicode};
    const HistoryChange change = state.Record("CAF\xC9", L"CAF\u00c9", latin1Case);
    EXPECT_EQ(change.removed, (std::vector<int>{0}));
    EXPECT_EQ(state.UnicodeTexts(), (std::vector<std::wstring>{L"CAF\u00c9", L"caf\u00e9 \u2615"}));
    ASSERT_EQ(state.Texts().size(), 2u);
    EXPECT_EQ(state.Texts()[1], "caf\xE9 ?") << "the 8-bit forms stay beside their Unicode ones";

    // Where neither has a Unicode form, the 8-bit forms decide.
    state.Record("other", std::wstring(), kAsciiComparison);
    state.Record("OTH", std::wstring(), kAsciiComparison);
    EXPECT_EQ(state.Texts(), (Texts{"OTH", "CAF\xC9", "caf\xE9 ?"}));
}

TEST(HistoryRules, AnEightBitTextMeetsAUnicodeOneAsTheCodePageTurnsItIntoUnicode)
{
    // The code page's placeholders match nothing but themselves: "?" typed
    // in the code page is not the start of a text of characters it lacks.
    HistoryState state;
    state.Record("???", L"\u65e5\u672c\u8a9e", kAsciiComparison);
    state.Record("?", std::wstring(), kAsciiComparison);
    EXPECT_EQ(state.UnicodeTexts(), (std::vector<std::wstring>{L"", L"\u65e5\u672c\u8a9e"}));

    // Nor does a Unicode text replace an 8-bit one that is only alike in
    // its placeholders...
    state.Record("?", L"\u263a", kAsciiComparison);
    EXPECT_EQ(state.Texts(), (Texts{"?", "?", "???"}));

    // ...but texts that are the same once converted still meet, either way,
    // with case ignored, through the conversion that was given.
    HistoryState latin;
    latin.Record("caf\xE9 au lait", std::wstring(), kAsciiComparison);
    latin.Record("CAF\xE9", L"CAF\u00e9", kAsciiComparison);
    EXPECT_EQ(latin.Texts(), (Texts{"CAF\xE9"}));
    latin.Record("caf\xE9 cr\xE8me", L"caf\u00e9 cr\u00e8me", kAsciiComparison);
    latin.Record("Caf", std::wstring(), kAsciiComparison);
    EXPECT_EQ(latin.Texts(), (Texts{"Caf", "CAF\xE9"}));

    // Only the start of a long 8-bit text is converted to be compared.
    longestConverted = 0;
    HistoryState big;
    big.Record(std::string(100000, 'x'), std::wstring(), counting);
    big.Record("xx", L"xx", counting);
    EXPECT_EQ(big.Texts(), (Texts{"xx"}));
    EXPECT_LE(longestConverted, 8u);
}

TEST(HistoryRules, ARecordThatFailsLeavesTheHistoryAsItWas)
{
    // The comparison fails as running out of memory would, after the full
    // history would have given up its oldest text (only letters that
    // differ are folded).
    const TextComparison failing = {
        [](unsigned char) -> unsigned char { throw std::bad_alloc(); }, FoldAsciiCaseWide, Latin1ToUnicode};
    const Texts full = Numbered(15);
    HistoryState state(full);
    EXPECT_THROW(state.Record("TEXT", std::wstring(), failing), std::bad_alloc);
    EXPECT_EQ(state.Texts(), full);
    EXPECT_EQ(state.UnicodeTexts().size(), full.size());
}
TEST(HistoryRules, LongTextsFollowTheSameRuleAndAreConvertedOnlyAsFarAsTheyAgree)
{
    // Compared a block and a step at a time: the rule holds at any distance
    // from the start, in either form.
    const std::string same(5000, 'a');
    const std::wstring wideSame(same.begin(), same.end());
    struct Case {
        std::string kept;
        std::wstring keptUnicode;
        std::string text;
        std::wstring unicode;
        bool replaced;
    };
    const Case cases[] = {
        {same + "Tail", L"", same + "TAIL", L"", true},
        {same + "tail", L"", same + "tall", L"", false},
        {same + "?", wideSame + L"\u263a", same + "A", L"", false},
        {same + "?", wideSame + L"End\u263a", same + "END", L"", true},
        {same + "END", L"", same + "?", wideSame + L"e", true},
        {same + "END", L"", same + "?", wideSame + L"\u263a", false},
        {same, L"", same + "x", L"", false},
        // The ends are looked at first: alike there, the starts still count.
        {"X" + same + "Tail", L"", "x" + same + "TAIL", L"", true},
        {"y" + same + "tail", L"", "x" + same + "tail", L"", false},
        {same + "Tail and more", L"", same + "TAIL", L"", true},
        {"?" + same, L"\u263a" + wideSame, "?" + same, L"\u263b" + wideSame, false},
    };
    for (const Case& c : cases) {
        HistoryState state;
        state.Record(c.kept, c.keptUnicode, kAsciiComparison);
        state.Record(c.text, c.unicode, kAsciiComparison);
        EXPECT_EQ(state.Texts().size(), c.replaced ? 1u : 2u) << c.text.substr(same.size());
    }

    // A long 8-bit text meets a Unicode one that differs at once.
    longestConverted = 0;
    HistoryState state;
    state.Record("b?", L"b\u263a", counting);
    state.Record(std::string(100000, 'a'), std::wstring(), counting);
    EXPECT_EQ(state.Texts().size(), 2u);
    EXPECT_LE(longestConverted, 1024u);
}
