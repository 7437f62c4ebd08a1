#include "TreeMessages.h"

namespace {

const char kCountingProperty[] = "QuipmarkBenchCounting";

struct Counting {
    WNDPROC previous;
    size_t messages;
};

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Counting* counting = static_cast<Counting*>(GetPropA(hwnd, kCountingProperty));
    ++counting->messages;
    return CallWindowProcA(counting->previous, hwnd, msg, wParam, lParam);
}

}  // namespace

size_t TreeMessagesDuring(CQuipMarkDlg& dialog, const std::function<void()>& work)
{
    HWND tree = dialog.Tree().Handle();
    Counting counting = {reinterpret_cast<WNDPROC>(GetWindowLongPtrA(tree, GWLP_WNDPROC)), 0};
    SetPropA(tree, kCountingProperty, &counting);
    SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc));
    work();
    SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting.previous));
    RemovePropA(tree, kCountingProperty);
    return counting.messages;
}
