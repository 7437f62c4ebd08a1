#include "tree/HistoryState.h"
#include <gtest/gtest.h>

namespace {

// Records `text` and checks that the change's steps, applied to the texts
// as they were, give the texts as they are: that is all a list shown
// beside the history gets.
std::vector<std::string> Record(std::vector<std::string> history, const std::string& text)
{
    HistoryState state(history);
    const HistoryChange change = state.Record(text, FoldAsciiCase);
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
    state.Record("caf\xE9 ?", L"caf\u00e9 \u2615", FoldAsciiCase, FoldAsciiCaseWide);
    state.Record("caf\xE9 ?", L"caf\u00e9 \u263a", FoldAsciiCase, FoldAsciiCaseWide);
    EXPECT_EQ(state.UnicodeTexts(), (std::vector<std::wstring>{L"caf\u00e9 \u263a", L"caf\u00e9 \u2615"}));

    // The rule itself holds for Unicode forms: an older text that begins
    // with the new one, case ignored, goes.
    const HistoryChange change = state.Record("CAF\xC9", L"CAF\u00c9", FoldAsciiCase,
                                              [](wchar_t c) { return c == L'\u00c9' ? L'\u00e9' : FoldAsciiCaseWide(c); });
    EXPECT_EQ(change.removed, (std::vector<int>{0}));
    EXPECT_EQ(state.UnicodeTexts(), (std::vector<std::wstring>{L"CAF\u00c9", L"caf\u00e9 \u2615"}));
    ASSERT_EQ(state.Texts().size(), 2u);
    EXPECT_EQ(state.Texts()[1], "caf\xE9 ?") << "the 8-bit forms stay beside their Unicode ones";

    // Where either has no Unicode form, the 8-bit forms decide.
    state.Record("other", FoldAsciiCase);
    state.Record("OTH", L"OTH", FoldAsciiCase, FoldAsciiCaseWide);
    EXPECT_EQ(state.Texts(), (std::vector<std::string>{"OTH", "CAF\xC9", "caf\xE9 ?"}));
}
