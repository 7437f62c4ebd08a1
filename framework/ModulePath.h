#pragma once
#include <string>

// Pieces of a Windows program file name such as "C:\Tools\quipmark.exe".
// Only the backslash separates folders, as in the paths the system reports.

// "quipmark" for "C:\Tools\quipmark.exe"; the whole name when it has no
// folder or no extension.
std::string FileTitleOf(const std::string& modulePath);

// "C:\Tools\" for "C:\Tools\quipmark.exe": everything up to and including the
// last backslash; empty when there is none.
std::string FolderOf(const std::string& modulePath);
