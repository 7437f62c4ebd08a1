#pragma once
#include "entries/TextBoundary.h"
#include <string>

// A label as the popup menu shows it at menu width `width`: a label longer
// than `width` bytes becomes as many of its first characters as fit in
// width - 3 bytes and "...". A double-byte character of the code page
// `isLeadByte` tells is kept whole or left off.
std::string ShortenLabel(const std::string& label, int width, LeadByteTest isLeadByte = nullptr);

// The same for a Unicode label, counted in characters as the user sees them
// (TextBoundary.h): a letter with its accents, an emoji of several joined
// ones or a flag is one character and is never split.
std::wstring ShortenLabel(const std::wstring& label, int width);
