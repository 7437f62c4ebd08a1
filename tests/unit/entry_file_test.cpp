#include "EntryTreeTestSupport.h"
#include "entries/EntryFile.h"
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace std::string_literals;

const std::string kWorkedExample = K("Hi") + K("Sig") + E("Yours") + E("Best,\r\nMe");

}  // namespace

TEST(EntryFile, LoadsEntriesAndGroupsInFileOrderAsAChangeOfNothing)
{
    EntryTree tree("\xB6");
    ASSERT_TRUE(DecodeEntries(kWorkedExample, tree));
    EXPECT_EQ(Outline(tree), OutlineOf("  Hi\n  Sig\n    Yours\n    Best,\r\nMe\n"));
    EXPECT_EQ(tree.Label(ChildOf(tree, TopLevel(tree, 2), 1)), "Best,\xB6Me");
    EXPECT_EQ(tree.Image(TopLevel(tree, 1)), EntryImage::Entry);
    EXPECT_EQ(tree.Image(TopLevel(tree, 2)), EntryImage::Group);
    EXPECT_EQ(tree.Count(), 6u);
    EXPECT_FALSE(tree.IsModified()) << "loading is no change";

    EntryTree empty;
    EXPECT_TRUE(DecodeEntries("", empty));
    EXPECT_EQ(Outline(empty), OutlineOf(""));
}

TEST(EntryFile, CorruptDataLoadsWhatCameBeforeTheFault)
{
    struct Case {
        std::string bytes;
        std::string rest;
        const char* what;
    };
    const Case cases[] = {
        {K("good") + E("child") + "k\x01\x00\x00\x00x"s + K("lost"), "  good\n    child\n", "an unknown tag"},
        {K("kept") + "K\xFF\xFF\xFF\xFF" "abc"s, "  kept\n", "a record running past the end"},
        {E("orphan") + K("lost"), "", "a child before any top-level entry"},
    };
    for (const Case& c : cases) {
        EntryTree tree;
        EXPECT_FALSE(DecodeEntries(c.bytes, tree)) << c.what;
        EXPECT_EQ(Outline(tree), OutlineOf(c.rest)) << c.what;
        EXPECT_FALSE(tree.IsModified()) << c.what;
    }
}

TEST(EntryFile, SavesTheUserEntriesByteForByteWithoutTheHistory)
{
    std::string everyByte;
    for (int value = 1; value < 256; ++value)
        everyByte += static_cast<char>(value);
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += i % 4 == 0 ? K("entry " + std::to_string(i)) : E("entry " + std::to_string(i));
    for (const std::string& bytes : {kWorkedExample, K(everyByte), K(std::string(10 * 1024 * 1024, 'h') + "end"), many}) {
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
