#pragma once
#include "storage/ConflictCopies.h"
#include "storage/DataFileSync.h"
#include "storage/DataLocation.h"
#include "app/PasteAfterChoice.h"
#include "app/PopupFindWindow.h"
#include "app/PopupIndexing.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "framework/ImageList.h"
#include "framework/NotifyHotKeyCtrl.h"
#include "framework/OleSession.h"
#include "entries/EntryTree.h"
#include "entries/MenuPlan.h"
#include "entries/PopupIndex.h"
#include "res/resource.h"
#include "settings/DialogSettings.h"
#include "tree/DragEdit.h"
#include "tree/EntryTreeView.h"
#include "tree/TextDropTarget.h"
#include <string>
#include <vector>

// The tray icon's callback message.
const UINT WM_TRAY_NOTIFY = WM_USER + 10;
// The data file's folder changed (storage/DataFileSync.h).
const UINT WM_DATA_FILE_CHANGED = WM_USER + 11;
// Shows the popup menu again where the popup narrowed by typing was.
const UINT WM_POPUP_MENU_AGAIN = WM_USER + 12;
// The rest of the start, once the dialog is up (CQuipMarkDlg::FinishStart).
const UINT WM_FINISH_START = WM_USER + 13;
// Commands of the popup menu's entry items, 1325 and up; the dialog takes
// the whole range.
const UINT kFirstMenuCommand = 1324;
const UINT kLastMenuCommand = 1824;
static_assert(kLastMenuCommand - kFirstMenuCommand == MenuPlan::kNumberedItems,
              "every numbered menu item has a command of the dialog's range");

// The configuration dialog: the program's only top-level window, normally
// hidden. It owns the entries, receives the tray
// icon's callbacks, the global hotkey and the clipboard viewer messages.
//
// Its members are defined in app/, one file for each concern: lifecycle
// (QuipMarkDlg.cpp), tray menu, clipboard hand-out, hotkey, the views of the
// entries, data file, editing commands, search panel, clipboard history and
// settings. Each handler asks the entries (entries/EntryTree.h) and lets the
// views follow; the rules live there, in the history (history/) and in the
// stored settings (settings/).
class CQuipMarkDlg : public CDialog, public IEntryTreeOwner, public IPopupFindOwner {
public:
    explicit CQuipMarkDlg(HWND parent = nullptr);
    ~CQuipMarkDlg() override;

    // Lifecycle
    // What the start does once the dialog is up: the clipboard viewer
    // chain, the entries, conflict copies, the settings and the watch on the
    // data file. It runs as the first message of the dialog's loop; anything
    // that needs it sooner calls it, and it runs once.
    void FinishStart();
    // What only the dialog on the screen needs: the tree's icons, the drop
    // targets and the data-folder button's tip. The dialog starts minimised
    // and is then hidden, so they are made when it is first shown restored,
    // once; a later call does nothing.
    void PrepareView();
    void ShowConfiguration();
    void HideConfiguration();
    void PlaceEmptyFieldsCaret();

    // Tray icon and popup menu
    void SetTrayIcon(bool add);
    // The notification that tells a new user where the program is, shown
    // at the first start; with `show` false, takes it away while it is shown.
    void ShowFirstStartHint(bool show = true);
    LRESULT OnTrayNotify(UINT source, LONG mouseMessage);
    // The popup menu of the tree as it is now: entries, then the program's
    // commands for `source` (0 the tray icon, 1 the hotkey).
    ScopedMenu BuildTrayMenu(UINT source);
    // The popup menu for `source` at `at` on the screen; a printable key
    // typed in it that is no access key turns it into the popup narrowed by
    // typing.
    void ShowTrayMenu(UINT source, POINT at);
    // The popup narrowed by typing, while it is open.
    const CPopupFindWindow& PopupFindWindow() const { return m_popupFind; }

