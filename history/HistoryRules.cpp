#include "history/HistoryRules.h"
#include <algorithm>
#include <cstring>
#include <string_view>

unsigned char FoldAsciiCase(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

wchar_t FoldAsciiCaseWide(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

namespace {

// No code page takes more than four bytes for one UTF-16 unit, so this
// much of an 8-bit text gives at least the first `units` units of its
// Unicode form.
const size_t kMostBytesPerUnit = 4;

// How many units a comparison with the Unicode form of an 8-bit text first
// converts; each further step converts twice as many.
const size_t kFirstUnits = 256;

// How many of a prefix's last units are compared before the rest.
const size_t kTailUnits = 16;

// The length of the start that `a` and `b`, `length` units each, have in
// common, compared a block at a time: a text copied again is megabytes of
// equal units.
template <typename Char>
size_t CommonLength(const Char* a, const Char* b, size_t length)
{
    const size_t kBlock = 1024;
    size_t i = 0;
    while (length - i >= kBlock && std::memcmp(a + i, b + i, kBlock * sizeof(Char)) == 0)
        i += kBlock;
    while (i < length && a[i] == b[i])
        ++i;
    return i;
}

// Whether `text` begins with `prefix` when case is ignored. Equal units
// are equal folded too, so only units that differ are folded: the fold
// asks the system, once per unit.
template <typename Char, typename Fold>
bool BeginsWith(std::basic_string_view<Char> text, std::basic_string_view<Char> prefix, Fold fold)
{
    if (prefix.size() > text.size())
        return false;
    // Texts copied one after the other often begin alike and differ at the
    // end (a log, a list with one line more): the prefix's last units are
    // looked at first, so that such a text is not compared to its end.
    const size_t tail = std::min(prefix.size(), kTailUnits);
    for (size_t i = prefix.size() - tail; i < prefix.size(); ++i)
        if (text[i] != prefix[i] && fold(text[i]) != fold(prefix[i]))
            return false;
    for (size_t i = 0;; ++i) {
        i += CommonLength(text.data() + i, prefix.data() + i, prefix.size() - i);
        if (i == prefix.size())
            return true;
        if (fold(text[i]) != fold(prefix[i]))
            return false;
    }
}

bool BeginsWith(const std::string& text, const std::string& prefix, CaseFold fold)
{
    return BeginsWith<char>(text, prefix, [fold](char c) { return fold(static_cast<unsigned char>(c)); });
}

// The Unicode form of a text: the one it has, or the one the code page
// gives its 8-bit form, converted only as far as a comparison reaches.
// History texts can be megabytes long, and most comparisons end within
// their first characters.
class UnicodeStart {
public:
    explicit UnicodeStart(const std::wstring& unicode) : m_unicode(&unicode), m_known(unicode.size()), m_all(true) {}
    UnicodeStart(const std::string& text, CodePageToUnicode toUnicode) : m_text(&text), m_toUnicode(toUnicode) {}

    // Makes the first `units` units known, or every unit of a shorter
    // text; returns how many of them there are.
    size_t Reach(size_t units)
    {
        if (!m_all && m_known < units) {
            if (units < m_text->size() / kMostBytesPerUnit) {
                m_converted = m_toUnicode(m_text->substr(0, units * kMostBytesPerUnit));
                // What follows them may be a character cut in two.
                m_known = std::min(units, m_converted.size());
            } else {
                m_converted = m_toUnicode(*m_text);
                m_known = m_converted.size();
                m_all = true;
            }
        }
        return std::min(units, m_known);
    }
    std::wstring_view Units(size_t from, size_t to) const
    {
        return std::wstring_view(m_unicode != nullptr ? *m_unicode : m_converted).substr(from, to - from);
    }

private:
    const std::wstring* m_unicode = nullptr;
    const std::string* m_text = nullptr;
    CodePageToUnicode m_toUnicode = nullptr;
    std::wstring m_converted;
    size_t m_known = 0;
    bool m_all = false;
};

// Whether `text` begins with `prefix` when case is ignored, the two
// compared a step at a time; an empty prefix begins nothing.
bool BeginsWith(UnicodeStart& text, UnicodeStart& prefix, WideCaseFold fold)
{
    size_t compared = 0;
    for (size_t step = kFirstUnits;; step *= 2) {
        const size_t reached = prefix.Reach(step);
        if (text.Reach(reached) < reached ||
            !BeginsWith(text.Units(compared, reached), prefix.Units(compared, reached), fold))
            return false;
        compared = reached;
        if (reached < step)
            return reached > 0;
    }
}

}  // namespace

int FindTextBeginningWith(const std::vector<std::string>& history, const std::string& prefix,
                          CaseFold fold)
{
    if (prefix.empty())
        return -1;
    for (size_t i = 0; i < history.size(); ++i)
        if (BeginsWith(history[i], prefix, fold))
            return static_cast<int>(i);
    return -1;
}

int FindTextBeginningWith(const std::vector<std::string>& history, const std::vector<std::wstring>& unicode,
                          const std::string& prefix, const std::wstring& unicodePrefix,
                          const TextComparison& comparison)
{
    if (prefix.empty() && unicodePrefix.empty())
        return -1;
    // Made once, as far as the texts need it.
    UnicodeStart prefixStart = unicodePrefix.empty() ? UnicodeStart(prefix, comparison.toUnicode)
                                                     : UnicodeStart(unicodePrefix);
    for (size_t i = 0; i < history.size(); ++i) {
        const bool textHasUnicode = i < unicode.size() && !unicode[i].empty();
        bool begins = false;
        if (textHasUnicode) {
            UnicodeStart text(unicode[i]);
            begins = BeginsWith(text, prefixStart, comparison.wideFold);
        } else if (!unicodePrefix.empty()) {
            UnicodeStart text(history[i], comparison.toUnicode);
            begins = BeginsWith(text, prefixStart, comparison.wideFold);
        } else {
            begins = !prefix.empty() && BeginsWith(history[i], prefix, comparison.fold);
        }
        if (begins)
            return static_cast<int>(i);
    }
    return -1;
}
