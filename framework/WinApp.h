#pragma once
#include <windows.h>
#include <string>

class CWnd;

// The application object. Exactly one exists, for the whole process; it is the
// only global of the program. Its name, the program file's name without the
// extension, is the caption of every message box.
class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Runs InitInstance; the process ends when it returns.
    int Run();

    HINSTANCE Instance() const { return m_instance; }
    const std::string& Name() const { return m_name; }
    const std::string& ModulePath() const { return m_modulePath; }
    CWnd* MainWnd() const { return m_mainWnd; }
    void SetMainWnd(CWnd* wnd) { m_mainWnd = wnd; }

    static CWinApp* Get() { return s_app; }

protected:
    // Start-up of the application. Its result is the process's exit code.
    virtual int InitInstance() = 0;

private:
    static CWinApp* s_app;
    HINSTANCE m_instance;
    std::string m_modulePath;
    std::string m_name;
    CWnd* m_mainWnd = nullptr;
};
