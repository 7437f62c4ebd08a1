#include "entries/FoldedTextSearch.h"
#include <algorithm>
#include <cstdint>
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define QUIPMARK_VECTOR_COMPARES 1
#endif

namespace {

const std::uint32_t kPlaneUnits = 0x10000;

bool IsSurrogate(std::uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// The units that fold to one unit, told apart from all others by one test
// without a branch: `unit | mask` is `value`. A letter and its capital most
// often differ in one bit; a class that cannot be told so has no test.
template <typename Unit>
struct UnitClass {
    Unit mask = 0, value = 0;
    bool testable = false;
};

template <typename Unit>
UnitClass<Unit> ClassOf(const std::vector<Unit>& units)
{
    UnitClass<Unit> test;
    if (units.empty() || units.size() > 2)
        return test;
    const Unit difference = static_cast<Unit>(units.front() ^ units.back());
    if ((difference & (difference - 1)) != 0)
        return test;
    test.mask = difference;
    test.value = static_cast<Unit>(units.front() | difference);
    test.testable = true;
    return test;
}

const size_t kBlock = 64;
// A shorter rest of a text is looked through unit by unit at once.
const size_t kShortestTail = 16;

// Whether some place among the kBlock from `text` has a unit of `first` and
// one of `last` `back` places on (back 0: a unit of `first`), both classes
// testable. The compiler makes vector compares of the loop; where the
// processor is known to have them, they are written out, which takes about
// half the instructions.
template <typename Unit>
bool BlockMayHold(const Unit* text, size_t back, const UnitClass<Unit>& first, const UnitClass<Unit>& last)
{
#if defined(QUIPMARK_VECTOR_COMPARES)
    if (sizeof(Unit) == 1 || sizeof(Unit) == 2 || sizeof(Unit) == 4) {
        auto splat = [](Unit unit) {
            return sizeof(Unit) == 1 ? _mm_set1_epi8(static_cast<char>(unit))
                 : sizeof(Unit) == 2 ? _mm_set1_epi16(static_cast<short>(unit))
                                     : _mm_set1_epi32(static_cast<int>(unit));
        };
        auto equal = [](__m128i a, __m128i b) {
            return sizeof(Unit) == 1   ? _mm_cmpeq_epi8(a, b)
                   : sizeof(Unit) == 2 ? _mm_cmpeq_epi16(a, b)
                                       : _mm_cmpeq_epi32(a, b);
        };
        auto load = [text](size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at)); };
        const __m128i firstMask = splat(first.mask), firstValue = splat(first.value);
        const __m128i lastMask = splat(last.mask), lastValue = splat(last.value);
        const size_t step = sizeof(__m128i) / sizeof(Unit);
        __m128i seen = _mm_setzero_si128();
        for (size_t k = 0; k < kBlock; k += step) {
            const __m128i starts = equal(_mm_or_si128(load(k), firstMask), firstValue);
            if (back == 0) {
                seen = _mm_or_si128(seen, starts);
                continue;
            }
            seen = _mm_or_si128(seen, _mm_and_si128(starts, equal(_mm_or_si128(load(k + back), lastMask), lastValue)));
        }
        return _mm_movemask_epi8(seen) != 0;
    }
#endif
    // Each place's answer as a mask of all bits (0 - 1), which the compiler
    // takes straight from a vector compare.
    Unit seen = 0;
    if (back == 0)
        for (size_t k = 0; k < kBlock; ++k)
            seen |= static_cast<Unit>(Unit(0) - Unit((text[k] | first.mask) == first.value));
    else
        for (size_t k = 0; k < kBlock; ++k)
            seen |= static_cast<Unit>(Unit(0) - Unit(((text[k] | first.mask) == first.value) &
                                                     ((text[k + back] | last.mask) == last.value)));
    return seen != 0;
}

