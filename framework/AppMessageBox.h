#pragma once
#include <windows.h>
#include <string>

// A message box captioned with the application's name and owned by its main
// window. Asked for without an icon, a box with OK, OK/Cancel, Yes/No or
// Yes/No/Cancel buttons gets the exclamation icon.
int AppMessageBox(const std::string& text, UINT type = MB_OK);

// The system's text for `error`, without the line break at its end.
std::string SystemReason(DWORD error);

// Tells the user that a file could not be written: names the file and the
// system's reason for `error`.
void ReportFileError(const std::string& path, DWORD error);

// Tells the user that an existing file could not be read: names the file,
// the system's reason for `error`, and where its content is kept.
void ReportFileReadError(const std::string& path, DWORD error);
