#include "entries/EntryLabel.h"
#include "TextSamples.h"
#include <gtest/gtest.h>

namespace {
const std::string kMark = "\xB6";  // the pilcrow of code page 1252
const std::wstring kWideMark = kUnicodeLineBreakMark;
}  // namespace

TEST(EntryLabel, EachRunOfLineBreaksShowsAsOneMark)
{
    EXPECT_EQ(EntryLabel("one\r\ntwo", kMark, 259), "one\xB6two");
    EXPECT_EQ(EntryLabel("one\ntwo\rthree", kMark, 259), "one\xB6two\xB6three");
    EXPECT_EQ(EntryLabel("one\r\n\r\n\ntwo\n", kMark, 259), "one\xB6two\xB6");
    EXPECT_EQ(EntryLabel("\r\nfirst", kMark, 259), "\xB6" "first");
    EXPECT_EQ(EntryLabel("a\n \nb", " / ", 259), "a /   / b");
    EXPECT_EQ(EntryLabel(L"one\r\ntwo\u2028three\u2029\r\nfour", kWideMark, 259),
              L"one\u00B6two\u00B6three\u00B6four");
}

TEST(EntryLabel, TabsAndOtherControlCharactersShowAsSpaces)
{
    EXPECT_EQ(EntryLabel(std::string("a\tb\x01""c\x1B""d\x7F""e\0f", 11), kMark, 259), "a b c d e f");
    EXPECT_EQ(EntryLabel(L"a\tb\x0B""c\x0C""d\x85""e\x9F""f", kWideMark, 259), L"a b c d e f");
    // Everything else stays: ampersands keep their meaning as access keys,
    // and the bytes of double-byte characters (Shift-JIS here) are whole.
    EXPECT_EQ(EntryLabel("Tom && &Jerry \x82\xa0\x81\x40", kMark, 259), "Tom && &Jerry \x82\xa0\x81\x40");
    EXPECT_EQ(EntryLabel(L"\u65e5\u672c\xD83D\xDE42 \u00A0", kWideMark, 259), L"\u65e5\u672c\xD83D\xDE42 \u00A0");
}

TEST(EntryLabel, TheLimitCountsWhatIsShown)
{
    // Two line breaks take two places in the text and one in the label.
    EXPECT_EQ(EntryLabel("ab\r\ncd", kMark, 4), "ab\xB6" "c");
    EXPECT_EQ(EntryLabel("abc", kMark, 3), "abc");
    EXPECT_EQ(EntryLabel("abcd", kMark, 3), "abc");
    // A mark of more than one unit is shown whole or not at all.
    EXPECT_EQ(EntryLabel("ab\ncd", " / ", 4), "ab");
    EXPECT_EQ(EntryLabel("ab\ncd", "\x81\xF7", 3), "ab");
    EXPECT_EQ(EntryLabel("ab\ncd", "\x81\xF7", 4), "ab\x81\xF7");
    // A surrogate pair (U+1F642) is never split.
    const std::wstring smile = L"\xD83D\xDE42";
    EXPECT_EQ(EntryLabel(L"ab" + smile, kWideMark, 3), L"ab");
    EXPECT_EQ(EntryLabel(L"ab" + smile, kWideMark, 4), L"ab" + smile);
    // Nor a double-byte character, an accented letter, a joined emoji or a flag.
    const auto shiftJisLead = [](unsigned char byte) { return byte >= 0x81 && byte <= 0x9F; };
    EXPECT_EQ(EntryLabel("ab\x82\xa0", kMark, 3, shiftJisLead), "ab");
    EXPECT_EQ(EntryLabel(std::wstring(258, L'a') + L"e\u0301", kWideMark, 259), std::wstring(258, L'a'));
    EXPECT_EQ(EntryLabel(L"ab" + kFamily, kWideMark, 9), L"ab");
    EXPECT_EQ(EntryLabel(L"ab" + kFamily, kWideMark, 10), L"ab" + kFamily);
    EXPECT_EQ(EntryLabel(kTwoFlags, kWideMark, 6), kTwoFlags.substr(0, 4));
    // A limit in characters as the user sees them, a mark counting as one.
    EXPECT_EQ(EntryLabel(L"e\u0301" + kFamily + L"\r\nxyz", kWideMark, 259, 4), L"e\u0301" + kFamily + L"\u00B6x");
    // A combining mark right after a line break or a tab sits on the mark or
    // the space: one character with it, as the menu counts it.
    EXPECT_EQ(EntryLabel(L"ab\n\u0301cd", kWideMark, 259, 4), L"ab\u00B6\u0301c");
    EXPECT_EQ(EntryLabel(L"ab\t\u0301\u0302cd", kWideMark, 259, 4), L"ab \u0301\u0302c");
    // A text of megabytes is read no further than the label needs.
    EXPECT_EQ(EntryLabel(std::string(5000000, '\n'), kMark, 259), kMark);
    EXPECT_EQ(EntryLabel(std::wstring(5000000, L'a'), kWideMark, 259).size(), 259u);
}

TEST(EntryLabel, TheCodePagesOwnPilcrowOrAMarkEveryCodePageHas)
{
    auto western = [](const std::wstring& text) { return text == L"\u00B6" ? std::string("\xB6") : std::string(); };
    auto japanese = [](const std::wstring& text) { return text == L"\u00B6" ? std::string("\x81\xF7") : std::string(); };
    auto thai = [](const std::wstring&) { return std::string(); };
    EXPECT_EQ(CodePageLineBreakMark(western), "\xB6");
    EXPECT_EQ(CodePageLineBreakMark(japanese), "\x81\xF7");
    EXPECT_EQ(CodePageLineBreakMark(thai), " / ");
}