// Calls `candidate` with each place of `text` whose unit is one of `firsts`
// and whose unit `back` places on is one of `lasts`, in order, until it says
// true. Where the units of each can be told by one test, a block of the text
// without such a place is ruled out in one step the compiler makes of vector
// compares; only the places that start and end so are asked about.
template <typename Unit, typename Candidate>
bool FindStarts(const Unit* text, size_t length, const std::vector<Unit>& firsts, size_t back,
                const std::vector<Unit>& lasts, Candidate candidate)
{
    if (back >= length || firsts.empty() || lasts.empty())
        return false;
    const size_t end = length - back;
    const UnitClass<Unit> first = ClassOf(firsts), last = ClassOf(lasts);
    auto in = [](Unit unit, const UnitClass<Unit>& test, const std::vector<Unit>& units) {
        if (test.testable)
            return (unit | test.mask) == test.value;
        return std::find(units.begin(), units.end(), unit) != units.end();
    };
    size_t place = 0;
    if (first.testable && last.testable)
        for (; place + kBlock <= end; place += kBlock) {
            if (!BlockMayHold(text + place, back, first, last))
                continue;
            for (size_t k = place; k < place + kBlock; ++k)
                if (in(text[k], first, firsts) && in(text[k + back], last, lasts) && candidate(k))
                    return true;
        }
    // The rest, shorter than a block (most texts are), is ruled out the
    // same way in a copy; what pads it is 0, which no class holds.
    if (first.testable && last.testable && end - place >= kShortestTail && back < kBlock) {
        Unit padded[2 * kBlock] = {};
        std::copy(text + place, text + length, padded);
        if (!BlockMayHold(padded, back, first, last))
            return false;
    }
    for (; place < end; ++place)
        if (in(text[place], first, firsts) && in(text[place + back], last, lasts) && candidate(place))
            return true;
    return false;
}

// Whether `word` (folded) occurs in `text`, each unit of which `fold`
// folds; `firsts` and `lasts` are the units that fold to the word's first and
// last units. Stops at the first occurrence.
template <typename Unit, typename FoldUnit>
bool Holds(const Unit* text, size_t length, const std::wstring& word, const std::vector<Unit>& firsts,
           const std::vector<Unit>& lasts, FoldUnit fold)
{
    const size_t size = word.size();
    if (size == 0)
        return true;
    return FindStarts(text, length, firsts, size - 1, lasts, [&](size_t place) {
        size_t k = 1;
        while (k < size && fold(text[place + k]) == word[k])
            ++k;
        return k == size;
    });
}

}  // namespace

FoldedTextSearch::FoldedTextSearch(const SearchFolding& folding, LeadByteTest isLeadByte) : m_folding(folding)
{
    // The fold is asked once for every unit of the plane. A unit of a
    // surrogate pair is no character: it stands as a space and folds to
    // itself.
    std::wstring plane(kPlaneUnits, L' ');
    for (std::uint32_t unit = 1; unit < kPlaneUnits; ++unit)
        if (!IsSurrogate(unit))
            plane[unit] = static_cast<wchar_t>(unit);
    const std::wstring folded = m_folding.fold(plane);
    if (folded.size() == plane.size()) {
        m_units.assign(folded.begin(), folded.end());
        for (std::uint32_t unit = 0; unit < kPlaneUnits; ++unit)
            if (unit == 0 || IsSurrogate(unit))
                m_units[unit] = static_cast<wchar_t>(unit);
        for (std::uint32_t unit = 1; unit < kPlaneUnits; ++unit)
            if (static_cast<std::uint32_t>(m_units[unit]) != unit)
                m_foldedAway.push_back(static_cast<wchar_t>(unit));
    }

    // Each byte alone, each byte before a letter (a lead byte of a
    // double-byte code page takes the letter with it) and every byte in one
    // text must come out as the same characters for bytes to be searched as
    // they are.
    std::array<std::wstring, 256> alone;
    std::string every;
    std::wstring everyAlone;
    bool single = true;
    for (int value = 1; value < 256; ++value) {
        const char byte = static_cast<char>(value);
        alone[value] = m_folding.toUnicode(std::string(1, byte));
        every += byte;
        everyAlone += alone[value];
        single = single && alone[value].size() == 1 && m_folding.toUnicode(std::string{byte, 'A'}) == alone[value] + L"A";
    }
    single = single && m_folding.toUnicode(every) == everyAlone;
    // Where characters take several bytes, as in UTF-8, each lone byte may
    // still turn into a character of its own (the replacement character):
    // two high bytes together must come out as the two alone.
    if (single) {
        std::string pairs;
        std::wstring pairsAlone;
        for (int lead = 0x80; lead < 256; ++lead)
            for (int trail = 0x80; trail < 256; ++trail) {
                pairs += static_cast<char>(lead);
                pairs += static_cast<char>(trail);
                pairsAlone += alone[lead] + alone[trail];
            }
        single = m_folding.toUnicode(pairs) == pairsAlone;
    }
    m_asciiBytes = FoldsByUnit();
    for (int value = 1; value < 256; ++value) {
        const bool character = alone[value].size() == 1;
        if (value < 0x80)
            m_asciiBytes = m_asciiBytes && character;
        m_bytes[value] = character ? FoldUnit(alone[value][0]) : L'\0';
    }
    m_bytesAreCharacters = m_asciiBytes && single;
    m_leadRows.fill(-1);
    if (!m_bytesAreCharacters && m_asciiBytes && isLeadByte != nullptr)
        MakeDoubleByteTable(alone, isLeadByte);
}

