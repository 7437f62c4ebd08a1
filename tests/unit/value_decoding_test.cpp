#include "settings/ValueDecoding.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

bool Number(std::uint32_t type, const Bytes& bytes, std::uint32_t& number)
{
    return DecodeNumber(type, bytes.data(), bytes.size(), number);
}

bool Text(std::uint32_t type, const Bytes& bytes, std::string& text)
{
    return DecodeString(type, bytes.data(), bytes.size(), text);
}

TEST(ValueDecoding, NumbersAreTakenInTheMachinesByteOrder)
{
    std::uint32_t number = 0;
    ASSERT_TRUE(Number(RegistryType::kNumber, {0x2A, 0x01, 0x00, 0x00}, number));
    EXPECT_EQ(number, 0x12Au);
    // A big-endian value is not turned round.
    ASSERT_TRUE(Number(RegistryType::kNumberBigEndian, {0x00, 0x00, 0x00, 0x01}, number));
    EXPECT_EQ(number, 16777216u);
    ASSERT_TRUE(Number(RegistryType::kNumber, {0xFF, 0xFF, 0xFF, 0xFF, 0x07}, number));
    EXPECT_EQ(number, 0xFFFFFFFFu) << "only the first four bytes count";
}

TEST(ValueDecoding, ANumberOfAnotherTypeOrTooShortLeavesTheNumber)
{
    const Bytes four = {1, 0, 0, 0};
    for (std::uint32_t type : {0u, RegistryType::kString, RegistryType::kExpandString, 3u /* binary */,
                               RegistryType::kLink, 7u /* multi-string */, 11u /* 64-bit */}) {
        std::uint32_t number = 77;
        EXPECT_FALSE(Number(type, four, number)) << "type " << type;
        EXPECT_EQ(number, 77u) << "type " << type;
    }
    std::uint32_t number = 77;
    EXPECT_FALSE(Number(RegistryType::kNumber, {1, 2, 3}, number));
    EXPECT_FALSE(Number(RegistryType::kNumber, {}, number));
    EXPECT_FALSE(DecodeNumber(RegistryType::kNumber, nullptr, 4, number));
    EXPECT_EQ(number, 77u);
}

TEST(ValueDecoding, StringsEndAtTheFirstZeroOrAtTheEndOfTheData)
{
    std::string text = "old";
    ASSERT_TRUE(Text(RegistryType::kString, {'a', 'b', 'c', 0}, text));
    EXPECT_EQ(text, "abc");
    ASSERT_TRUE(Text(RegistryType::kString, {'a', 'b', 'c'}, text));
    EXPECT_EQ(text, "abc");
    ASSERT_TRUE(Text(RegistryType::kString, {'a', 0, 'b', 0}, text));
    EXPECT_EQ(text, "a");
    ASSERT_TRUE(Text(RegistryType::kExpandString, {'%', 'T', 'E', 'M', 'P', '%', 0}, text));
    EXPECT_EQ(text, "%TEMP%") << "environment references stay";
    ASSERT_TRUE(Text(RegistryType::kLink, {'x', 0}, text));
    EXPECT_EQ(text, "x");
}

TEST(ValueDecoding, EmptyStringData)
{
    std::string text = "old";
    ASSERT_TRUE(Text(RegistryType::kString, {}, text));
    EXPECT_EQ(text, "");
    text = "old";
    ASSERT_TRUE(Text(RegistryType::kString, {0}, text));
    EXPECT_EQ(text, "");
}

TEST(ValueDecoding, AStringOfAnotherTypeLeavesTheText)
{
    for (std::uint32_t type : {0u, 3u, RegistryType::kNumber, RegistryType::kNumberBigEndian, 7u}) {
        std::string text = "old";
        EXPECT_FALSE(Text(type, {'a', 0}, text)) << "type " << type;
        EXPECT_EQ(text, "old") << "type " << type;
    }
}

TEST(ValueDecoding, AStringWithoutZeroIsReadWithinItsData)
{
    // Sanitizers catch a read past the end of the block.
    std::vector<unsigned char> large(1 << 20, 'q');
    std::string text;
    ASSERT_TRUE(DecodeString(RegistryType::kString, large.data(), large.size(), text));
    EXPECT_EQ(text.size(), large.size());
}

}  // namespace
