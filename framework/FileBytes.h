#pragma once
#include <windows.h>
#include <string>

// Reads the whole file into `bytes`; the result is 0, or the system's
// error code when the file could not be opened or read. After a read error
// `bytes` holds what was read before it.
DWORD ReadWholeFile(const std::string& path, std::string& bytes);

// The error of a file or a folder that is not there.
bool IsMissingFile(DWORD error);
