#include "entries/TextBoundary.h"
#include "TextSamples.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The lengths in units of the characters of `text` as the user sees them.
std::vector<size_t> Lengths(std::wstring_view text)
{
    std::vector<size_t> lengths;
    for (size_t i = 0; i < text.size();) {
        const size_t end = CharacterEnd(text, i, text.size());
        lengths.push_back(end - i);
        i = end;
    }
    return lengths;
}

bool ShiftJisLead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

TEST(TextBoundary, ACharacterIsWhatTheUserSeesAsOne)
{
    struct Case {
        std::wstring text;
        std::vector<size_t> lengths;
    };
    const Case cases[] = {
        {L"e\u0301\u0327x", {3, 1}},                          // accents of Latin
        {L"\u0928\u092E\u0938\u094D\u0924\u0947", {1, 1, 2, 2}},  // Devanagari vowel signs and virama
        {L"a\r\n\n\u0301", {1, 2, 1, 1}},                     // CR LF is one; nothing joins a line break
        {kFamily + L"!", {8, 1}},                             // three joined people
        {L"\xD83D\xDC4D\xD83C\xDFFD\x2764\xFE0F", {4, 2}},    // a skin tone, a variation selector
        {kTwoFlags + kTwoFlags.substr(0, 2), {4, 4, 2}},      // flags are pairs
        {L"\xD83C\xDFF4\xDB40\xDC67\xDB40\xDC62\xDB40\xDC65\xDB40\xDC6E\xDB40\xDC67\xDB40\xDC7F", {14}},  // tags
        {L"\u1100\u1161\u11A8\uAC00\u11A8\uAC01\u1100", {3, 2, 1, 1}},  // Hangul jamo
        {L"\xD83Dx\xDE42", {1, 1, 1}},                        // surrogates without partners
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lengths(c.text), c.lengths) << c.text.size();
    // A character longer than asked for is read no further than that.
    EXPECT_GT(CharacterEnd(L"a\u0301\u0301\u0301\u0301", 0, 1), 1u);
    EXPECT_LT(CharacterEnd(L"a\u0301\u0301\u0301\u0301", 0, 1), 5u);
}

TEST(TextBoundary, DoubleByteCharactersAreTwoBytesWhereTheCodePageSaysSo)
{
    const std::string text = "\x82\xa0x\x82\n\x82";
    EXPECT_EQ(CharacterEnd(text, 0, ShiftJisLead), 2u);
    EXPECT_EQ(CharacterEnd(text, 2, ShiftJisLead), 3u);
    EXPECT_EQ(CharacterEnd(text, 3, ShiftJisLead), 4u) << "a line break is never a trail byte";
    EXPECT_EQ(CharacterEnd(text, 5, ShiftJisLead), 6u) << "a lead byte at the end";
    EXPECT_EQ(CharacterEnd(text, 0, nullptr), 1u);
}
