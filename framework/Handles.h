#pragma once
// Owners for what Windows hands out in pairs: each pair is written once,
// here, and every other place holds an owner instead of a raw handle.
#include <windows.h>

// A kernel handle (a file, a process) closed when it goes. Close reports
// whether closing worked, which matters for files written through it.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~ScopedHandle() { Close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE Get() const { return m_handle; }
    void Reset(HANDLE handle)
    {
        Close();
        m_handle = handle;
    }
    bool Close()
    {
        const bool ok = !IsValid() || CloseHandle(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_handle;
};

// A registry key this program opened itself. Keys handed in from outside
// (the predefined roots) are never put in one.
class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey()
    {
        if (m_key != nullptr)
            RegCloseKey(m_key);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    // Where an opening call stores the key.
    HKEY* Receive() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// A global memory block locked for as long as this lives; Get() is null
// when locking failed.
template <typename T>
class GlobalLockOf {
public:
    explicit GlobalLockOf(HGLOBAL block) : m_block(block), m_data(static_cast<T*>(GlobalLock(block))) {}
    ~GlobalLockOf()
    {
        if (m_data != nullptr)
            GlobalUnlock(m_block);
    }
    GlobalLockOf(const GlobalLockOf&) = delete;
    GlobalLockOf& operator=(const GlobalLockOf&) = delete;

    T* Get() const { return m_data; }
    // The block's size in bytes, which may exceed what was asked for.
    SIZE_T Size() const { return GlobalSize(m_block); }

private:
    HGLOBAL m_block;
    T* m_data;
};

// A movable global memory block that is freed unless handed on with
// Release() (to the clipboard, to a data object).
class ScopedGlobal {
public:
    explicit ScopedGlobal(HGLOBAL block = nullptr) : m_block(block) {}
    ~ScopedGlobal()
    {
        if (m_block != nullptr)
            GlobalFree(m_block);
    }
    ScopedGlobal(const ScopedGlobal&) = delete;
    ScopedGlobal& operator=(const ScopedGlobal&) = delete;

    HGLOBAL Get() const { return m_block; }
    HGLOBAL Release()
    {
        HGLOBAL block = m_block;
        m_block = nullptr;
        return block;
    }

private:
    HGLOBAL m_block;
};

// A menu destroyed with its submenus when it goes, unless handed on with
// Release() (a submenu inserted into its parent belongs to the parent).
class ScopedMenu {
public:
    explicit ScopedMenu(HMENU menu = nullptr) : m_menu(menu) {}
    ~ScopedMenu()
    {
        if (m_menu != nullptr)
            DestroyMenu(m_menu);
    }
    ScopedMenu(ScopedMenu&& other) noexcept : m_menu(other.Release()) {}
    ScopedMenu& operator=(ScopedMenu&& other) noexcept
    {
        if (this != &other) {
            if (m_menu != nullptr)
                DestroyMenu(m_menu);
            m_menu = other.Release();
        }
        return *this;
    }
    ScopedMenu(const ScopedMenu&) = delete;
    ScopedMenu& operator=(const ScopedMenu&) = delete;

    HMENU Get() const { return m_menu; }
    explicit operator bool() const { return m_menu != nullptr; }
    HMENU Release()
    {
        HMENU menu = m_menu;
        m_menu = nullptr;
        return menu;
    }

private:
    HMENU m_menu;
};

// A window's device context from GetDC, released when it goes.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~ScopedGetDC()
    {
        if (m_dc != nullptr)
            ReleaseDC(m_window, m_dc);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// A window's painting, from BeginPaint to EndPaint.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
    ~ScopedPaint() { EndPaint(m_window, &m_paint); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint = {};
    HDC m_dc;
};

// A handle of type T that `Free` gives back when it goes or is replaced.
template <typename T, void (*Free)(T)>
class ScopedResource {
public:
    explicit ScopedResource(T handle = nullptr) : m_handle(handle) {}
    ~ScopedResource() { Reset(nullptr); }
    ScopedResource(const ScopedResource&) = delete;
    ScopedResource& operator=(const ScopedResource&) = delete;

    T Get() const { return m_handle; }
    void Reset(T handle)
    {
        if (m_handle != nullptr)
            Free(m_handle);
        m_handle = handle;
    }

private:
    T m_handle;
};

template <typename T>
void FreeGdiObject(T object)
{
    DeleteObject(object);
}
inline void FreeIcon(HICON icon) { DestroyIcon(icon); }

// A GDI object this program created (a font, a brush), deleted when it goes.
template <typename T>
using ScopedGdiObject = ScopedResource<T, FreeGdiObject<T>>;
// An icon this program loaded for itself (not a shared one), destroyed when
// it goes.
using ScopedIcon = ScopedResource<HICON, FreeIcon>;
inline void FreeWinEventHook(HWINEVENTHOOK hook) { UnhookWinEvent(hook); }
// A hook on the system's window events, removed when it goes.
using ScopedWinEventHook = ScopedResource<HWINEVENTHOOK, FreeWinEventHook>;

// An object selected into a device context, the previous one selected back
// when this goes. A null object selects nothing.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_previous(dc != nullptr && object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect()
    {
        if (m_previous != nullptr)
            SelectObject(m_dc, m_previous);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The clipboard, open on behalf of `owner` for as long as this lives.
// Another program may hold it for a moment, so opening waits briefly for it
// (about half a second) before it gives up; IsOpen() says which it was.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner)
    {
        const int kAttempts = 20;
        const DWORD kRetryMs = 25;
        for (int attempt = 1; !m_open; ++attempt) {
            m_open = OpenClipboard(owner) != FALSE;
            if (m_open || attempt >= kAttempts)
                break;
            Sleep(kRetryMs);
        }
    }
    ~ClipboardSession()
    {
        if (m_open)
            CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;

    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};
