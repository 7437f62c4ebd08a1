#pragma once
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "framework/ImageList.h"
#include "app/NotifyHotKeyCtrl.h"
#include "entries/TextTable.h"
#include "res/resource.h"
#include "tree/DragDropTreeCtrl.h"
#include "tree/DragEdit.h"
#include "history/HistoryState.h"
#include "tree/OleMyDropTarget.h"
#include <string>
#include <vector>

// The tray icon's callback message.
const UINT WM_TRAY_NOTIFY = WM_USER + 10;
// Commands of the popup menu's entry items, 1325 and up; the dialog takes
// the whole range.
const UINT kFirstMenuCommand = 1324;
const UINT kLastMenuCommand = 1824;
static_assert(kLastMenuCommand - kFirstMenuCommand == TextTable::kNumberedMenuItems,
              "every numbered menu item has a command of the dialog's range");
const int kMaxTreeItems = 500;
// The tree shows at most this much of a label, as the system's tree view
// displays no more; the full text stays whole in the text table.
const size_t kLongestLabel = 259;

// The configuration dialog: the program's only top-level window, normally
// hidden. It owns the entry model (tree and text table), receives the tray
// icon's callbacks, the global hotkey and the clipboard viewer messages.
//
// Its members are defined in app/, one file for each concern: lifecycle
// (QuipMarkDlg.cpp), tray menu, hand-out, hotkey, entry model, data file,
// editing commands, search panel, clipboard history and settings. The rules
// they follow live in plain classes: the text table (entries/), the
// history's state (tree/) and the stored settings (settings/).
class CQuipMarkDlg : public CDialog, public IEntryTreeOwner {
public:
    explicit CQuipMarkDlg(HWND parent = nullptr);
    ~CQuipMarkDlg() override;

    // Lifecycle
    void ShowConfiguration();
    void HideConfiguration();

    // Tray icon and popup menu
    void SetTrayIcon(bool add);
    LRESULT OnTrayNotify(UINT source, LONG mouseMessage);
    // The popup menu of the tree as it is now: entries, then the program's
    // commands for `source` (0 the tray icon, 1 the hotkey).
    ScopedMenu BuildTrayMenu(UINT source);

    // Handing out an entry
    // Hands out the entry of a popup menu's command; false when nothing was
    // handed out, with the warning sound where the item's entry had gone.
    bool OnMenuCmd(UINT id);
    // Puts `text` on the clipboard, with `unicode` beside it when a history
    // entry has one; false, with the warning sound, when it could not (an
    // empty text included).
    bool CopyToClipboard(const std::string& text, const std::wstring& unicode = std::wstring());
    // The clipboard's text; empty when it holds none. Both wait briefly
    // while another program holds the clipboard.
    std::string PasteFromClipboard();

    // Global hotkey
    LRESULT OnHotKey(UINT id, LONG keyData);

    // Entry model
    std::string GetItemText(int index) const;
    std::string EntryText(HTREEITEM item) const override;
    std::wstring EntryUnicodeText(HTREEITEM item) const override;
    int SetItemText(const std::string& text);
    int ClassifyItem(HTREEITEM item) const;
    void DeleteEntryItem(HTREEITEM item);
    void PushUndoText(const std::string& text, bool clearFirst);
    void RefreshButtons();
    // Every item's image and the item counter, for when the whole tree
    // changed (loading, importing).
    void RefreshImagesAndCount();
    // The images of `item`, its children and its parent, after a change
    // there; every other item keeps its image.
    void RefreshImagesAround(HTREEITEM item);
    void RefreshCount();
    // Inserts an item bound to a new text-table slot holding `text`; its
    // label is `label` on one line, cut to kLongestLabel.
    HTREEITEM InsertEntry(HTREEITEM parent, HTREEITEM after, const std::string& label,
                          const std::string& text, int image) override;
    void OnEntriesDropped(HTREEITEM inserted) override;

    // Data file. SaveEntries is false when a file error was reported.
    bool LoadEntries();
    bool SaveEntries();

    // Editing commands
    bool AddEntry(const std::string& text) override;
    void RemoveSelectedEntry() override;
    void UndoRemove();
    void DeliverEntry(HTREEITEM item) override;
    std::string ReadClipboardText() override;

    // Search panel
    void ToggleSearchPanel();

    // Clipboard history
    void RecordClipboard();
    void RebuildClipboardBranch();
    void ClearClipboardHistory() override;

