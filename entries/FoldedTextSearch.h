#pragma once
#include "entries/SearchFolding.h"
#include "entries/TextBoundary.h"
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Finding a word in entries' texts with the entry search's folding, without
// a folded copy of the texts. The folding is asked once for every unit of
// Unicode's first plane and the code page once for every byte; the texts
// are then folded unit by unit as they are read. Texts of megabytes cost no
// memory beside them, and the start of a word is looked for block by block,
// as fast as memory is read. The 8-bit texts of a double-byte code page are
// read character by character through a table of its two-byte characters,
// folded.
class FoldedTextSearch {
public:
    // `isLeadByte` tells the code page's double-byte characters (none: no
    // table of them, and 8-bit texts that are not ASCII alone are turned
    // into Unicode one at a time as they are searched).
    explicit FoldedTextSearch(const SearchFolding& folding, LeadByteTest isLeadByte = nullptr);

    // A word ready to be looked for.
    struct Word {
        std::wstring folded;
        // The units that fold to the word's first and to its last unit, in
        // 8-bit texts and in Unicode texts: where it can start and end.
        std::vector<unsigned char> byteFirsts, byteLasts;
        std::vector<wchar_t> unitFirsts, unitLasts;
        // The bytes that start a character of a double-byte code page that
        // folds to the word's first unit, and to its last where every unit
        // of the word is a character of one byte (else empty).
        std::vector<unsigned char> encodedFirsts, encodedLasts;
    };
    Word Prepare(const std::wstring& word) const;
    // The word folded, as Prepare folds it, and nothing more.
    std::wstring Fold(const std::wstring& word) const;

    // Whether the code page turns every byte into a character of its own,
    // as single-byte code pages do: any 8-bit text can then be searched as
    // it is. Otherwise only 8-bit texts of ASCII alone can, and the others
    // are searched with InEncoded. A code page of characters of several
    // bytes, UTF-8 included, is no single-byte one although each byte alone
    // turns into a character.
    bool BytesAreCharacters() const { return m_bytesAreCharacters; }
    bool CanSearchBytes(std::string_view text) const;
    // Whether the fold keeps one unit for one unit, so that texts are
    // folded as they are read. Otherwise it is applied to whole texts:
    // right, but slower.
    bool FoldsByUnit() const { return !m_units.empty(); }

    bool InUnicode(std::wstring_view text, const Word& word) const;
    // `text` is in the code page, and CanSearchBytes says it can be searched.
    bool InBytes(std::string_view text, const Word& word) const;
    // Any 8-bit text: through the table of two-byte characters, or in its
    // Unicode form, made for this search alone.
    bool InEncoded(const std::string& text, const Word& word) const;
    // The full text of an entry: its `unicode` text where it has one, else
    // its 8-bit `text`.
    bool InEntry(const std::string& text, const std::wstring& unicode, const Word& word) const;
    // Whether 8-bit texts of two-byte characters are read through a table.
    bool ReadsDoubleBytes() const { return !m_pairs.empty(); }

    std::wstring ToUnicodeText(const std::string& text) const { return m_folding.toUnicode(text); }

    // Calls `read` with each unit of an entry's full text as the searches
    // compare it with a word's, folded, in order: its `unicode` text where
    // it has one, else its 8-bit `text`, read as bytes where `asBytes` (as
    // CanSearchBytes allows) and else as InEncoded reads it. Only where the
    // fold keeps one unit for one unit. Reads from the place `from` (0, or
    // where the last call stopped) to the first character that starts at
    // `until` or later and returns that place: the text's length where it
    // was read to its end. A text turned into Unicode is read whole.
    template <typename Read>
    size_t ReadFolded(const std::string& text, const std::wstring& unicode, bool asBytes, size_t from, size_t until,
                      Read read) const;
    // Whether ReadFolded reads the text whole, whatever `until`.
    bool ReadsWhole(const std::wstring& unicode, bool asBytes) const
    {
        return unicode.empty() && !asBytes && !m_bytesAreCharacters && !ReadsDoubleBytes();
    }

private:
    wchar_t FoldUnit(wchar_t unit) const
    {
        const auto value = static_cast<std::uint32_t>(unit);
        return value < m_units.size() ? m_units[value] : unit;
    }
    void Preimages(wchar_t folded, std::vector<unsigned char>& bytes, std::vector<wchar_t>& units) const;
    std::vector<unsigned char> EncodedPreimages(wchar_t folded) const;
    void MakeDoubleByteTable(const std::array<std::wstring, 256>& alone, LeadByteTest isLeadByte);
    bool InDoubleBytes(const unsigned char* text, size_t length, const Word& word) const;

    SearchFolding m_folding;
    // Every unit of the first plane folded; empty when the fold does not
    // keep one unit for one unit.
    std::vector<wchar_t> m_units;
    // The units that fold to another, in order: with the unit itself, all
    // that fold to a unit, found without a pass over the plane.
    std::vector<wchar_t> m_foldedAway;
    // Every byte as the code page turns it, folded; 0 for bytes that are no
    // character of their own.
    std::array<wchar_t, 256> m_bytes = {};
    bool m_bytesAreCharacters = false;
    bool m_asciiBytes = false;
    // For each lead byte of a double-byte code page its row of m_pairs, -1
    // for every other byte; a row holds the folded character of the lead
    // byte with each byte after it, 0 where that is no character.
    std::array<short, 256> m_leadRows = {};
    std::vector<wchar_t> m_pairs;
};

template <typename Read>
size_t FoldedTextSearch::ReadFolded(const std::string& text, const std::wstring& unicode, bool asBytes, size_t from,
                                    size_t until, Read read) const
{
    if (!unicode.empty()) {
        const size_t end = std::min(until, unicode.size());
        for (size_t at = from; at < end; ++at)
            read(FoldUnit(unicode[at]));
        return std::max(from, end);
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t length = text.size();
    if (asBytes || m_bytesAreCharacters) {
        const size_t end = std::min(until, length);
        for (size_t at = from; at < end; ++at)
            read(m_bytes[bytes[at]]);
        return std::max(from, end);
    }
    if (!ReadsDoubleBytes()) {
        for (wchar_t unit : m_folding.toUnicode(text))
            read(FoldUnit(unit));
        return length;
    }
    // A lead byte takes the byte after it; at the text's end it stands alone.
    size_t at = from;
    while (at < length && at < until) {
        const short row = m_leadRows[bytes[at]];
        if (row >= 0 && at + 1 < length) {
            read(m_pairs[static_cast<size_t>(row) * 256 + bytes[at + 1]]);
            at += 2;
        } else {
            read(m_bytes[bytes[at]]);
            ++at;
        }
    }
    return at;
}
