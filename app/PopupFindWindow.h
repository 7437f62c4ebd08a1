#pragma once
#include "entries/PopupFind.h"
#include "framework/MenuLook.h"
#include "framework/PopupWnd.h"
#include <memory>
#include <string>
#include <vector>

// What the popup narrowed by typing asks of the program.
class IPopupFindOwner {
public:
    // The user chose `entry`; the popup has closed.
    virtual void OnPopupFindChoice(EntryId entry) = 0;
    // The query was cleared: the full popup again at `anchor`. The popup
    // closes once this returns.
    virtual void OnPopupFindCleared(POINT anchor) = 0;

protected:
    ~IPopupFindOwner() = default;
};

// The popup menu narrowed by typing: a window of its own that looks and
// acts like the menu it replaces, showing the lines of a PopupFind. The
// query is its first line; the first match is highlighted; keys and the
// mouse choose as in a menu.
class CPopupFindWindow : public CPopupWnd {
public:
    explicit CPopupFindWindow(IPopupFindOwner& owner) : m_owner(owner) {}

    // Opens where the menu opened (`anchor`, on the screen), within that
    // screen, with the query `first`, the character that was typed in the
    // menu. `width` is the menu width. Keys reach it through the owner's
    // message loop.
    bool Open(HWND ownerWindow, POINT anchor, std::unique_ptr<PopupFind> find, int width, wchar_t first);
    // Closes without a choice.
    void Close();
    // The owner is no longer in the foreground: the user switched away.
    void OnOwnerDeactivated();
    // The entries changed while the popup is open: it shows the matches
    // among them as they are now.
    void OnEntriesChanged();

    const std::vector<PopupFindLine>& Lines() const { return m_lines; }
    // The highlighted line's index in Lines(); -1 when none is.
    int Highlight() const { return m_highlight; }
    // Where line `index` is drawn, in the window's own coordinates.
    RECT LineRect(size_t index) const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
    void OnChar(wchar_t typed);
    void OnKeyDown(UINT key);
    void OnMouseMove(POINT point);
    void OnButtonDown(POINT point);
    void OnButtonUp(POINT point);
    void Backspace();
    void Clear();
    void Choose(int index);
    void MoveHighlight(int step);
    // Asks for the lines of the query of the moment and fits the window
    // to them.
    void Requery();
    void Place();
    int LineAt(POINT point) const;
    bool IsEntry(int index) const;

    IPopupFindOwner& m_owner;
    std::unique_ptr<PopupFind> m_find;
    std::unique_ptr<CMenuLook> m_look;
    std::wstring m_query;
    // A character's first half, which waits for its second.
    wchar_t m_highSurrogate = 0;
    std::vector<PopupFindLine> m_lines;
    int m_highlight = -1;
    int m_width = 0;
    POINT m_anchor = {0, 0};
    RECT m_workArea = {0, 0, 0, 0};
    POINT m_lastMouse = {0, 0};
    bool m_closing = false;
};
