#include "entries/TextBoundary.h"
#include <algorithm>
#include <iterator>

namespace {

// What a character does at the boundaries around it; the rules of extended
// grapheme clusters, brought down to what labels meet.
enum class Kind { CR, LF, Control, Extend, Joiner, Regional, L, V, T, LV, LVT, Other };

struct Range {
    char32_t first;
    char32_t last;
};

// Characters that belong to the character before them: combining marks of
// the scripts in use (Latin, Greek, Cyrillic, Hebrew, Arabic, the Indic
// scripts, Thai, Lao, Tibetan, Myanmar, Khmer, Japanese kana), variation
// selectors, the zero width non-joiner, emoji skin tones and tags. Sorted.
const Range kExtending[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF}, {0x05C1, 0x05C2},
    {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A}, {0x064B, 0x065F}, {0x0670, 0x0670},
    {0x06D6, 0x06DC}, {0x06DF, 0x06E4}, {0x06E7, 0x06E8}, {0x06EA, 0x06ED}, {0x0711, 0x0711},
    {0x0730, 0x074A}, {0x07A6, 0x07B0}, {0x07EB, 0x07F3}, {0x08D3, 0x08E1}, {0x08E3, 0x0903},
    {0x093A, 0x093C}, {0x093E, 0x094F}, {0x0951, 0x0957}, {0x0962, 0x0963}, {0x0981, 0x0983},
    {0x09BC, 0x09BC}, {0x09BE, 0x09C4}, {0x09C7, 0x09C8}, {0x09CB, 0x09CD}, {0x09D7, 0x09D7},
    {0x09E2, 0x09E3}, {0x0A01, 0x0A03}, {0x0A3C, 0x0A3C}, {0x0A3E, 0x0A42}, {0x0A47, 0x0A48},
    {0x0A4B, 0x0A4D}, {0x0A51, 0x0A51}, {0x0A70, 0x0A71}, {0x0A75, 0x0A75}, {0x0A81, 0x0A83},
    {0x0ABC, 0x0ABC}, {0x0ABE, 0x0AC5}, {0x0AC7, 0x0AC9}, {0x0ACB, 0x0ACD}, {0x0AE2, 0x0AE3},
    {0x0B01, 0x0B03}, {0x0B3C, 0x0B3C}, {0x0B3E, 0x0B44}, {0x0B47, 0x0B48}, {0x0B4B, 0x0B4D},
    {0x0B55, 0x0B57}, {0x0B62, 0x0B63}, {0x0B82, 0x0B82}, {0x0BBE, 0x0BC2}, {0x0BC6, 0x0BC8},
    {0x0BCA, 0x0BCD}, {0x0BD7, 0x0BD7}, {0x0C00, 0x0C04}, {0x0C3C, 0x0C3C}, {0x0C3E, 0x0C44},
    {0x0C46, 0x0C48}, {0x0C4A, 0x0C4D}, {0x0C55, 0x0C56}, {0x0C62, 0x0C63}, {0x0C81, 0x0C83},
    {0x0CBC, 0x0CBC}, {0x0CBE, 0x0CC4}, {0x0CC6, 0x0CC8}, {0x0CCA, 0x0CCD}, {0x0CD5, 0x0CD6},
    {0x0CE2, 0x0CE3}, {0x0D00, 0x0D03}, {0x0D3B, 0x0D3C}, {0x0D3E, 0x0D44}, {0x0D46, 0x0D48},
    {0x0D4A, 0x0D4D}, {0x0D57, 0x0D57}, {0x0D62, 0x0D63}, {0x0D81, 0x0D83}, {0x0DCA, 0x0DCA},
    {0x0DCF, 0x0DD4}, {0x0DD6, 0x0DD6}, {0x0DD8, 0x0DDF}, {0x0DF2, 0x0DF3}, {0x0E31, 0x0E31},
    {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x0EB1, 0x0EB1}, {0x0EB4, 0x0EBC}, {0x0EC8, 0x0ECD},
    {0x0F18, 0x0F19}, {0x0F35, 0x0F35}, {0x0F37, 0x0F37}, {0x0F39, 0x0F39}, {0x0F3E, 0x0F3F},
    {0x0F71, 0x0F84}, {0x0F86, 0x0F87}, {0x0F8D, 0x0FBC}, {0x0FC6, 0x0FC6}, {0x102B, 0x103E},
    {0x1056, 0x1059}, {0x105E, 0x1060}, {0x1062, 0x1064}, {0x1067, 0x106D}, {0x1071, 0x1074},
    {0x1082, 0x108D}, {0x108F, 0x108F}, {0x109A, 0x109D}, {0x135D, 0x135F}, {0x17B4, 0x17D3},
    {0x17DD, 0x17DD}, {0x180B, 0x180D}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200C, 0x200C},
    {0x20D0, 0x20FF}, {0x302A, 0x302F}, {0x3099, 0x309A}, {0xFB1E, 0xFB1E}, {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F}, {0xFF9E, 0xFF9F}, {0x1F3FB, 0x1F3FF}, {0xE0020, 0xE007F}, {0xE0100, 0xE01EF},
};

