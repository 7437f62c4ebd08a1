#include "app/MenuLabel.h"
#include <gtest/gtest.h>

TEST(MenuLabel, LabelsUpToTheWidthStayWhole)
{
    EXPECT_EQ(ShortenLabel("", 20), "");
    EXPECT_EQ(ShortenLabel("12345678901234567890", 20), "12345678901234567890");
    EXPECT_EQ(ShortenLabel("1234567890", 10), "1234567890");
}

TEST(MenuLabel, LongerLabelsBecomeExactlyTheWidthEndingInDots)
{
    EXPECT_EQ(ShortenLabel("123456789012345678901", 20), "12345678901234567...");
    EXPECT_EQ(ShortenLabel("12345678901", 10), "1234567...");
    EXPECT_EQ(ShortenLabel(std::string(500, 'a'), 99).size(), 99u);
    EXPECT_EQ(ShortenLabel("Last 15 Clipboard Entries", 20), "Last 15 Clipboard...");
}

TEST(MenuLabel, CountsBytesNotCharacters)
{
    // Two double-byte characters of a Far East code page are four bytes.
    EXPECT_EQ(ShortenLabel("\x82\xa0\x82\xa2x\x82\xa4\x82\xa6x\x82\xa8", 10), "\x82\xa0\x82\xa2x\x82\xa4...");
}
