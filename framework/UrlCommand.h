#pragma once
#include <string>

// The command line that opens a link with the program registered for web
// pages, when the shell cannot open it itself.

// Class name, command template and address together may take this many
// characters; a longer set is refused rather than started cut short.
const size_t kFallbackCommandLimit = 520;

// The code an over-long command is reported with: the system's "command
// length is incorrect", an error like the shell's own (32 or less).
const int kFallbackCommandTooLong = 24;

// Cuts the template at its placeholder ("%1" in double quotes, else a bare
// "%1"; the placeholder and everything after it go) and appends a blank and
// the address. A template without a placeholder keeps its whole text. False,
// with `command` left alone, when the parts exceed kFallbackCommandLimit.
bool BuildFallbackCommand(const std::string& className, const std::string& commandTemplate,
                          const std::string& url, std::string& command);
