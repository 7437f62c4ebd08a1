#include "entries/MenuLabel.h"
#include "entries/EntryLabel.h"
#include "TextSamples.h"
#include <gtest/gtest.h>

TEST(MenuLabel, LabelsLongerThanTheWidthBecomeExactlyTheWidthEndingInDots)
{
    EXPECT_EQ(ShortenLabel("", 20), "");
    EXPECT_EQ(ShortenLabel("12345678901234567890", 20), "12345678901234567890");
    EXPECT_EQ(ShortenLabel("123456789012345678901", 20), "12345678901234567...");
    EXPECT_EQ(ShortenLabel(std::string(500, 'a'), 99).size(), 99u);
    // Bytes are counted, not characters: two double-byte characters of a Far
    // East code page are four bytes.
    EXPECT_EQ(ShortenLabel("\x82\xa0\x82\xa2x\x82\xa4\x82\xa6x\x82\xa8", 10), "\x82\xa0\x82\xa2x\x82\xa4...");
    // A double-byte character that does not fit whole is left off.
    const auto shiftJisLead = [](unsigned char byte) { return byte >= 0x81 && byte <= 0x9F; };
    EXPECT_EQ(ShortenLabel("\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\x82\xaa", 10, shiftJisLead),
              "\x82\xa0\x82\xa2\x82\xa4...");
}

TEST(MenuLabel, UnicodeLabelsCountCharactersAsTheUserSeesThem)
{
    // U+1F642 is the surrogate pair D83D DE42: one character.
    const std::wstring smile = L"\xD83D\xDE42";
    EXPECT_EQ(ShortenLabel(L"\u65e5\u672c" + smile + L"x", 4), L"\u65e5\u672c" + smile + L"x");
    EXPECT_EQ(ShortenLabel(smile + smile + smile + L"xyz", 5), smile + smile + L"...");
    EXPECT_EQ(ShortenLabel(L"123456789012345678901", 20), L"12345678901234567...");
    EXPECT_EQ(ShortenLabel(std::wstring(5000000, L'a'), 99).size(), 99u);
    // A letter with its accent and three joined people are one character each.
    EXPECT_EQ(ShortenLabel(L"Re\u0301sume\u0301" + kFamily + L"x", 8), L"Re\u0301sume\u0301" + kFamily + L"x");
    EXPECT_EQ(ShortenLabel(L"Re\u0301sume\u0301" + kFamily + L"xy", 8), L"Re\u0301sum...");
    // The label the menu is given, one character past the width, counted
    // alike: a combining mark after a line break is one with the mark.
    EXPECT_EQ(ShortenLabel(EntryLabel(L"ab\n\u0301cdefgh", kUnicodeLineBreakMark, 259, 7), 6), L"ab\u00B6\u0301...");
}
