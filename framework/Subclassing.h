#pragma once
#include <windows.h>

// Window subclassing by exchanging the window's procedure, with the chain of
// our subclasses of a window found through its GWLP_USERDATA. A message
// through a subclassed control must cost about what it costs the bare
// control: comctl32's subclassing finds its chain through a window property,
// which Wine looks up in its server on every message (tens of microseconds).
// The user data of a window of this process is read in-process.
//
// The framework owns the user data of the windows it subclasses; a window
// whose user data holds something else is not subclassed. Every subclass has
// a procedure of its own (by its depth in the window's chain), so a
// subclass of someone else's between two of ours passes each message on to
// the right one of ours. A subclass let go while someone else's procedure
// still calls it stays in the chain and passes messages on, until it can be
// taken out or the window is destroyed.
namespace Subclassing {

struct Link;

// Receives the messages of one subclass, `context` being what Attach was
// given. It passes what it leaves alone on with CallPrevious. At
// WM_NCDESTROY the subclass ends after the handler returns.
using Handler = LRESULT (*)(void* context, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Puts the handler on top of the window's procedure; null when it cannot.
Link* Attach(HWND hwnd, Handler handler, void* context);
// The handler sees no more messages. `link` must not be used after.
void Detach(HWND hwnd, Link* link);
// The procedure that was the window's before the subclass.
LRESULT CallPrevious(const Link* link, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The context of the topmost handler of ours on the window, or null.
void* TopContext(HWND hwnd);

}  // namespace Subclassing
