#pragma once
// Helpers of the tests of the entry tree, its drops, its menus and the
// clipboard history: a shown dialog with entries made directly in the model,
// pointer placement over items, drags run through the platform's drag loop,
// and clipboard writes as other programs make them.
#include "GuiTestSupport.h"
#include <string>
#include <utility>
#include <vector>

class ClipboardWindow;

// Presses or releases a mouse button through the input queue.
void SendButton(DWORD flags);

class TreeTest : public DialogTest {
protected:
    // Starts the dialog and keeps it shown, so items have places on screen.
    void ShowDialog();
    HTREEITEM Root() { return Tree().Root(); }
    HTREEITEM Branch() { return Tree().Reveal(Entries().ClipboardBranch()); }
    // A new entry as the last child of `parent`, expanded into view.
    HTREEITEM AddItem(HTREEITEM parent, const std::string& text);
    std::string Label(HTREEITEM item) { return Tree().Label(item); }
    std::string FullText(HTREEITEM item) { return Entries().Text(Tree().EntryOf(item)); }
    // The labels the tree shows for the entries of `parent`.
    std::vector<std::string> ChildLabels(HTREEITEM parent);
    // The label as Unicode, which keeps what the code page cannot.
    std::wstring UnicodeLabel(HTREEITEM item);
    std::vector<std::wstring> ChildUnicodeLabels(HTREEITEM parent);
    bool IsExpanded(HTREEITEM item);
    // Renames through the tree's own label editing; `commit` false cancels.
    void Rename(HTREEITEM item, const std::wstring& text, bool commit = true);

    // Screen point in the middle of an item's label.
    POINT LabelPoint(HTREEITEM item);
    void PointAt(HTREEITEM item) { const POINT p = LabelPoint(item); SetCursorPos(p.x, p.y); }
    // The pointer on the tree's empty space below its last row.
    void PointBelowTheRows();
    // A drag of text from elsewhere, dropped where the pointer is.
    // With `unicode`, the drag offers the Unicode text beside the 8-bit one,
    // or alone when `text` is empty.
    DWORD DropFromElsewhere(const std::string& text, const std::wstring& unicode = std::wstring());
    // The tree's own drag of `item`, dropped where the pointer is.
    void DragOwnItem(HTREEITEM item);
    // The tree's context menu as a right click on `item` opens it, or on the
    // empty space below the rows for null; closed with no choice.
    std::vector<MenuItemSnapshot> RightClick(HTREEITEM item);

    // The history list box, newest first.
    std::vector<std::string> History();
    // A text copied by another program, recorded and shown in the expanded
    // clipboard branch; the item of its history entry, null when it never came.
    HTREEITEM CopyIntoHistory(ClipboardWindow& writer, const std::string& text);
};

// A hidden window of the test that writes to the clipboard as another
// program would, and optionally joins the clipboard viewer chain.
class ClipboardWindow {
public:
    ClipboardWindow();
    ~ClipboardWindow();
    ClipboardWindow(const ClipboardWindow&) = delete;
    ClipboardWindow& operator=(const ClipboardWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    // Puts text on the clipboard, with extra formats each holding a DWORD.
    bool PutText(const std::string& text, const std::vector<std::pair<std::string, DWORD>>& marks = {});
    // Puts only Unicode text on the clipboard, as programs of today do; the
    // system provides the 8-bit text from it.
    bool PutUnicodeText(const std::wstring& text, const std::vector<std::pair<std::string, DWORD>>& marks = {});
    // Puts each block in the order given, as the program would that
    // copies: the format and the bytes of its data.
    bool PutBlocks(const std::vector<std::pair<UINT, std::string>>& blocks);
    bool PutBitmap();
    void JoinChain();
    void LeaveChain();

    int Draws() const { return m_draws; }
    HWND NextViewer() const { return m_next; }
    const std::vector<std::pair<HWND, HWND>>& ChainChanges() const { return m_changes; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool Open();
    bool Put(UINT format, const void* data, size_t size, const std::vector<std::pair<std::string, DWORD>>& marks);
    HWND m_hwnd = nullptr;
    HWND m_next = nullptr;
    bool m_inChain = false;
    int m_draws = 0;
    std::vector<std::pair<HWND, HWND>> m_changes;
};

// Holds the clipboard open from another thread for `ms` milliseconds, as a
// busy program would.
class ClipboardHolder {
public:
    explicit ClipboardHolder(DWORD ms);
    ~ClipboardHolder();
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;
    bool Holding() const { return m_holding; }

private:
    static DWORD WINAPI Run(LPVOID self);
    DWORD m_ms;
    HANDLE m_opened;
    HANDLE m_thread;
    bool m_holding = false;
};
