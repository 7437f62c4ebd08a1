#include "framework/Subclassing.h"

namespace {

struct SubclassFunctions {
    decltype(&SetWindowSubclass) set = nullptr;
    decltype(&GetWindowSubclass) get = nullptr;
    decltype(&RemoveWindowSubclass) remove = nullptr;
    decltype(&DefSubclassProc) def = nullptr;
};

template <typename Function>
void Resolve(HMODULE module, WORD ordinal, Function& function)
{
    // Through a plain function pointer type: FARPROC and the real signature
    // are unrelated function types.
    function = reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

SubclassFunctions Load()
{
    SubclassFunctions functions;
    // The comctl32 the program is bound to (version 6 through the manifest),
    // found from a function it imports by name from every version.
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&InitCommonControlsEx), &module))
        return functions;
    Resolve(module, 410, functions.set);
    Resolve(module, 411, functions.get);
    Resolve(module, 412, functions.remove);
    Resolve(module, 413, functions.def);
    return functions;
}

// The addresses never change while the module is loaded, and comctl32 stays
// loaded for the program's life.
const SubclassFunctions& Functions()
{
    static const SubclassFunctions functions = Load();
    return functions;
}

}  // namespace

namespace Subclassing {

BOOL Set(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData)
{
    return Functions().set != nullptr ? Functions().set(hwnd, proc, id, refData) : FALSE;
}

BOOL Get(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* refData)
{
    return Functions().get != nullptr ? Functions().get(hwnd, proc, id, refData) : FALSE;
}

BOOL Remove(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id)
{
    return Functions().remove != nullptr ? Functions().remove(hwnd, proc, id) : FALSE;
}

LRESULT Default(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Functions().def != nullptr ? Functions().def(hwnd, msg, wParam, lParam)
                                      : DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace Subclassing
