#pragma once
#include <windows.h>
#include <string>

// Plain text to and from the clipboard, on behalf of the window `owner`.
// Another program may hold the clipboard open for a moment; both wait for
// it briefly before they give up.

// The clipboard's text (CF_TEXT, which the system also provides from the
// other text forms), up to its first zero byte; empty when it holds none.
std::string ReadClipboardText(HWND owner);

// Replaces the clipboard's content with `text`. An empty text leaves the
// clipboard as it was. False when the clipboard stayed busy or memory ran
// short.
bool WriteClipboardText(HWND owner, const std::string& text);
