#include "EntryTreeTestSupport.h"
#include <gtest/gtest.h>
#include <string>

using namespace std::string_literals;

TEST(EntryFile, LoadsEntriesAndGroupsInFileOrderAsAChangeOfNothing)
{
    const EntryTree tree = Loaded(K("Hi") + K("Sig") + E("Yours") + E("Best,\r\nMe"), "\xB6");
    EXPECT_EQ(Shape(tree), "^ Hi Sig[Yours Best,\r\nMe]");
    EXPECT_EQ(tree.Label(IdOf(tree, "Best,\r\nMe")), "Best,\xB6Me");
    EXPECT_EQ(tree.Image(IdOf(tree, "Hi")), EntryImage::Entry);
    EXPECT_EQ(tree.Image(IdOf(tree, "Sig")), EntryImage::Group);
    EXPECT_EQ(tree.Kind(IdOf(tree, "Yours")), EntryKind::Child);
    EXPECT_EQ(tree.Count(), 6u);
    EXPECT_FALSE(tree.IsModified()) << "loading is no change";
    EXPECT_EQ(Shape(Loaded("")), "^");
}

TEST(EntryFile, CorruptDataLoadsWhatCameBeforeTheFault)
{
    struct Case {
        std::string bytes;
        const char* shape;
        const char* what;
    };
    const Case cases[] = {
        {K("good") + E("child") + "k\x01\x00\x00\x00x"s + K("lost"), "^ good[child]", "an unknown tag"},
        {K("kept") + "K\xFF\xFF\xFF\xFF" "abc"s, "^ kept", "a record running past the end"},
        {E("orphan") + K("lost"), "^", "a child before any top-level entry"},
    };
    for (const Case& c : cases) {
        EntryTree tree;
        EXPECT_FALSE(DecodeEntries(c.bytes, tree)) << c.what;
        EXPECT_EQ(Shape(tree), c.shape) << c.what;
        EXPECT_FALSE(tree.IsModified()) << c.what;
    }
}

TEST(EntryFile, SavesTheUserEntriesByteForByteWithoutTheHistory)
{
    std::string everyByte, many;
    for (int value = 1; value < 256; ++value)
        everyByte += static_cast<char>(value);
    for (int i = 0; i < 20000; ++i)
        many += (i % 4 == 0 ? K : E)("entry " + std::to_string(i));
    const std::string huge = K(std::string(10 * 1024 * 1024, 'h') + "end");
    for (const std::string& bytes : {K("Hi") + K("Sig") + E("Yours") + E("Best,\r\nMe"), K(everyByte), huge, many}) {
        EntryTree tree;
        Copy(tree, "history text");
        ASSERT_TRUE(DecodeEntries(bytes, tree));
        EXPECT_EQ(EncodeEntries(tree), bytes);
    }

    // What the editing commands made is saved in tree order.
    EntryTree tree;
    EntryChange change;
    EntryId group = kNoEntry, added = kNoEntry;
    tree.Add("older", kNoEntry, change, added);
    tree.Add("group", kNoEntry, change, group);
    tree.Add("child", group, change, added);
    EXPECT_EQ(EncodeEntries(tree), K("group") + E("child") + K("older"));
}
