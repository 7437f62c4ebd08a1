#include "history/HistoryState.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <new>

namespace {

// The Latin-1 code page, where each byte is the character of that number.
std::wstring Latin1ToUnicode(const std::string& text)
{
    std::wstring unicode;
    for (char c : text)
        unicode += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return unicode;
}

const TextComparison kAscii = {FoldAsciiCase, FoldAsciiCaseWide, Latin1ToUnicode};

// Records `text` and checks that the change's steps, applied to the texts
// as they were, give the texts as they are: that is all a list shown
// beside the history gets.
std::vector<std::string> Record(std::vector<std::string> history, const std::string& text)
{
    HistoryState state(history);
    const HistoryChange change = state.Record(text, std::wstring(), kAscii);
    for (int position : change.removed) {
        EXPECT_LT(static_cast<size_t>(position), history.size());
        history.erase(history.begin() + position);
    }
    if (change.added)
        history.insert(history.begin(), text);
    EXPECT_EQ(history, state.Texts());
    return state.Texts();
}

std::vector<std::string> Numbered(int count)
{
    std::vector<std::string> history;
    for (int i = count; i >= 1; --i)
        history.push_back("text " + std::to_string(i));  // newest first
    return history;
}

}  // namespace

TEST(HistoryRules, NewestGoesToTheTop)
{
    EXPECT_EQ(Record({}, "one"), (std::vector<std::string>{"one"}));
    EXPECT_EQ(Record({"one"}, "two"), (std::vector<std::string>{"two", "one"}));
}

TEST(HistoryRules, TheSameTextTwiceIsKeptOnceAtTheTop)
{
    EXPECT_EQ(Record({"b", "a"}, "a"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Record({"a", "b"}, "a"), (std::vector<std::string>{"a", "b"}));
}

TEST(HistoryRules, AShorterTextReplacesATextThatBeginsWithItIgnoringCase)
{
    EXPECT_EQ(Record({"hello world"}, "Hello"), (std::vector<std::string>{"Hello"}));
    EXPECT_EQ(Record({"HELLO WORLD"}, "hello"), (std::vector<std::string>{"hello"}));
}

TEST(HistoryRules, ALongerTextKeepsTheShorterOne)
{
    EXPECT_EQ(Record({"Hello"}, "hello world"), (std::vector<std::string>{"hello world", "Hello"}));
}

TEST(HistoryRules, OnlyTheFirstMatchFromTheTopGoes)
{
    EXPECT_EQ(Record({"abc 2", "x", "ABC 1"}, "abc"), (std::vector<std::string>{"abc", "x", "ABC 1"}));
}

TEST(HistoryRules, TheSixteenthTextDropsTheOldest)
{
    std::vector<std::string> history = Numbered(15);
    history = Record(history, "text 16");
    ASSERT_EQ(history.size(), 15u);
    EXPECT_EQ(history.front(), "text 16");
    EXPECT_EQ(history.back(), "text 2");
}

TEST(HistoryRules, AFullHistoryDropsTheOldestAndAMatchingText)
{
    std::vector<std::string> history = Numbered(15);  // "text 15" .. "text 1"
    history[3] = "shared start, newer";
    history = Record(history, "SHARED start");
    ASSERT_EQ(history.size(), 14u);
    EXPECT_EQ(history.front(), "SHARED start");
    EXPECT_EQ(history.back(), "text 2");
}

TEST(HistoryRules, NoTextDropsTheOldestOnlyWhenFull)
{
    std::vector<std::string> full = Numbered(15);
    full = Record(full, "");
    ASSERT_EQ(full.size(), 14u);
    EXPECT_EQ(full.back(), "text 2");
    EXPECT_EQ(Record({"a", "b"}, ""), (std::vector<std::string>{"a", "b"}));
}

TEST(HistoryRules, TextsWithLineBreaksAreKeptWhole)
{
    EXPECT_EQ(Record({}, "line 1\r\nline 2"), (std::vector<std::string>{"line 1\r\nline 2"}));
}

TEST(HistoryRules, FindIgnoresCaseOnlyThroughTheFold)
{
    const std::vector<std::string> history = {"\xC9t\xE9", "Abc"};
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
    state.Record("caf\xE9 ?", L"caf\u00e9 \u2615", kAscii);
    state.Record("caf\xE9 ?", L"caf\u00e9 \u263a", kAscii);
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
    state.Record("other", std::wstring(), kAscii);
    state.Record("OTH", std::wstring(), kAscii);
    EXPECT_EQ(state.Texts(), (std::vector<std::string>{"OTH", "CAF\xC9", "caf\xE9 ?"}));
}

TEST(HistoryRules, AnEightBitTextMeetsAUnicodeOneAsTheCodePageTurnsItIntoUnicode)
{
    // The code page's placeholders match nothing but themselves: "?" typed
    // in the code page is not the start of a text of characters it lacks.
    HistoryState state;
    state.Record("???", L"\u65e5\u672c\u8a9e", kAscii);
    state.Record("?", std::wstring(), kAscii);
    EXPECT_EQ(state.UnicodeTexts(), (std::vector<std::wstring>{L"", L"\u65e5\u672c\u8a9e"}));

    // Nor does a Unicode text replace an 8-bit one that is only alike in
    // its placeholders...
    state.Record("?", L"\u263a", kAscii);
    EXPECT_EQ(state.Texts(), (std::vector<std::string>{"?", "?", "???"}));

    // ...but texts that are the same once converted still meet, either way,
    // with case ignored, through the conversion that was given.
    HistoryState latin;
    latin.Record("caf\xE9 au lait", std::wstring(), kAscii);
    latin.Record("CAF\xE9", L"CAF\u00e9", kAscii);
    EXPECT_EQ(latin.Texts(), (std::vector<std::string>{"CAF\xE9"}));
    latin.Record("caf\xE9 cr\xE8me", L"caf\u00e9 cr\u00e8me", kAscii);
    latin.Record("Caf", std::wstring(), kAscii);
    EXPECT_EQ(latin.Texts(), (std::vector<std::string>{"Caf", "CAF\xE9"}));

    // Only the start of a long 8-bit text is converted to be compared.
    static size_t longestConverted;
    longestConverted = 0;
    const TextComparison counting = {FoldAsciiCase, FoldAsciiCaseWide, [](const std::string& text) {
        longestConverted = std::max(longestConverted, text.size());
        return Latin1ToUnicode(text);
    }};
    HistoryState big;
    big.Record(std::string(100000, 'x'), std::wstring(), counting);
    big.Record("xx", L"xx", counting);
    EXPECT_EQ(big.Texts(), (std::vector<std::string>{"xx"}));
    EXPECT_LE(longestConverted, 8u);
}

TEST(HistoryRules, ARecordThatFailsLeavesTheHistoryAsItWas)
{
    // The comparison fails as running out of memory would, after the full
    // history would have given up its oldest text.
    const TextComparison failing = {
        [](unsigned char) -> unsigned char { throw std::bad_alloc(); }, FoldAsciiCaseWide, Latin1ToUnicode};
    const std::vector<std::string> full = Numbered(15);
    HistoryState state(full);
    EXPECT_THROW(state.Record("text", std::wstring(), failing), std::bad_alloc);
    EXPECT_EQ(state.Texts(), full);
    EXPECT_EQ(state.UnicodeTexts().size(), full.size());
}