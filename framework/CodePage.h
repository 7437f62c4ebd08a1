#pragma once
#include <string>

// `text` in the system's code page, the one of the 8-bit window texts; empty
// when the code page cannot hold all of it. Nothing is approximated: a
// character the code page lacks is never replaced by a look-alike.
std::string ToSystemCodePage(const std::wstring& text);

// Whether the system's code page holds every character of `text`.
bool FitsSystemCodePage(const std::wstring& text);

// Whether `byte` starts a two-byte character of the system's code page.
bool IsSystemLeadByte(unsigned char byte);

// The 8-bit text as Unicode, as the system's code page turns it.
std::wstring FromSystemCodePage(const std::string& text);
// The same into `unicode`, whose memory is used again: a text of megabytes
// then costs no fresh memory, which the system hands out a page at a time.
void FromSystemCodePageInto(const std::string& text, std::wstring& unicode);

// `text` in the system's code page with the code page's own stand-in for
// each character it lacks, as an 8-bit window text would hold it.
std::string ToSystemCodePageLossy(const std::wstring& text);

// `text` in small letters, as the user's locale maps case in every script.
std::wstring LowerCaseUnicode(const std::wstring& text);
