#pragma once
#include "framework/WinApp.h"

// Start-up: one instance per desktop, then the configuration dialog runs
// modally for the whole life of the process.
class CQuipMarkApp : public CWinApp {
protected:
    int InitInstance() override;

private:
    // False when another instance was found and brought to the front.
    static bool FirstInstance();
    static HWND FindRunningInstance();
};