    // Handing out an entry
    // Hands out the entry of a popup menu's command; false when nothing was
    // handed out, with the warning sound where the item's entry had gone.
    bool OnMenuCmd(UINT id);
    // Hands out `entry` as a popup menu's item does.
    bool HandOutEntry(EntryId entry);
    // Puts `text` on the clipboard, with `unicode` beside it when the entry
    // has one; false, with the warning sound, when it could not (an empty
    // text included). It waits briefly while another program holds the
    // clipboard.
    bool CopyToClipboard(const std::string& text, const std::wstring& unicode = std::wstring());

    // Global hotkey
    LRESULT OnHotKey(UINT id, LONG keyData);

    // The entries and their views
    const EntryTree& Entries() const { return m_entries; }
    // Brings the tree, the counter and the buttons in step with a change of
    // the entries.
    void Follow(const EntryChange& change);
    void RefreshButtons();
    void RefreshCount();
    bool DropOnEntry(EntryId target, EntryId dragged, const ClipboardTexts& dropped) override;
    // Appends an entry of `text` to `parent`, as loading does, and lets the
    // views follow; kNoEntry when `parent` is unknown.
    EntryId AppendEntry(EntryId parent, const std::string& text);

    // Data file. SaveEntries is false when a file error was reported.
    bool LoadEntries();
    // Counts this machine's edits of the entries under its own identity,
    // made once and kept in the registry, never under a count given out before.
    void UseMachineIdentity();
    bool SaveEntries();

    // Editing commands
    bool AddEntry(const std::string& text, const std::wstring& unicode = std::wstring()) override;
    void RemoveSelectedEntry() override;
    void UndoRemove();
    void DeliverEntry(EntryId id) override;
    ClipboardTexts ReadClipboardText() override;

    // Search panel
    void ToggleSearchPanel();

    // Clipboard history
    void RecordClipboard();
    void ClearClipboardHistory() override;

    // Settings. SaveSettings is false when saving the entries failed.
    void LoadSettings();
    bool SaveSettings();
    bool ImportRegistryLists();
    // After a save: the lists taken in from the registry are in the data
    // file now, so their keys go.
    void DeleteImportedLists();
    // The settings as they are now, which the controls show once made.
    void ShowSettings();
    void OnMenuWidthChanged();
    void OnAlwaysOnTop();
    void OnSaveOnExit();
    // "&Paste after choosing" applies at once.
    void OnPasteAfterChoice();

    // The modified flag, which the Save button shows.
    bool IsModified() const { return m_entries.IsModified(); }
    void SetModified(bool modified);

    CEntryTreeView& Tree() { return m_tree; }
    const std::string& DataPath() const { return m_sync.Path(); }
    // Points the data file elsewhere; takes effect for loads and saves after it.
    void UseDataPath(const std::string& path) { m_sync.UsePath(path); }
    // The data file changed, as the folder's notice (`slow` false) or the
    // slow check (`slow` true) tells.
    void OnDataFileChanged(bool slow);
    // Where the entries live, and the choice of another folder for them.
    CDataLocation& Location() { return m_location; }
    // "Data fol&der...": the entries move to the folder the user chooses, or
    // join those already there.
    void OnDataFolder();
    // Takes in the conflict copies that sync services left beside the data
    // file: merged, saved, kept with the numbered backups, and told once.
    void TakeInConflictCopies();
    DWORD RegisteredHotkey() const { return m_registeredHotkey; }

protected:
    void DoDataExchange() override;
    bool MadeAtCreation(int id) const override;
    bool MadeAtStart(int id) const override;
    void OnControlsMade() override;
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The exit path.
    void OnOK() override;
    // Escape and close requests through the dialog manager do nothing.
    void OnCancel() override {}
    void RedirectMessage(MSG& msg) override;

private:
    void OnPaint();
    LRESULT OnMenuChar(wchar_t typed);
    void OnPopupFindChoice(EntryId entry) override;
    void OnPopupFindCleared(POINT anchor) override;
    void OnPopupMenuAgain();
    void OnSysCommand(WPARAM command, LPARAM lParam);
    LRESULT OnQueryEndSession();
    void OnEndSession();
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnAbout();
    void OnAddCommand();
    void OnRenameCommand();
    // `text` null: the edit was cancelled.
    void OnEndLabelEdit(EntryId id, const std::wstring* text);
    void OnTreeDoubleClick();
    void OnFindTextChanged();
    void OnFind(bool forward);
    void OnDefaultButton();
    void OnMenuWidthLeft();
    void OnChangeCbChain(HWND removed, HWND following);
    void OnDrawClipboard();
    void CreateImageList();
    // Brings the hidden list box in step with a change of the history.
    void FollowHistory(const HistoryChange& change);
    void AppendEntryItems(HMENU menu);
    // Keeps a data file that was not loaded whole as its newest backup
    // before a save replaces it; 0, or the error that must stop the save,
    // with the backup that could not be written in `failedPath`.
    DWORD KeepUnloadedOriginal(std::string& failedPath) const;
    // A save took an outside change into the entries before it writes them.
    bool OnMergedBeforeSave(const FollowOutcome& outcome, const EntryChange& change, std::string& failedPath);

