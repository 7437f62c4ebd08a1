#include "entries/RecordCodec.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

struct Entry {
    RecordKind kind;
    std::string text;
    bool operator==(const Entry& other) const { return kind == other.kind && text == other.text; }
};

struct Decoded {
    std::vector<Entry> entries;
    bool intact;
};

Decoded Decode(const std::string& bytes)
{
    Decoded result;
    result.intact = DecodeEntries(bytes, [&](RecordKind kind, std::string_view text) {
        result.entries.push_back({kind, std::string(text)});
    });
    return result;
}

std::string Record(char tag, const std::string& text)
{
    std::string bytes(1, tag);
    const uint32_t length = static_cast<uint32_t>(text.size());
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>((length >> shift) & 0xFF);
    return bytes + text;
}

const std::string kWorkedExample =
    "\x4B\x02\x00\x00\x00\x48\x69"
    "\x4B\x03\x00\x00\x00\x53\x69\x67"
    "\x65\x05\x00\x00\x00\x59\x6F\x75\x72\x73"
    "\x65\x09\x00\x00\x00\x42\x65\x73\x74\x2C\x0D\x0A\x4D\x65"s;

}  // namespace

TEST(RecordCodec, WritesTheWorkedExampleAsItsThirtyNineBytes)
{
    std::string bytes;
    AppendRecord(bytes, RecordKind::TopLevel, "Hi");
    AppendRecord(bytes, RecordKind::TopLevel, "Sig");
    AppendRecord(bytes, RecordKind::Child, "Yours");
    AppendRecord(bytes, RecordKind::Child, "Best,\r\nMe");
    EXPECT_EQ(bytes.size(), 39u);
    EXPECT_EQ(bytes, kWorkedExample);
}

TEST(RecordCodec, ReadsTheWorkedExampleBack)
{
    const Decoded decoded = Decode(kWorkedExample);
    EXPECT_TRUE(decoded.intact);
    const std::vector<Entry> expected = {{RecordKind::TopLevel, "Hi"},
                                         {RecordKind::TopLevel, "Sig"},
                                         {RecordKind::Child, "Yours"},
                                         {RecordKind::Child, "Best,\r\nMe"}};
    EXPECT_EQ(decoded.entries, expected);
}

TEST(RecordCodec, StoresLengthsBeyondOneByteWhole)
{
    std::string bytes;
    AppendRecord(bytes, RecordKind::TopLevel, std::string(300, 'x'));
    ASSERT_EQ(bytes.size(), 305u);
    EXPECT_EQ(bytes.substr(0, 5), "K\x2C\x01\x00\x00"s);
    const Decoded decoded = Decode(bytes);
    ASSERT_EQ(decoded.entries.size(), 1u);
    EXPECT_EQ(decoded.entries[0].text.size(), 300u);
}

TEST(RecordCodec, EmptyDataHoldsNoEntries)
{
    const Decoded decoded = Decode("");
    EXPECT_TRUE(decoded.intact);
    EXPECT_TRUE(decoded.entries.empty());
}

TEST(RecordCodec, KeepsEverythingBeforeABadTag)
{
    for (char bad : {'k', 'E', 'X', '\0'}) {
        const Decoded decoded = Decode(Record('K', "one") + Record(bad, "two") + Record('K', "three"));
        EXPECT_FALSE(decoded.intact) << "tag " << static_cast<int>(bad);
        ASSERT_EQ(decoded.entries.size(), 1u);
        EXPECT_EQ(decoded.entries[0].text, "one");
    }
}

TEST(RecordCodec, AChildBeforeAnyTopLevelEntryIsCorrupt)
{
    Decoded decoded = Decode(Record('e', "orphan") + Record('K', "later"));
    EXPECT_FALSE(decoded.intact);
    EXPECT_TRUE(decoded.entries.empty());

    // An empty top-level record opens no group.
    decoded = Decode(Record('K', "") + Record('e', "orphan"));
    EXPECT_FALSE(decoded.intact);
    EXPECT_TRUE(decoded.entries.empty());
}

TEST(RecordCodec, EmptyRecordsCreateNothingAndChildrenJoinTheEntryBefore)
{
    const Decoded decoded =
        Decode(Record('K', "group") + Record('e', "a") + Record('K', "") + Record('e', "b") + Record('e', ""));
    EXPECT_TRUE(decoded.intact);
    const std::vector<Entry> expected = {
        {RecordKind::TopLevel, "group"}, {RecordKind::Child, "a"}, {RecordKind::Child, "b"}};
    EXPECT_EQ(decoded.entries, expected);
}

TEST(RecordCodec, RecordsRunningPastTheEndAreCorrupt)
{
    const std::string good = Record('K', "kept");
    // A text shorter than its length says.
    Decoded decoded = Decode(good + Record('K', "truncated").substr(0, 8));
    EXPECT_FALSE(decoded.intact);
    ASSERT_EQ(decoded.entries.size(), 1u);
    EXPECT_EQ(decoded.entries[0].text, "kept");
    // A header cut short.
    for (size_t cut = 1; cut < 5; ++cut) {
        decoded = Decode(good + Record('K', "x").substr(0, cut));
        EXPECT_FALSE(decoded.intact) << cut;
        EXPECT_EQ(decoded.entries.size(), 1u);
    }
}

TEST(RecordCodec, HugeLengthsAllocateNothing)
{
    for (const std::string& length : {"\xFF\xFF\xFF\xFF"s, "\xFF\xFF\xFF\x7F"s, "\x06\x00\x00\x00"s}) {
        const Decoded decoded = Decode(Record('K', "ok") + "K" + length + "short");
        EXPECT_FALSE(decoded.intact);
        EXPECT_EQ(decoded.entries.size(), 1u);
    }
}

TEST(RecordCodec, KeepsEveryByteValueOfATextExceptItsOwnStructure)
{
    std::string text;
    for (int value = 1; value < 256; ++value)
        text += static_cast<char>(value);
    std::string bytes;
    AppendRecord(bytes, RecordKind::TopLevel, text);
    AppendRecord(bytes, RecordKind::Child, text + "\r\n" + text);
    const Decoded decoded = Decode(bytes);
    ASSERT_TRUE(decoded.intact);
    ASSERT_EQ(decoded.entries.size(), 2u);
    EXPECT_EQ(decoded.entries[0].text, text);
    EXPECT_EQ(decoded.entries[1].text, text + "\r\n" + text);
}
