#include "entries/FoldedTextSearch.h"
#include <algorithm>
#include <cstdint>

namespace {

const std::uint32_t kPlaneUnits = 0x10000;

bool IsSurrogate(std::uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// The first of `starts` in text[from, end), or `end`. One or two starts
// (a letter and its capital) are looked for block by block: a block without
// either is passed over in one step the compiler makes of vector compares.
template <typename Unit>
size_t FindStart(const Unit* text, size_t from, size_t end, const std::vector<Unit>& starts)
{
    if (starts.size() > 2) {
        for (size_t i = from; i < end; ++i)
            if (std::find(starts.begin(), starts.end(), text[i]) != starts.end())
                return i;
        return end;
    }
    const Unit a = starts.front();
    const Unit b = starts.back();
    const size_t kBlock = 64;
    size_t i = from;
    for (; i + kBlock <= end; i += kBlock) {
        unsigned char seen = 0;
        for (size_t k = 0; k < kBlock; ++k)
            seen |= static_cast<unsigned char>((text[i + k] == a) | (text[i + k] == b));
        if (seen != 0)
            break;
    }
    for (; i < end; ++i)
        if (text[i] == a || text[i] == b)
            return i;
    return end;
}

// Whether `word` (folded) occurs in `text`, each unit of which `fold`
// folds; `starts` are the units that fold to the word's first. Stops at the
// first occurrence.
template <typename Unit, typename FoldUnit>
bool Holds(const Unit* text, size_t length, const std::wstring& word, const std::vector<Unit>& starts,
           FoldUnit fold)
{
    const size_t size = word.size();
    if (size == 0)
        return true;
    if (size > length || starts.empty())
        return false;
    const size_t end = length - size + 1;
    for (size_t at = FindStart(text, 0, end, starts); at < end; at = FindStart(text, at + 1, end, starts)) {
        size_t k = 1;
        while (k < size && fold(text[at + k]) == word[k])
            ++k;
        if (k == size)
            return true;
    }
    return false;
}

}  // namespace

FoldedTextSearch::FoldedTextSearch(Fold fold, ToUnicode toUnicode) : m_fold(fold), m_toUnicode(toUnicode)
{
    // The fold is asked once for every unit of the plane. A unit of a
    // surrogate pair is no character: it stands as a space and folds to
    // itself.
    std::wstring plane(kPlaneUnits, L' ');
    for (std::uint32_t unit = 1; unit < kPlaneUnits; ++unit)
        if (!IsSurrogate(unit))
            plane[unit] = static_cast<wchar_t>(unit);
    const std::wstring folded = m_fold(plane);
    if (folded.size() == plane.size()) {
        m_units.assign(folded.begin(), folded.end());
        for (std::uint32_t unit = 0; unit < kPlaneUnits; ++unit)
            if (unit == 0 || IsSurrogate(unit))
                m_units[unit] = static_cast<wchar_t>(unit);
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
        alone[value] = m_toUnicode(std::string(1, byte));
        every += byte;
        everyAlone += alone[value];
        single = single && alone[value].size() == 1 && m_toUnicode(std::string{byte, 'A'}) == alone[value] + L"A";
    }
    single = single && m_toUnicode(every) == everyAlone;
    m_asciiBytes = FoldsByUnit();
    for (int value = 1; value < 256; ++value) {
        const bool character = alone[value].size() == 1;
        if (value < 0x80)
            m_asciiBytes = m_asciiBytes && character;
        m_bytes[value] = character ? FoldUnit(alone[value][0]) : L'\0';
    }
    m_bytesAreCharacters = m_asciiBytes && single;
}

wchar_t FoldedTextSearch::FoldUnit(wchar_t unit) const
{
    const std::uint32_t value = static_cast<std::uint32_t>(unit);
    return value < m_units.size() ? m_units[value] : unit;
}

FoldedTextSearch::Word FoldedTextSearch::Prepare(const std::wstring& word) const
{
    Word prepared;
    if (!FoldsByUnit()) {
        prepared.folded = m_fold(word);
        return prepared;
    }
    prepared.folded = word;
    for (wchar_t& unit : prepared.folded)
        unit = FoldUnit(unit);
    if (prepared.folded.empty())
        return prepared;
    const wchar_t first = prepared.folded[0];
    for (int value = 1; value < 256; ++value)
        if (m_bytes[value] == first)
            prepared.byteStarts.push_back(static_cast<unsigned char>(value));
    for (std::uint32_t unit = 1; unit < kPlaneUnits; ++unit)
        if (m_units[unit] == first)
            prepared.unitStarts.push_back(static_cast<wchar_t>(unit));
    // Beyond the plane (where a unit holds a whole character) a character
    // folds to itself.
    if (static_cast<std::uint32_t>(first) >= kPlaneUnits)
        prepared.unitStarts.push_back(first);
    return prepared;
}

bool FoldedTextSearch::CanSearchBytes(std::string_view text) const
{
    if (m_bytesAreCharacters)
        return true;
    if (!m_asciiBytes)
        return false;
    unsigned char high = 0;
    for (char byte : text)
        high |= static_cast<unsigned char>(byte);
    return high < 0x80;
}

bool FoldedTextSearch::InUnicode(std::wstring_view text, const Word& word) const
{
    if (!FoldsByUnit())
        return m_fold(std::wstring(text)).find(word.folded) != std::wstring::npos;
    return Holds(text.data(), text.size(), word.folded, word.unitStarts,
                 [this](wchar_t unit) { return FoldUnit(unit); });
}

bool FoldedTextSearch::InBytes(std::string_view text, const Word& word) const
{
    if (!FoldsByUnit())
        return InUnicode(m_toUnicode(std::string(text)), word);
    return Holds(reinterpret_cast<const unsigned char*>(text.data()), text.size(), word.folded, word.byteStarts,
                 [this](unsigned char byte) { return m_bytes[byte]; });
}
