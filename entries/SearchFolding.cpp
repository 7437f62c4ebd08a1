#include "entries/SearchFolding.h"

SearchNeedle::SearchNeedle(const std::wstring& typed, const SearchFolding& folding)
    : m_folding(folding), m_folded(typed.empty() ? std::wstring() : folding.fold(typed))
{
    std::wstring ascii;
    for (wchar_t unit = 1; unit < 128; ++unit)
        ascii += unit;
    const std::wstring folded = m_folding.fold(ascii);
    m_asciiFoldsToAscii = folded.size() == ascii.size();
    for (size_t i = 0; m_asciiFoldsToAscii && i < folded.size(); ++i) {
        m_asciiFoldsToAscii = folded[i] > 0 && folded[i] < 128;
        m_asciiFold[i + 1] = static_cast<char>(folded[i]);
    }
    m_needleIsAscii = true;
    for (wchar_t unit : m_folded) {
        m_needleIsAscii = m_needleIsAscii && static_cast<unsigned long>(unit) < 128;
        m_asciiNeedle += static_cast<char>(unit);
    }
}

template <typename Char>
bool SearchNeedle::FoldAscii(const Char* units, size_t count)
{
    if (!m_asciiFoldsToAscii)
        return false;
    m_ascii.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const auto unit = static_cast<unsigned long>(units[i]);
        if (unit >= 128)
            return false;
        m_ascii[i] = m_asciiFold[unit];
    }
    return true;
}

bool SearchNeedle::FoundIn(const std::string& text, const std::wstring& unicode)
{
    if (m_folded.empty())
        return false;
    const bool ascii = unicode.empty() ? FoldAscii(text.data(), text.size()) : FoldAscii(unicode.data(), unicode.size());
    if (ascii)
        return m_needleIsAscii && m_ascii.find(m_asciiNeedle) != std::string::npos;
    const std::wstring folded = m_folding.fold(unicode.empty() ? m_folding.toUnicode(text) : unicode);
    return folded.find(m_folded) != std::wstring::npos;
}
