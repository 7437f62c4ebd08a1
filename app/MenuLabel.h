#pragma once
#include <string>

// A label as the popup menu shows it at menu width `width`: a label longer
// than `width` bytes becomes its first width - 3 bytes and "...".
std::string ShortenLabel(const std::string& label, int width);