    // First, so that it ends last: the drop targets and drags go before it.
    COleSession m_ole;
    DWORD m_registeredHotkey = 0;
    DialogSettings m_settings;
    // The entries: the truth that the tree, the counter, the Save button
    // and the history list box show.
    EntryTree m_entries;
    // What the popup narrowed by typing knows of the entries' texts, kept
    // from one popup to the next.
    PopupIndex m_findIndex;
    CPopupIndexing m_indexing;
    // The entry items of the menu shown last, which its commands name.
    MenuPlan m_menu;
    CTextDropTarget m_treeDropTarget;
    CTextDropTarget m_editDropTarget;
    // The data file: what was last read or written, and the watch on it.
    CDataFileSync m_sync;
    CDataLocation m_location;
    CConflictCopies m_conflictCopies;
    // Conflict copies are being taken in; a message of it may be open.
    bool m_takingInCopies = false;
    int m_searchPanel = 0;
    HWND m_nextViewer = nullptr;
    CNotifyHotKeyCtrl m_hotkey;
    CListBox m_history;
    // The newest history text as the list box keeps it (in Unicode, as the
    // code page turns it), in memory kept from one clipboard change to the
    // next: under Wine each fresh page of a text of megabytes costs more
    // than converting it.
    std::wstring m_historyListText;
    CButton m_saveOnExit;
    CEdit m_findEdit;
    CSpinButtonCtrl m_itemCountSpin;
    CEntryTreeView m_tree;
    CEdit m_menuWidthEdit;
    bool m_hintShown = false;
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
    // The data file holds more than was loaded (it could not be read, or
    // was damaged and could not be copied aside): its bytes go to the .bak
    // file before the next save replaces them.
    bool m_originalUnsaved = false;
    // Lists taken in from the registry whose keys stay until a save holds them.
    std::vector<std::string> m_importedLists;
    // The exit path's question or save error is on the screen.
    bool m_inExitPath = false;
    // FinishStart ran.
    bool m_started = false;
    // PrepareView ran.
    bool m_viewPrepared = false;
    // The count of this machine's edits that the registry holds.
    std::uint64_t m_storedEdits = 0;
    // A popup menu of entries is open; its ids name m_menu's items.
    bool m_menuOpen = false;
    // The source of the popup menu shown last, and the character typed in
    // it that starts a query (0 while none was).
    UINT m_menuSource = 0;
    wchar_t m_typedInMenu = 0;
    // Where the popup opened, for it to show again there.
    POINT m_popupAnchor = {0, 0};
    CPopupFindWindow m_popupFind{*this};
    // Pastes a chosen entry where the user was typing, with the setting on.
    CPasteAfterChoice m_paste;
};
