#pragma once
#include "framework/Handles.h"
#include "framework/WinApp.h"

// Start-up: one instance per logon session, then the configuration dialog
// runs modally for the whole life of the process.
class CQuipMarkApp : public CWinApp {
protected:
    int InitInstance() override;

private:
    // False when another instance runs; it was brought to the front.
    bool FirstInstance();
    static HWND FindRunningInstance();
    static void ShowRunningInstance();

    // Held from the start to the end of the instance that runs: two starts
    // at the same moment would both find no window yet.
    ScopedHandle m_instanceMutex;
};
