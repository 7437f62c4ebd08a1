#include "framework/Controls.h"
#include <vector>

std::string CListBox::GetString(int index) const
{
    // Read in the list box's own characters and converted here: Wine passes
    // the ANSI form through a fixed buffer of 512 characters and overruns it
    // with longer strings.
    const LRESULT length = SendMessageW(m_hWnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length <= 0)
        return std::string();
    std::vector<wchar_t> wide(static_cast<size_t>(length) + 1);
    const LRESULT copied = SendMessageW(m_hWnd, LB_GETTEXT, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(wide.data()));
    if (copied == LB_ERR || copied <= 0)
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(copied), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(copied), &text[0], size, nullptr, nullptr);
    return text;
}
