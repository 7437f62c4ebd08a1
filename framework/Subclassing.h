#pragma once
#include <windows.h>
#include <commctrl.h>

// comctl32's window subclassing, reached by the functions' documented
// ordinals: comctl32 exports them by name only from version 6, and an import
// by name would keep the program from starting on a Windows whose comctl32
// has them by ordinal alone. Each returns what the function of that name
// returns, or FALSE (0) when comctl32 lacks it.
namespace Subclassing {
BOOL Set(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData);
BOOL Get(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* refData);
BOOL Remove(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id);
LRESULT Default(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
}
