#pragma once
#include <windows.h>

// Loads the common controls' library and registers its classes (the tree,
// the up-down and hotkey controls, tooltips). The program loads the library
// only when it first needs it, not with the program: a program that lives
// in the tray starts without it. Cheap once done; the library then stays
// for the life of the process, as the controls it made do.
void LoadCommonControls();

// A function of that library, the library loaded first; null when it could
// not be loaded. `Function` is the pointer type the library's header gives
// it (decltype(&ImageList_Create)).
FARPROC CommonControlsProc(const char* name);
template <typename Function>
Function CommonControlsFunction(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(CommonControlsProc(name)));
}
