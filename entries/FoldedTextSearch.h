#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Finding a word in entries' texts with the entry search's folding, without
// a folded copy of the texts. The folding is asked once for every unit of
// Unicode's first plane and the code page once for every byte; the texts
// are then folded unit by unit as they are read. Texts of megabytes cost no
// memory beside them, and the start of a word is looked for block by block,
// as fast as memory is read.
class FoldedTextSearch {
public:
    // `fold` turns a text into small letters as the user's locale maps case
    // in every script; `toUnicode` turns an 8-bit text into Unicode as the
    // code page does.
    using Fold = std::wstring (*)(const std::wstring&);
    using ToUnicode = std::wstring (*)(const std::string&);

    FoldedTextSearch(Fold fold, ToUnicode toUnicode);

    // A word ready to be looked for.
    struct Word {
        std::wstring folded;
        // The units that fold to the word's first and to its last unit, in
        // 8-bit texts and in Unicode texts: where it can start and end.
        std::vector<unsigned char> byteFirsts, byteLasts;
        std::vector<wchar_t> unitFirsts, unitLasts;
    };
    Word Prepare(const std::wstring& word) const;

    // Whether the code page turns every byte into a character of its own,
    // as single-byte code pages do: any 8-bit text can then be searched as
    // it is. Otherwise only 8-bit texts of ASCII alone can, and the others
    // are searched in their Unicode form.
    bool BytesAreCharacters() const { return m_bytesAreCharacters; }
    bool CanSearchBytes(std::string_view text) const;
    // Whether the fold keeps one unit for one unit, so that texts are
    // folded as they are read. Otherwise it is applied to whole texts:
    // right, but slower.
    bool FoldsByUnit() const { return !m_units.empty(); }

    bool InUnicode(std::wstring_view text, const Word& word) const;
    // `text` is in the code page, and CanSearchBytes says it can be searched.
    bool InBytes(std::string_view text, const Word& word) const;

    std::wstring ToUnicodeText(const std::string& text) const { return m_toUnicode(text); }

private:
    wchar_t FoldUnit(wchar_t unit) const;
    void Preimages(wchar_t folded, std::vector<unsigned char>& bytes, std::vector<wchar_t>& units) const;

    Fold m_fold;
    ToUnicode m_toUnicode;
    // Every unit of the first plane folded; empty when the fold does not
    // keep one unit for one unit.
    std::vector<wchar_t> m_units;
    // Every byte as the code page turns it, folded; 0 for bytes that are no
    // character of their own.
    std::array<wchar_t, 256> m_bytes = {};
    bool m_bytesAreCharacters = false;
    bool m_asciiBytes = false;
};
