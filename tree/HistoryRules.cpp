#include "tree/HistoryRules.h"

unsigned char FoldAsciiCase(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

wchar_t FoldAsciiCaseWide(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

namespace {

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
                          const std::string& prefix, const std::wstring& unicodePrefix, CaseFold fold,
                          WideCaseFold wideFold)
{
    if (prefix.empty() && unicodePrefix.empty())
        return -1;
    for (size_t i = 0; i < history.size(); ++i) {
        const bool bothUnicode = !unicodePrefix.empty() && i < unicode.size() && !unicode[i].empty();
        if (bothUnicode ? BeginsWith(unicode[i], unicodePrefix, wideFold)
                        : !prefix.empty() && BeginsWith(history[i], prefix, fold))
            return static_cast<int>(i);
    }
    return -1;
}
