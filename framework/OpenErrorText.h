#pragma once
#include <string>

// What the user is told when a link cannot be opened: `code` is the result
// of the shell's open or of the fallback program start (32 or less).
std::string OpenErrorText(int code);

// The whole message: "Unable to open hyperlink:" and a blank line first.
std::string OpenErrorMessage(int code);
