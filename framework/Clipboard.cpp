#include "framework/Clipboard.h"
#include <cstring>

namespace {

const int kOpenAttempts = 20;
const DWORD kOpenRetryMs = 25;

bool OpenClipboardPatiently(HWND owner)
{
    for (int attempt = 1;; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        if (attempt >= kOpenAttempts)
            return false;
        Sleep(kOpenRetryMs);
    }
}

}  // namespace

std::string ReadClipboardText(HWND owner)
{
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboardPatiently(owner))
        return std::string();
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* chars = static_cast<const char*>(GlobalLock(data))) {
            const size_t size = GlobalSize(data);
            const void* end = std::memchr(chars, '\0', size);
            text.assign(chars, end != nullptr ? static_cast<const char*>(end) - chars : size);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool WriteClipboardText(HWND owner, const std::string& text)
{
    if (text.empty())
        return true;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (block == nullptr)
        return false;
    char* chars = static_cast<char*>(GlobalLock(block));
    std::memcpy(chars, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (!OpenClipboardPatiently(owner)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_TEXT, block) != nullptr;
    if (!placed)
        GlobalFree(block);
    CloseClipboard();
    return placed;
}
