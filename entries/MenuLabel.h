#pragma once
#include <string>

// A label as the popup menu shows it at menu width `width`: a label longer
// than `width` bytes becomes its first width - 3 bytes and "...".
std::string ShortenLabel(const std::string& label, int width);

// The same for a Unicode label, counted in characters: a surrogate pair is
// one character and is never split.
std::wstring ShortenLabel(const std::wstring& label, int width);
