#include "framework/CodePage.h"
#include <windows.h>

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
