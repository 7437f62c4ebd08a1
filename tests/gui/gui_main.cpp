// Entry point of the in-process GUI tests: an application object of its own
// (message boxes are captioned with the test program's name), OLE and the
// common controls as the program has them.
#include "framework/WinApp.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>

namespace {
class CTestApp : public CWinApp {
protected:
    int InitInstance() override { return 0; }
};
CTestApp theApp;
}  // namespace

int main(int argc, char** argv)
{
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
