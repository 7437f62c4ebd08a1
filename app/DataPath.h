#pragma once
#include <string>

// The data file's path for a program file name: "quipmark.dat" in the
// program's folder, or empty when the name holds no backslash.
std::string DataPathForModule(const std::string& modulePath);
