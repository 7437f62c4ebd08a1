#include "entries/SearchText.h"
#include <gtest/gtest.h>

namespace {

// A double-byte code page in miniature: 0x81 to 0x9F lead, and the
// character 0x82 0x60 (a capital) folds to 0x82 0x81.
class CFakeDoubleByteCase : public CDoubleByteCase {
public:
    bool IsLeadByte(unsigned char byte) const override { return byte >= 0x81 && byte <= 0x9F; }
    void ToLower(char& lead, char& trail) const override
    {
        if (lead == '\x82' && trail == '\x60')
            trail = '\x81';
    }
};

}  // namespace

TEST(SearchText, FoldsOnlyTheLettersAToZ)
{
    EXPECT_EQ(LowerSearchText("Hello WORLD @[`{ 09", nullptr), "hello world @[`{ 09");
    // Accented capitals (Latin-1 "ÄÉ") stay as they are.
    EXPECT_EQ(LowerSearchText("\xC4\xC9x", nullptr), "\xC4\xC9x");
    EXPECT_EQ(LowerSingleByte('Z'), 'z');
    EXPECT_EQ(LowerSingleByte('\xC0'), '\xC0');
}

TEST(SearchText, MatchesAnywhereButNeverAnEmptyOrLongerNeedle)
{
    EXPECT_TRUE(ContainsSearchText("abcdef", "cde", nullptr));
    EXPECT_TRUE(ContainsSearchText("abcdef", "abcdef", nullptr));
    EXPECT_TRUE(ContainsSearchText("line one\r\nline two", "e\r\nl", nullptr));
    EXPECT_FALSE(ContainsSearchText("abcdef", "", nullptr));
    EXPECT_FALSE(ContainsSearchText("abc", "abcd", nullptr));
    EXPECT_FALSE(ContainsSearchText("", "a", nullptr));
}

TEST(SearchText, DoubleByteCharactersFoldByTheirCodePage)
{
    const CFakeDoubleByteCase dbcs;
    // The trail byte 0x41 ('A') of a two-byte character is not a letter.
    EXPECT_EQ(LowerSearchText("\x82\x60X\x90\x41", &dbcs), "\x82\x81x\x90\x41");
    // A lone lead byte at the end stays.
    EXPECT_EQ(LowerSearchText("A\x82", &dbcs), "a\x82");
    // Without the code page's rule the same bytes fold as single bytes.
    EXPECT_EQ(LowerSearchText("\x90\x41", nullptr), "\x90\x61");
}

TEST(SearchText, MatchesOnlyAtCharacterBoundaries)
{
    const CFakeDoubleByteCase dbcs;
    // "a" is the trail byte of 0x90 0x61, not a character of its own.
    EXPECT_FALSE(ContainsSearchText("\x90\x61", "a", &dbcs));
    EXPECT_TRUE(ContainsSearchText("\x90\x61" "a", "a", &dbcs));
    EXPECT_TRUE(ContainsSearchText("x\x90\x61", "\x90\x61", &dbcs));
    EXPECT_TRUE(ContainsSearchText("\x90\x61", "a", nullptr));
}