bool IsExtending(char32_t c)
{
    const Range* after = std::upper_bound(std::begin(kExtending), std::end(kExtending), c,
                                          [](char32_t value, const Range& range) { return value < range.first; });
    return after != std::begin(kExtending) && c <= (after - 1)->last;
}

Kind KindOf(char32_t c)
{
    if (c == U'\r')
        return Kind::CR;
    if (c == U'\n')
        return Kind::LF;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029)
        return Kind::Control;
    if (c < 0x0300)
        return Kind::Other;  // Latin-1 and its extensions: most texts are these alone
    if (c == 0x200D)
        return Kind::Joiner;
    if (c >= 0x1F1E6 && c <= 0x1F1FF)
        return Kind::Regional;
    if ((c >= 0x1100 && c <= 0x115F) || (c >= 0xA960 && c <= 0xA97C))
        return Kind::L;
    if ((c >= 0x1160 && c <= 0x11A7) || (c >= 0xD7B0 && c <= 0xD7C6))
        return Kind::V;
    if ((c >= 0x11A8 && c <= 0x11FF) || (c >= 0xD7CB && c <= 0xD7FB))
        return Kind::T;
    if (c >= 0xAC00 && c <= 0xD7A3)
        return (c - 0xAC00) % 28 == 0 ? Kind::LV : Kind::LVT;
    return IsExtending(c) ? Kind::Extend : Kind::Other;
}

// Whether `next` belongs to the character that `previous` is part of;
// `oddRegionals` tells that the character so far ends in an odd number of
// regional indicators, one half of a flag.
bool Joins(Kind previous, Kind next, bool oddRegionals)
{
    if (previous == Kind::CR)
        return next == Kind::LF;
    const auto isControl = [](Kind kind) { return kind == Kind::CR || kind == Kind::LF || kind == Kind::Control; };
    if (isControl(previous) || isControl(next))
        return false;
    switch (previous) {
    case Kind::L:
        if (next == Kind::L || next == Kind::V || next == Kind::LV || next == Kind::LVT)
            return true;
        break;
    case Kind::LV:
    case Kind::V:
        if (next == Kind::V || next == Kind::T)
            return true;
        break;
    case Kind::LVT:
    case Kind::T:
        if (next == Kind::T)
            return true;
        break;
    default:
        break;
    }
    if (next == Kind::Extend || next == Kind::Joiner)
        return true;
    // A joiner makes one emoji of the two around it; in other scripts it
    // asks for a joined form, which is one character to the eye as well.
    if (previous == Kind::Joiner)
        return true;
    return previous == Kind::Regional && next == Kind::Regional && oddRegionals;
}

// The character at `i` and the units it takes; a surrogate without its
// partner stands for itself.
size_t Decode(std::wstring_view text, size_t i, char32_t& c)
{
    const wchar_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
        return 2;
    }
    c = static_cast<char32_t>(unit);
    return 1;
}

}  // namespace

size_t CharacterEnd(std::string_view text, size_t start, LeadByteTest isLeadByte)
{
    if (start >= text.size())
        return start;
    // No code page has trail bytes below 0x40: a lead byte at the end or
    // before a line break or a control character is a broken character of
    // its own, and the break or control stays what it is.
    if (isLeadByte != nullptr && start + 1 < text.size() && static_cast<unsigned char>(text[start + 1]) >= 0x40 &&
        isLeadByte(static_cast<unsigned char>(text[start])))
        return start + 2;
    return start + 1;
}

size_t CharacterEnd(std::wstring_view text, size_t start, size_t most)
{
    if (start >= text.size())
        return start;
    char32_t c = 0;
    size_t i = start + Decode(text, start, c);
    Kind previous = KindOf(c);
    size_t regionals = previous == Kind::Regional ? 1 : 0;
    while (i < text.size() && i - start <= most) {
        const size_t units = Decode(text, i, c);
        const Kind next = KindOf(c);
        if (!Joins(previous, next, regionals % 2 == 1))
            break;
        regionals = next == Kind::Regional ? regionals + 1 : 0;
        previous = next;
        i += units;
    }
    return i;
}