void FoldedTextSearch::MakeDoubleByteTable(const std::array<std::wstring, 256>& alone, LeadByteTest isLeadByte)
{
    // Every byte but a lead byte is a character of its own, and a lead byte
    // takes the byte after it: otherwise (characters of three or four
    // bytes) texts are searched in Unicode.
    std::vector<wchar_t> pairs;
    short rows = 0;
    for (int lead = 1; lead < 256; ++lead) {
        if (!isLeadByte(static_cast<unsigned char>(lead))) {
            if (alone[lead].size() != 1) {
                m_leadRows.fill(-1);
                return;
            }
            continue;
        }
        m_leadRows[lead] = rows++;
        // All the lead byte's characters in one call, each two bytes before
        // two NULs, which no code page takes into a character: where the
        // pieces between NULs do not come out one for each, one call for
        // each. Two bytes that make no one character are none.
        std::string text;
        for (int trail = 1; trail < 256; ++trail) {
            text += static_cast<char>(lead);
            text += static_cast<char>(trail);
            text.append(2, '\0');
        }
        const std::wstring unicode = m_folding.toUnicode(text);
        std::vector<wchar_t> row(1, L'\0');
        for (size_t start = 0; start < unicode.size();) {
            const size_t end = std::min(unicode.find(L'\0', start), unicode.size());
            if (end > start)
                row.push_back(end - start == 1 ? FoldUnit(unicode[start]) : L'\0');
            start = end + 1;
        }
        if (row.size() != 256) {
            row.resize(1);
            for (size_t at = 0; at < 255; ++at) {
                const std::wstring one = m_folding.toUnicode(text.substr(at * 4, 2));
                row.push_back(one.size() == 1 ? FoldUnit(one[0]) : L'\0');
            }
        }
        pairs.insert(pairs.end(), row.begin(), row.end());
    }
    if (rows == 0)
        m_leadRows.fill(-1);
    else
        m_pairs = std::move(pairs);
}

std::wstring FoldedTextSearch::Fold(const std::wstring& word) const
{
    if (!FoldsByUnit())
        return m_folding.fold(word);
    std::wstring folded = word;
    for (wchar_t& unit : folded)
        unit = FoldUnit(unit);
    return folded;
}

FoldedTextSearch::Word FoldedTextSearch::Prepare(const std::wstring& word) const
{
    Word prepared;
    prepared.folded = Fold(word);
    if (!FoldsByUnit() || prepared.folded.empty())
        return prepared;
    Preimages(prepared.folded.front(), prepared.byteFirsts, prepared.unitFirsts);
    Preimages(prepared.folded.back(), prepared.byteLasts, prepared.unitLasts);
    if (ReadsDoubleBytes()) {
        prepared.encodedFirsts = EncodedPreimages(prepared.folded.front());
        bool oneByteEach = true;
        for (wchar_t unit : prepared.folded)
            oneByteEach = oneByteEach && std::find(m_pairs.begin(), m_pairs.end(), unit) == m_pairs.end();
        if (oneByteEach)
            prepared.encodedLasts = EncodedPreimages(prepared.folded.back());
    }
    return prepared;
}

std::vector<unsigned char> FoldedTextSearch::EncodedPreimages(wchar_t folded) const
{
    std::vector<unsigned char> bytes;
    for (int value = 1; value < 256; ++value) {
        const short row = m_leadRows[value];
        const wchar_t* const first = row < 0 ? nullptr : &m_pairs[static_cast<size_t>(row) * 256];
        // A lead byte at a text's end stands alone.
        if (m_bytes[value] == folded || (row >= 0 && std::find(first, first + 256, folded) != first + 256))
            bytes.push_back(static_cast<unsigned char>(value));
    }
    return bytes;
}

