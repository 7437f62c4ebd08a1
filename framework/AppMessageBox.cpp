#include "framework/AppMessageBox.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {

UINT WithDefaultIcon(UINT type)
{
    if ((type & MB_ICONMASK) != 0)
        return type;
    switch (type & MB_TYPEMASK) {
    case MB_OK: case MB_OKCANCEL: case MB_YESNO: case MB_YESNOCANCEL:
        return type | MB_ICONEXCLAMATION;
    default:
        return type;
    }
}

}  // namespace

std::string SystemReason(DWORD error)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length != 0 && text != nullptr ? std::string(text, length) : std::string();
    if (text != nullptr)
        LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    if (reason.empty())
        reason = "System error " + std::to_string(error) + ".";
    return reason;
}

int AppMessageBox(const std::string& text, UINT type)
{
    CWinApp* app = CWinApp::Get();
    HWND owner = nullptr;
    if (app != nullptr && app->MainWnd() != nullptr && app->MainWnd()->Handle() != nullptr)
        owner = GetLastActivePopup(app->MainWnd()->Handle());
    const std::string caption = app != nullptr ? app->Name() : std::string();
    return MessageBoxA(owner, text.c_str(), caption.c_str(), WithDefaultIcon(type));
}

void ReportFileError(const std::string& path, DWORD error)
{
    AppMessageBox("Unable to save " + (path.empty() ? std::string("the data file") : path) +
                      ".\n" + SystemReason(error) +
                      "\n\nThe previous file is unchanged and your changes are still unsaved.",
                  MB_OK | MB_ICONEXCLAMATION);
}

void ReportFileReadError(const std::string& path, DWORD error)
{
    AppMessageBox("Unable to read " + path + ".\n" + SystemReason(error) +
                      "\n\nOnly what could be read is shown. The file itself is left as it is; "
                      "before it is next saved, its content is kept as " + path + ".bak.",
                  MB_OK | MB_ICONEXCLAMATION);
}
