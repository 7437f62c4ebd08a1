#include "history/HistoryRules.h"

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
// Unicode form: a history text of megabytes is not converted whole to be
// compared with a short prefix.
const size_t kMostBytesPerUnit = 4;

std::string StartOf(const std::string& text, size_t units)
{
    return units < text.size() / kMostBytesPerUnit ? text.substr(0, units * kMostBytesPerUnit) : text;
}

bool BeginsWith(const std::string& text, const std::string& prefix, CaseFold fold)
{
    if (prefix.size() > text.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (fold(static_cast<unsigned char>(text[i])) != fold(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

bool BeginsWith(const std::wstring& text, const std::wstring& prefix, WideCaseFold fold)
{
    if (prefix.size() > text.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (fold(text[i]) != fold(prefix[i]))
            return false;
    return true;
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
    // The 8-bit prefix as Unicode, made once and only when a text needs it.
    std::wstring widenedPrefix;
    bool widened = false;
    for (size_t i = 0; i < history.size(); ++i) {
        const bool textHasUnicode = i < unicode.size() && !unicode[i].empty();
        bool begins = false;
        if (textHasUnicode && !unicodePrefix.empty()) {
            begins = BeginsWith(unicode[i], unicodePrefix, comparison.wideFold);
        } else if (textHasUnicode) {
            if (!widened) {
                widenedPrefix = comparison.toUnicode(prefix);
                widened = true;
            }
            begins = !widenedPrefix.empty() && BeginsWith(unicode[i], widenedPrefix, comparison.wideFold);
        } else if (!unicodePrefix.empty()) {
            begins = BeginsWith(comparison.toUnicode(StartOf(history[i], unicodePrefix.size())), unicodePrefix,
                                comparison.wideFold);
        } else {
            begins = !prefix.empty() && BeginsWith(history[i], prefix, comparison.fold);
        }
        if (begins)
            return static_cast<int>(i);
    }
    return -1;
}
