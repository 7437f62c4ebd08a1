#include "framework/Subclassing.h"
#include <new>

namespace Subclassing {

struct Link {
    Handler handler = nullptr;  // null once let go: the link only passes messages on
    void* context = nullptr;
    WNDPROC previous = nullptr;
    Link* below = nullptr;  // the next link of ours down the chain
    unsigned depth = 0;     // which of the procedures is this link's
    bool unicode = true;    // how the window was before: how to give the procedure back
};

}  // namespace Subclassing

using Subclassing::Handler;
using Subclassing::Link;

namespace {

// Names the top link too, so that the user data of a window under someone
// else's procedure can be told to be ours; set and read only when a
// subclass begins or ends, never per message.
const wchar_t kChainProperty[] = L"QuipmarkSubclassChain";

const unsigned kDepths = 8;

LRESULT Dispatch(unsigned depth, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

template <unsigned Depth>
LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Dispatch(Depth, hwnd, msg, wParam, lParam);
}

const WNDPROC kProcedures[kDepths] = {Procedure<0>, Procedure<1>, Procedure<2>, Procedure<3>,
                                      Procedure<4>, Procedure<5>, Procedure<6>, Procedure<7>};

bool IsOurProcedure(WNDPROC procedure)
{
    for (WNDPROC ours : kProcedures)
        if (procedure == ours)
            return true;
    return false;
}

WNDPROC CurrentProcedure(HWND hwnd)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

// Only for a window whose procedure or chain is known to be ours.
Link* Top(HWND hwnd)
{
    return reinterpret_cast<Link*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The top link of the window's chain, or null when the window has none or
// its user data is someone else's.
Link* OurTop(HWND hwnd)
{
    const LONG_PTR data = GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    if (data == 0)
        return nullptr;
    if (IsOurProcedure(CurrentProcedure(hwnd)) ||
        GetPropW(hwnd, kChainProperty) == reinterpret_cast<HANDLE>(data))
        return reinterpret_cast<Link*>(data);
    return nullptr;
}

void SetTop(HWND hwnd, Link* top)
{
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(top));
    if (top != nullptr)
        SetPropW(hwnd, kChainProperty, top);
    else
        RemovePropW(hwnd, kChainProperty);
}

void GiveBackProcedure(HWND hwnd, const Link* link)
{
    const LONG_PTR previous = reinterpret_cast<LONG_PTR>(link->previous);
    if (link->unicode)
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, previous);
    else
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, previous);
}

// Takes out the links that were let go and that nothing calls any more but
// the window or a link of ours right above.
void Compact(HWND hwnd)
{
    for (Link* top = Top(hwnd); top != nullptr && top->handler == nullptr &&
                                CurrentProcedure(hwnd) == kProcedures[top->depth];
         top = Top(hwnd)) {
        GiveBackProcedure(hwnd, top);
        SetTop(hwnd, top->below);
        delete top;
    }
    for (Link* above = Top(hwnd); above != nullptr && above->below != nullptr;) {
        Link* link = above->below;
        if (link->handler == nullptr && above->previous == kProcedures[link->depth]) {
            above->previous = link->previous;
            above->below = link->below;
            delete link;
        } else {
            above = link;
        }
    }
}

void FreeChain(HWND hwnd)
{
    for (Link* link = Top(hwnd); link != nullptr;) {
        Link* below = link->below;
        delete link;
        link = below;
    }
    SetTop(hwnd, nullptr);
}

// A link is never used after its handler or the previous procedure was
// called: either may end the subclass or destroy the window.
LRESULT Dispatch(unsigned depth, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Link* link = Top(hwnd);
    while (link != nullptr && link->depth != depth)
        link = link->below;
    if (link == nullptr)  // the chain was broken by someone else
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The topmost link reached frees the chain, after every procedure
        // below it has run.
        const Handler handler = link->handler;
        link->handler = nullptr;
        const LRESULT result = handler != nullptr ? handler(link->context, hwnd, msg, wParam, lParam)
                                                  : CallWindowProcW(link->previous, hwnd, msg, wParam, lParam);
        if (link == Top(hwnd))
            FreeChain(hwnd);
        return result;
    }
    if (link->handler == nullptr)
        return CallWindowProcW(link->previous, hwnd, msg, wParam, lParam);
    return link->handler(link->context, hwnd, msg, wParam, lParam);
}

}  // namespace

namespace Subclassing {

Link* Attach(HWND hwnd, Handler handler, void* context)
{
    if (hwnd == nullptr || handler == nullptr || !IsWindow(hwnd))
        return nullptr;
    Link* top = OurTop(hwnd);
    if (top == nullptr && GetWindowLongPtrW(hwnd, GWLP_USERDATA) != 0)
        return nullptr;
    if (top != nullptr) {
        Compact(hwnd);
        top = Top(hwnd);
    }
    const unsigned depth = top != nullptr ? top->depth + 1 : 0;
    if (depth >= kDepths)
        return nullptr;
    Link* link = new (std::nothrow) Link;
    if (link == nullptr)
        return nullptr;
    link->handler = handler;
    link->context = context;
    link->below = top;
    link->depth = depth;
    link->unicode = IsWindowUnicode(hwnd) != FALSE;
    // Exchanging the procedure sends no message: the link is complete
    // before the first one arrives.
    SetLastError(ERROR_SUCCESS);
    const LONG_PTR previous = SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kProcedures[depth]));
    if (previous == 0 && GetLastError() != ERROR_SUCCESS) {
        delete link;
        return nullptr;
    }
    link->previous = reinterpret_cast<WNDPROC>(previous);
    SetTop(hwnd, link);
    return link;
}

void Detach(HWND hwnd, Link* link)
{
    if (link == nullptr)
        return;
    link->handler = nullptr;
    link->context = nullptr;
    // A window destroyed past our procedures leaves its links behind.
    if (IsWindow(hwnd) && OurTop(hwnd) != nullptr)
        Compact(hwnd);
}

LRESULT CallPrevious(const Link* link, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(link->previous, hwnd, msg, wParam, lParam);
}

void* TopContext(HWND hwnd)
{
    for (const Link* link = OurTop(hwnd); link != nullptr; link = link->below)
        if (link->handler != nullptr)
            return link->context;
    return nullptr;
}

}  // namespace Subclassing
