#pragma once
#include "framework/Handles.h"
#include "paste/PasteRules.h"
#include <windows.h>

// "Paste after choosing": once the chosen entry is on the clipboard, the
// focus goes back to the window the user was typing in and Ctrl+V pastes it
// there. The rules of which window and when are paste/PasteRules.h; this
// gathers their facts, follows the window in front, and takes the steps of
// a paste: at once where it can, else on a timer of the owner window, while
// the user still holds keys of the hotkey or the window is slow to come to
// the front.
class CPasteAfterChoice {
public:
    CPasteAfterChoice() = default;
    CPasteAfterChoice(const CPasteAfterChoice&) = delete;
    CPasteAfterChoice& operator=(const CPasteAfterChoice&) = delete;

    // Switched on, the windows coming to the front are followed (for the
    // tray icon's popup); switched off, nothing is followed or pasted.
    void Enable(HWND owner, bool on);
    bool IsEnabled() const { return m_on; }

    // A popup opens: from the hotkey, the window to paste into is the one in
    // front now, and `anchor` moves to its text cursor where it shows one;
    // from the tray icon, it is the last one in front before the taskbar.
    void Aim(bool fromHotkey, POINT& anchor);
    // The chosen entry is on the clipboard: paste it where aimed, once.
    void OnHandedOut();

    bool OwnsTimer(UINT_PTR id) const { return id == kTimer || id == kFollowTimer; }
    void OnTimer(UINT_PTR id);
    // The window in front may have changed (the hook's notice, or the look
    // on the timer).
    void OnForeground(HWND window);

    // The facts of `window`'s top-level window that the rules ask for.
    static PasteWindowFacts FactsOf(HWND window);

    // The steps of a paste, and the look at the window in front.
    static const UINT_PTR kTimer = 0x5F10;
    static const UINT_PTR kFollowTimer = 0x5F11;

private:
    static void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);
    // One step of a paste under way; true when it is over, done or given up.
    bool Step();
    void Stop();
    void TellElevated(HWND target);

    HWND m_owner = nullptr;
    bool m_on = false;
    ScopedWinEventHook m_foregroundHook;
    bool m_following = false;
    // The last window in front that the tray's popup may paste into.
    HWND m_lastInFront = nullptr;
    // Aimed at when a popup opened; pasted into after a choice.
    HWND m_target = nullptr;
    // A paste under way: its window, when it began, and whether the focus
    // went there already.
    HWND m_pasting = nullptr;
    DWORD m_startedAt = 0;
    bool m_focused = false;
    // The elevated window the user was last told about.
    HWND m_toldElevated = nullptr;
};