void FoldedTextSearch::Preimages(wchar_t folded, std::vector<unsigned char>& bytes, std::vector<wchar_t>& units) const
{
    for (int value = 1; value < 256; ++value)
        if (m_bytes[value] == folded)
            bytes.push_back(static_cast<unsigned char>(value));
    // The unit itself, where it folds to itself, in its place among those
    // that fold to it.
    const auto self = static_cast<std::uint32_t>(folded);
    bool placed = self == 0 || self >= kPlaneUnits || m_units[self] != folded;
    for (wchar_t unit : m_foldedAway) {
        if (m_units[static_cast<std::uint32_t>(unit)] != folded)
            continue;
        if (!placed && static_cast<std::uint32_t>(unit) > self) {
            units.push_back(folded);
            placed = true;
        }
        units.push_back(unit);
    }
    if (!placed)
        units.push_back(folded);
    // Beyond the plane (where a unit holds a whole character) a character
    // folds to itself.
    if (static_cast<std::uint32_t>(folded) >= kPlaneUnits)
        units.push_back(folded);
}

bool FoldedTextSearch::CanSearchBytes(std::string_view text) const
{
    if (m_bytesAreCharacters)
        return true;
    if (!m_asciiBytes)
        return false;
    // Block by block, so that a text that is not ASCII alone is told at its
    // first high byte's block.
    size_t at = 0;
    for (; at + kBlock <= text.size(); at += kBlock) {
        unsigned char high = 0;
        for (size_t k = at; k < at + kBlock; ++k)
            high |= static_cast<unsigned char>(text[k]);
        if (high >= 0x80)
            return false;
    }
    for (; at < text.size(); ++at)
        if (static_cast<unsigned char>(text[at]) >= 0x80)
            return false;
    return true;
}

bool FoldedTextSearch::InUnicode(std::wstring_view text, const Word& word) const
{
    if (!FoldsByUnit())
        return m_folding.fold(std::wstring(text)).find(word.folded) != std::wstring::npos;
    return Holds(text.data(), text.size(), word.folded, word.unitFirsts, word.unitLasts,
                 [this](wchar_t unit) { return FoldUnit(unit); });
}

bool FoldedTextSearch::InBytes(std::string_view text, const Word& word) const
{
    if (!FoldsByUnit())
        return InUnicode(m_folding.toUnicode(std::string(text)), word);
    return Holds(reinterpret_cast<const unsigned char*>(text.data()), text.size(), word.folded, word.byteFirsts, word.byteLasts,
                 [this](unsigned char byte) { return m_bytes[byte]; });
}

bool FoldedTextSearch::InEncoded(const std::string& text, const Word& word) const
{
    if (ReadsDoubleBytes() && FoldsByUnit())
        return InDoubleBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size(), word);
    return InUnicode(m_folding.toUnicode(text), word);
}

bool FoldedTextSearch::InEntry(const std::string& text, const std::wstring& unicode, const Word& word) const
{
    if (!unicode.empty())
        return InUnicode(unicode, word);
    return CanSearchBytes(text) ? InBytes(text, word) : InEncoded(text, word);
}

bool FoldedTextSearch::InDoubleBytes(const unsigned char* text, size_t length, const Word& word) const
{
    const std::wstring& folded = word.folded;
    if (folded.empty())
        return true;
    // A place known to start a character; none before it is looked at again.
    size_t known = 0;
    // Whether `place` starts a character: a lead byte takes the byte after
    // it, so where the bytes before `place` back to one that is no lead byte
    // (which ends a character) or to the known start are lead bytes, their
    // count tells.
    auto startsCharacter = [&](size_t place) {
        size_t start = place;
        while (start > known && m_leadRows[text[start - 1]] >= 0)
            --start;
        const bool starts = (place - start) % 2 == 0;
        known = starts ? place : place + 1;
        return starts;
    };
    auto at = [&](size_t place) {
        for (wchar_t unit : folded) {
            if (place >= length)
                return false;
            const short row = m_leadRows[text[place]];
            wchar_t read = m_bytes[text[place]];
            if (row >= 0 && place + 1 < length) {
                read = m_pairs[static_cast<size_t>(row) * 256 + text[place + 1]];
                ++place;
            }
            ++place;
            if (read != unit)
                return false;
        }
        return true;
    };
    // A word whose characters are all of one byte takes as many bytes as it
    // has units: its first and last bytes rule out most places at once.
    const size_t back = word.encodedLasts.empty() ? 0 : folded.size() - 1;
    return FindStarts(text, length, word.encodedFirsts, back, back == 0 ? word.encodedFirsts : word.encodedLasts,
                      [&](size_t place) { return startsCharacter(place) && at(place); });
}
