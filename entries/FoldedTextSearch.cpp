#include "entries/FoldedTextSearch.h"
#include <algorithm>
#include <cstdint>

namespace {

const std::uint32_t kPlaneUnits = 0x10000;

bool IsSurrogate(std::uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Whether `word` (folded) occurs in `text`, each unit of which `fold`
// folds; `firsts` and `lasts` are the units that fold to the word's first and
// last units. Stops at the first occurrence. Where one or two units (a letter
// and its capital) fold to each, a block of the text is ruled out in one step
// the compiler makes of vector compares: no place in it starts with the first
// unit and ends with the last. Only the places that do are compared whole.
template <typename Unit, typename FoldUnit>
bool Holds(const Unit* text, size_t length, const std::wstring& word, const std::vector<Unit>& firsts,
           const std::vector<Unit>& lasts, FoldUnit fold)
{
    const size_t size = word.size();
    if (size == 0)
        return true;
    if (size > length || firsts.empty() || lasts.empty())
        return false;
    const size_t end = length - size + 1;
    const size_t back = size - 1;
    auto at = [&](size_t place) {
        size_t k = 0;
        while (k < size && fold(text[place + k]) == word[k])
            ++k;
        return k == size;
    };
    size_t place = 0;
    if (firsts.size() <= 2 && lasts.size() <= 2) {
        const Unit a = firsts.front(), b = firsts.back(), c = lasts.front(), d = lasts.back();
        const size_t kBlock = 64;
        for (; place + kBlock <= end; place += kBlock) {
            unsigned char seen = 0;
            for (size_t k = 0; k < kBlock; ++k) {
                const Unit first = text[place + k];
                const Unit last = text[place + k + back];
                seen |= static_cast<unsigned char>(((first == a) | (first == b)) & ((last == c) | (last == d)));
            }
            if (seen == 0)
                continue;
            for (size_t k = 0; k < kBlock; ++k)
                if (at(place + k))
                    return true;
        }
    }
    for (; place < end; ++place)
        if (fold(text[place + back]) == word[back] && at(place))
            return true;
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
    Preimages(prepared.folded.front(), prepared.byteFirsts, prepared.unitFirsts);
    Preimages(prepared.folded.back(), prepared.byteLasts, prepared.unitLasts);
    return prepared;
}

void FoldedTextSearch::Preimages(wchar_t folded, std::vector<unsigned char>& bytes, std::vector<wchar_t>& units) const
{
    for (int value = 1; value < 256; ++value)
        if (m_bytes[value] == folded)
            bytes.push_back(static_cast<unsigned char>(value));
    for (std::uint32_t unit = 1; unit < kPlaneUnits; ++unit)
        if (m_units[unit] == folded)
            units.push_back(static_cast<wchar_t>(unit));
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
    unsigned char high = 0;
    for (char byte : text)
        high |= static_cast<unsigned char>(byte);
    return high < 0x80;
}

bool FoldedTextSearch::InUnicode(std::wstring_view text, const Word& word) const
{
    if (!FoldsByUnit())
        return m_fold(std::wstring(text)).find(word.folded) != std::wstring::npos;
    return Holds(text.data(), text.size(), word.folded, word.unitFirsts, word.unitLasts,
                 [this](wchar_t unit) { return FoldUnit(unit); });
}

bool FoldedTextSearch::InBytes(std::string_view text, const Word& word) const
{
    if (!FoldsByUnit())
        return InUnicode(m_toUnicode(std::string(text)), word);
    return Holds(reinterpret_cast<const unsigned char*>(text.data()), text.size(), word.folded, word.byteFirsts, word.byteLasts,
                 [this](unsigned char byte) { return m_bytes[byte]; });
}
