#include "framework/Clipboard.h"
#include "framework/Handles.h"
#include <cstring>

std::string ReadClipboardText(HWND owner)
{
    if (!IsClipboardFormatAvailable(CF_TEXT))
        return std::string();
    const ClipboardSession clipboard(owner);
    if (!clipboard.IsOpen())
        return std::string();
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        const GlobalLockOf<const char> chars(data);
        if (chars.Get() != nullptr) {
            const size_t size = chars.Size();
            const void* end = std::memchr(chars.Get(), '\0', size);
            text.assign(chars.Get(), end != nullptr ? static_cast<const char*>(end) - chars.Get() : size);
        }
    }
    return text;
}

bool WriteClipboardText(HWND owner, const std::string& text)
{
    if (text.empty())
        return true;
    ScopedGlobal block(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (block.Get() == nullptr)
        return false;
    {
        const GlobalLockOf<char> chars(block.Get());
        if (chars.Get() == nullptr)
            return false;
        std::memcpy(chars.Get(), text.c_str(), text.size() + 1);
    }
    const ClipboardSession clipboard(owner);
    if (!clipboard.IsOpen())
        return false;
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, block.Get()) == nullptr)
        return false;
    block.Release();  // the clipboard owns it now
    return true;
}
