#include "framework/CommonControls.h"
#include <commctrl.h>

namespace {

// The version the program's manifest names: the name is redirected to it.
HMODULE CommonControlsLibrary()
{
    HMODULE library = GetModuleHandleW(L"comctl32.dll");
    return library != nullptr ? library : LoadLibraryW(L"comctl32.dll");
}

}  // namespace

FARPROC CommonControlsProc(const char* name)
{
    HMODULE library = CommonControlsLibrary();
    return library != nullptr ? GetProcAddress(library, name) : nullptr;
}

void LoadCommonControls()
{
    const auto initialise = CommonControlsFunction<decltype(&InitCommonControlsEx)>("InitCommonControlsEx");
    if (initialise == nullptr)
        return;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    initialise(&controls);
}
