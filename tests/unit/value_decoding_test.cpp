#include "settings/ValueDecoding.h"
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// A value's bytes in a block of their own, so that the sanitizers catch a
// read past them.
using Bytes = std::vector<unsigned char>;

// The number decoded, or nothing when the data is refused, which must leave
// the caller's number as it was.
std::optional<std::uint32_t> Number(std::uint32_t type, const Bytes& bytes)
{
    std::uint32_t number = 77;
    if (DecodeNumber(type, bytes.data(), bytes.size(), number))
        return number;
    EXPECT_EQ(number, 77u) << "a refused number is left as it was";
    return std::nullopt;
}

// Likewise for a text.
std::optional<std::string> Text(std::uint32_t type, const Bytes& bytes)
{
    std::string text = "old";
    if (DecodeString(type, bytes.data(), bytes.size(), text))
        return text;
    EXPECT_EQ(text, "old") << "a refused text is left as it was";
    return std::nullopt;
}

TEST(ValueDecoding, NumbersAreTakenInTheMachinesByteOrder)
{
    EXPECT_EQ(Number(RegistryType::kNumber, {0x2A, 0x01, 0x00, 0x00}), 0x12Au);
    // A big-endian value is not turned round.
    EXPECT_EQ(Number(RegistryType::kNumberBigEndian, {0x00, 0x00, 0x00, 0x01}), 16777216u);
    EXPECT_EQ(Number(RegistryType::kNumber, {0xFF, 0xFF, 0xFF, 0xFF, 0x07}), 0xFFFFFFFFu)
        << "only the first four bytes count";
}

TEST(ValueDecoding, ANumberOfAnotherTypeOrTooShortLeavesTheNumber)
{
    for (std::uint32_t type : {0u, RegistryType::kString, RegistryType::kExpandString, 3u /* binary */,
                               RegistryType::kLink, 7u /* multi-string */, 11u /* 64-bit */}) {
        SCOPED_TRACE("type " + std::to_string(type));
        EXPECT_EQ(Number(type, {1, 0, 0, 0}), std::nullopt);
    }
    EXPECT_EQ(Number(RegistryType::kNumber, {1, 2, 3}), std::nullopt);
    EXPECT_EQ(Number(RegistryType::kNumber, {}), std::nullopt);
    std::uint32_t number = 77;
    EXPECT_FALSE(DecodeNumber(RegistryType::kNumber, nullptr, 4, number));
    EXPECT_EQ(number, 77u);
}

TEST(ValueDecoding, StringsEndAtTheFirstZeroOrAtTheEndOfTheData)
{
    EXPECT_EQ(Text(RegistryType::kString, {'a', 'b', 'c', 0}), "abc"s);
    EXPECT_EQ(Text(RegistryType::kString, {'a', 'b', 'c'}), "abc"s);
    EXPECT_EQ(Text(RegistryType::kString, {'a', 0, 'b', 0}), "a"s);
    EXPECT_EQ(Text(RegistryType::kExpandString, {'%', 'T', 'E', 'M', 'P', '%', 0}), "%TEMP%"s)
        << "environment references stay";
    EXPECT_EQ(Text(RegistryType::kLink, {'x', 0}), "x"s);
    EXPECT_EQ(Text(RegistryType::kString, {}), ""s);
    EXPECT_EQ(Text(RegistryType::kString, {0}), ""s);
}

TEST(ValueDecoding, AStringOfAnotherTypeLeavesTheText)
{
    for (std::uint32_t type : {0u, 3u, RegistryType::kNumber, RegistryType::kNumberBigEndian, 7u}) {
        SCOPED_TRACE("type " + std::to_string(type));
        EXPECT_EQ(Text(type, {'a', 0}), std::nullopt);
    }
}

TEST(ValueDecoding, AStringWithoutZeroIsReadWithinItsData)
{
    EXPECT_EQ(Text(RegistryType::kString, Bytes(1 << 20, 'q')).value_or("").size(), size_t{1} << 20);
}

}  // namespace
