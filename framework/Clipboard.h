#pragma once
#include <windows.h>
#include <string>

// Plain text to and from the clipboard, on behalf of the window `owner`.
// Another program may hold the clipboard open for a moment; both wait for
// it briefly before they give up.

// A movable memory block holding `text` and its terminating zero, as the
// clipboard and drag and drop pass text; null when memory ran short.
HGLOBAL NewTextBlock(const std::string& text);
HGLOBAL NewTextBlock(const std::wstring& text);

// The clipboard's text (CF_TEXT, which the system also provides from the
// other text forms), up to its first zero byte; empty when it holds none.
std::string ReadClipboardText(HWND owner);

// The clipboard's text in both forms, read at one opening so that they
// belong together: the 8-bit text as ReadClipboardText gives it, and the
// Unicode text (CF_UNICODETEXT) with every character that was copied. The
// Unicode text is empty when the clipboard holds none, or only one that the
// system derived from the 8-bit text.
struct ClipboardTexts {
    std::string text;
    std::wstring unicode;
};
ClipboardTexts ReadClipboardTexts(HWND owner);

// Replaces the clipboard's content with `text`, and `unicode` beside it
// when that is not empty, so that programs reading Unicode get every
// character of it. False when the clipboard stayed busy or memory ran
// short, and for an empty text, which leaves the clipboard as it was: there
// was nothing to hand out.
bool WriteClipboardText(HWND owner, const std::string& text, const std::wstring& unicode = std::wstring());
