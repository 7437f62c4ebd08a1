#include "framework/Clipboard.h"
#include "framework/Handles.h"
#include <cstring>
#include <string>

namespace {

// The text of an open clipboard's `format` block, up to its first zero
// unit; empty when it holds none.
template <typename Char>
std::basic_string<Char> OpenClipboardText(UINT format)
{
    std::basic_string<Char> text;
    if (HANDLE data = GetClipboardData(format)) {
        const GlobalLockOf<const Char> chars(data);
        if (chars.Get() != nullptr) {
            const size_t size = chars.Size() / sizeof(Char);
            const Char* end = std::char_traits<Char>::find(chars.Get(), size, Char());
            text.assign(chars.Get(), end != nullptr ? static_cast<size_t>(end - chars.Get()) : size);
        }
    }
    return text;
}

template <typename Char>
HGLOBAL NewBlockOf(const std::basic_string<Char>& text)
{
    const size_t bytes = (text.size() + 1) * sizeof(Char);
    ScopedGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (block.Get() == nullptr)
        return nullptr;
    {
        const GlobalLockOf<Char> chars(block.Get());
        if (chars.Get() == nullptr)
            return nullptr;
        std::memcpy(chars.Get(), text.c_str(), bytes);
    }
    return block.Release();
}

// Whether the open clipboard's Unicode text is the one that the program
// that copied put there, rather than one the system derived from the 8-bit
// text. The system lists what it derives after everything that was put,
// and derives the Unicode text together with the OEM text, the OEM text
// first; a program puts its own Unicode text before any OEM text the
// system derives from it. The locale (CF_LOCALE) is no sign: a program may
// put it before its own Unicode text. A derived Unicode text holds no
// character that the 8-bit one lacks, and under Wine every reading of a
// derived form costs memory that is never given back.
bool HoldsCopiedUnicode()
{
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        if (format == CF_UNICODETEXT)
            return true;
        if (format == CF_OEMTEXT)
            return false;
    }
    return false;
}

}  // namespace

HGLOBAL NewTextBlock(const std::string& text)
{
    return NewBlockOf(text);
}

HGLOBAL NewTextBlock(const std::wstring& text)
{
    return NewBlockOf(text);
}

std::string ReadClipboardText(HWND owner)
{
    if (!IsClipboardFormatAvailable(CF_TEXT))
        return std::string();
    const ClipboardSession clipboard(owner);
    if (!clipboard.IsOpen())
        return std::string();
    return OpenClipboardText<char>(CF_TEXT);
}

ClipboardTexts ReadClipboardTexts(HWND owner)
{
    ClipboardTexts texts;
    if (!IsClipboardFormatAvailable(CF_TEXT) && !IsClipboardFormatAvailable(CF_UNICODETEXT))
        return texts;
    const ClipboardSession clipboard(owner);
    if (!clipboard.IsOpen())
        return texts;
    texts.text = OpenClipboardText<char>(CF_TEXT);
    if (HoldsCopiedUnicode())
        texts.unicode = OpenClipboardText<wchar_t>(CF_UNICODETEXT);
    return texts;
}

bool WriteClipboardText(HWND owner, const std::string& text, const std::wstring& unicode)
{
    if (text.empty())
        return false;
    ScopedGlobal block(NewTextBlock(text));
    if (block.Get() == nullptr)
        return false;
    // Both blocks exist before the clipboard is emptied, so running short of
    // memory leaves the clipboard as it was.
    ScopedGlobal unicodeBlock(unicode.empty() ? nullptr : NewTextBlock(unicode));
    if (!unicode.empty() && unicodeBlock.Get() == nullptr)
        return false;
    const ClipboardSession clipboard(owner);
    if (!clipboard.IsOpen())
        return false;
    EmptyClipboard();
    // The Unicode text goes first, so that readers, this program's own
    // history among them, take it as the text that was copied. Without it
    // the system derives the Unicode text from the 8-bit one, as for the
    // user's own entries.
    if (unicodeBlock.Get() != nullptr) {
        if (SetClipboardData(CF_UNICODETEXT, unicodeBlock.Get()) == nullptr)
            return false;
        unicodeBlock.Release();  // the clipboard owns it now
    }
    if (SetClipboardData(CF_TEXT, block.Get()) == nullptr)
        return false;
    block.Release();
    return true;
}
