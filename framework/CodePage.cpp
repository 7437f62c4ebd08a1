#include "framework/CodePage.h"
#include <windows.h>
#include <climits>

std::string ToSystemCodePage(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    BOOL lacking = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, &lacking);
    if (size <= 0 || lacking)
        return std::string();
    std::string bytes(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), &bytes[0],
                            size, nullptr, &lacking) != size ||
        lacking)
        return std::string();
    return bytes;
}

std::wstring FromSystemCodePage(const std::string& text)
{
    std::wstring unicode;
    FromSystemCodePageInto(text, unicode);
    return unicode;
}

void FromSystemCodePageInto(const std::string& text, std::wstring& unicode)
{
    unicode.clear();
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX))
        return;
    const int length = static_cast<int>(text.size());
    // No code page makes more units than bytes, so one pass usually does;
    // should one ever make more, it is measured first.
    unicode.resize(text.size());
    int units = MultiByteToWideChar(CP_ACP, 0, text.data(), length, &unicode[0], length);
    if (units <= 0) {
        units = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
        if (units <= 0) {
            unicode.clear();
            return;
        }
        unicode.resize(static_cast<size_t>(units));
        units = MultiByteToWideChar(CP_ACP, 0, text.data(), length, &unicode[0], units);
    }
    unicode.resize(static_cast<size_t>(units > 0 ? units : 0));
}

std::string ToSystemCodePageLossy(const std::wstring& text)
{
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX))
        return std::string();
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, &bytes[0], size, nullptr, nullptr);
    return bytes;
}

bool FitsSystemCodePage(const std::wstring& text)
{
    return text.empty() || !ToSystemCodePage(text).empty();
}

std::wstring LowerCaseUnicode(const std::wstring& text)
{
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX))
        return text;
    const int length = static_cast<int>(text.size());
    const int units = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, text.data(), length, nullptr, 0);
    if (units <= 0)
        return text;
    std::wstring lowered(static_cast<size_t>(units), L'\0');
    LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, text.data(), length, &lowered[0], units);
    return lowered;
}

bool IsSystemLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}
