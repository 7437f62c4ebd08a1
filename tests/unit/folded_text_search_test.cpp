// Words found in long texts folded as they are read: wherever a word lies
// in the blocks the search rules out at once, in 8-bit and Unicode texts.
#include "EntryTreeTestSupport.h"
#include "entries/FoldedTextSearch.h"
#include <gtest/gtest.h>
#include <string>

TEST(FoldedTextSearch, FindsAWordAnywhereInALongTextAndNothingElse)
{
    const FoldedTextSearch search(FoldSmallLetters, Latin1ToUnicode);
    ASSERT_TRUE(search.BytesAreCharacters());
    struct Case {
        size_t length, at;
        std::string placed, word;
        bool found;
    };
    // Near misses fill the text: the first letter, the last letter, both
    // at the word's distance with the wrong letter between.
    const Case cases[] = {
        {300, 0, "Sign", "sign", true},     {300, 60, "SIGN", "sign", true},  {300, 62, "sIgN", "sign", true},
        {300, 64, "sign", "SIGN", true},    {300, 127, "sign", "sign", true}, {300, 296, "sign", "sign", true},
        {301, 296, "sign", "sign", true},   {300, 150, "sig", "sign", false}, {300, 296, "sig", "sign", false},
        {300, 10, "\xC9t\xE9", "\xE9T\xC9", true}, {300, 10, "s", "s", true},       {3, 0, "sig", "sign", false},
    };
    for (const Case& c : cases) {
        std::string text;
        while (text.size() < c.length)
            text += "s n sxxn sig ";
        text.resize(c.length);
        text.replace(c.at, c.placed.size(), c.placed);
        text.resize(c.length);
        const std::string what = c.word + " in " + text;
        const FoldedTextSearch::Word word = search.Prepare(Latin1ToUnicode(c.word));
        EXPECT_EQ(search.InBytes(text, word), c.found) << what;
        EXPECT_EQ(search.InUnicode(Latin1ToUnicode(text), word), c.found) << "Unicode: " << what;
        // The same in Cyrillic, where the capitals are other units.
        auto cyrillic = [](std::wstring latin, bool swapCase) {
            for (wchar_t& unit : latin) {
                const bool small = (unit == L's' || unit == L'n') != swapCase;
                if (unit == L's' || unit == L'S')
                    unit = small ? 0x441 : 0x421;
                else if (unit == L'n' || unit == L'N')
                    unit = small ? 0x43D : 0x41D;
            }
            return latin;
        };
        EXPECT_EQ(search.InUnicode(cyrillic(Latin1ToUnicode(text), false),
                                   search.Prepare(cyrillic(Latin1ToUnicode(c.word), true))),
                  c.found)
            << "Cyrillic: " << what;
    }
}
