#include "framework/Controls.h"
#include <vector>

std::string CListBox::GetString(int index) const
{
    const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR || length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const LRESULT copied = Send(LB_GETTEXT, static_cast<WPARAM>(index),
                                reinterpret_cast<LPARAM>(buffer.data()));
    return copied == LB_ERR ? std::string() : std::string(buffer.data(), static_cast<size_t>(copied));
}
