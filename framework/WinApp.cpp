#include "framework/WinApp.h"
#include "framework/ModulePath.h"

CWinApp* CWinApp::s_app = nullptr;

CWinApp::CWinApp()
    : m_instance(GetModuleHandleA(nullptr))
{
    char path[MAX_PATH + 1] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    m_modulePath.assign(path, length < MAX_PATH ? length : 0);
    m_name = FileTitleOf(m_modulePath);
    s_app = this;
}

CWinApp::~CWinApp()
{
    if (s_app == this)
        s_app = nullptr;
}

int CWinApp::Run()
{
    try {
        return InitInstance();
    } catch (...) {
        return 1;
    }
}
