#pragma once
#include "framework/Handles.h"
#include <string>

// Tells a window when files in a folder changed: their names, sizes or
// write times. A thread of its own waits on the system's change
// notification, costing nothing while the folder is quiet, and posts
// `message` to the window once the folder has been quiet for `settleMs`
// after a burst of changes, so that a writer that is still at work is not
// disturbed and one burst is one message. Some folders (network shares of
// some kinds) send no notifications at all: the window's own slow check
// covers those.
// How long a folder stays quiet before its changes are told.
const DWORD kFolderSettleMs = 600;

class CFolderWatch {
public:
    CFolderWatch() = default;
    ~CFolderWatch() { Stop(); }
    CFolderWatch(const CFolderWatch&) = delete;
    CFolderWatch& operator=(const CFolderWatch&) = delete;

    // Watches `folder` (its files, not its subfolders) for `window`; false,
    // with nothing watched, when the folder cannot be watched. A watch
    // already running stops first.
    bool Start(const std::string& folder, HWND window, UINT message, DWORD settleMs = kFolderSettleMs);
    // Stops the thread and waits for it; no message is posted after this.
    void Stop();
    bool IsWatching() const { return m_thread.IsValid(); }

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();

    // The change notification, closed by its own call, not CloseHandle.
    HANDLE m_change = INVALID_HANDLE_VALUE;
    ScopedHandle m_stop;
    ScopedHandle m_thread;
    HWND m_window = nullptr;
    UINT m_message = 0;
    DWORD m_settleMs = 0;
};