    // Settings. SaveSettings is false when saving the entries failed.
    void LoadSettings();
    bool SaveSettings();
    bool ImportRegistryLists();
    // After a save: the lists taken in from the registry are in the data
    // file now, so their keys go.
    void DeleteImportedLists();
    void OnAlwaysOnTop();
    void OnSaveOnExit();

    // The modified flag: the Save button's enabled state.
    bool IsModified() const { return IsItemEnabled(IDC_SAVE); }
    void SetModified(bool modified) const { EnableItem(IDC_SAVE, modified); }

    CDragDropTreeCtrl& Tree() { return m_tree; }
    HTREEITEM ClipboardBranch() const { return m_clipboardBranch; }
    const std::string& DataPath() const { return m_dataPath; }
    // Points the data file elsewhere; takes effect for loads and saves after it.
    void UseDataPath(const std::string& path) { m_dataPath = path; }
    size_t TextTableSize() const { return m_texts.Size(); }
    size_t UndoCount() const { return m_texts.UndoTexts().size(); }
    DWORD RegisteredHotkey() const { return m_registeredHotkey; }

protected:
    void DoDataExchange() override;
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The exit path.
    void OnOK() override;
    // Escape and close requests through the dialog manager do nothing.
    void OnCancel() override {}

private:
    void OnPaint();
    void OnSysCommand(WPARAM command, LPARAM lParam);
    LRESULT OnQueryEndSession();
    void OnEndSession();
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnAbout();
    void OnAddCommand();
    void OnRenameCommand();
    void OnEndLabelEdit(NMTVDISPINFOA* info);
    void OnTreeDoubleClick();
    void OnFindTextChanged();
    void OnFind(bool forward);
    void OnChangeCbChain(HWND removed, HWND following);
    void OnDrawClipboard();
    void CreateFixedItems();
    void CreateImageList();
    int ImageOf(HTREEITEM item) const;
    // Brings the list box and the branch in step with a change of the
    // history; `slot` holds the text the change added, if any.
    void ApplyHistoryChange(const HistoryChange& change, int slot);
    // Inserts the history entry of text-table slot `slot` into the clipboard
    // branch after `after`, labelled with its Unicode text when it has one;
    // the slot is released when the item could not be made.
    HTREEITEM InsertHistoryItem(HTREEITEM after, int slot);
    // The history entry at `position` in the branch, newest first.
    HTREEITEM HistoryItem(int position) const;
    void AppendEntryItems(HMENU menu);
    // Keeps a data file that was not loaded whole as its newest backup
    // before a save replaces it; 0, or the error that must stop the save,
    // with the backup that could not be written in `failedPath`.
    DWORD KeepUnloadedOriginal(std::string& failedPath) const;

    DWORD m_registeredHotkey = 0;
    // The entries' full texts, the undo store and the open menu's items.
    TextTable m_texts;
    COleMyDropTarget m_treeDropTarget;
    COleMyDropTarget m_editDropTarget;
    HTREEITEM m_clipboardBranch = nullptr;
    std::string m_dataPath;
    int m_searchPanel = 0;
    HWND m_nextViewer = nullptr;
    CNotifyHotKeyCtrl m_hotkey;
    CListBox m_history;
    // The texts of the history list box, newest first, kept beside it so
    // that long texts need not be read back out of it.
    HistoryState m_historyState;
    CButton m_saveOnExit;
    CEdit m_findEdit;
    CSpinButtonCtrl m_itemCountSpin;
    CDragDropTreeCtrl m_tree;
    CEdit m_menuWidthEdit;
    CSpinButtonCtrl m_menuWidthSpin;
    CEdit m_copyEdit;
    CDragEdit m_newEntry;
    // The application icon at the large size (task switcher, minimised
    // window) and the small one (caption, tray, the tree's root).
    ScopedIcon m_icon;
    ScopedIcon m_smallIcon;
    CImageList m_images;
    // Sent to every top-level window when the taskbar (re)starts.
    UINT m_taskbarCreated;
    // The end of a label edit is being handled; its question may be open.
    bool m_endingLabelEdit = false;
    // What the 8-bit labels show for a run of line breaks.
    std::string m_lineBreakMark;
    // The data file holds more than was loaded (it could not be read, or
    // was damaged and could not be copied aside): its bytes go to the .bak
    // file before the next save replaces them.
    bool m_originalUnsaved = false;
    // Lists taken in from the registry whose keys stay until a save holds them.
    std::vector<std::string> m_importedLists;
    // The exit path's question or save error is on the screen.
    bool m_inExitPath = false;
    // A popup menu of entries is open; its ids name the text table's menu
    // items.
    bool m_menuOpen = false;
};
