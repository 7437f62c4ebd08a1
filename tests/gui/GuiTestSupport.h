#pragma once
// Helpers of the in-process GUI tests: a fresh dialog with a data file of
// its own in a fresh folder, a clean settings key, bounded message pumping,
// and an answerer for the message boxes the program shows.
#include "app/QuipMarkDlg.h"
#include "framework/WinApp.h"
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// Dispatches the messages that are waiting, then returns.
void PumpMessages();
// Pumps until `condition` holds or `timeoutMs` passed; true when it holds.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Answers every message box that appears on this thread while it lives,
// with `button`, and notes each box's caption and text.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(int button);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    int Count() const { return static_cast<int>(m_texts.size()); }
    const std::vector<std::string>& Texts() const { return m_texts; }
    const std::vector<std::string>& Captions() const { return m_captions; }
    void SetButton(int button) { m_button = button; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK AnswerBox(HWND hwnd, LPARAM);
    int m_button;
    UINT_PTR m_timer;
    std::vector<std::string> m_texts;
    std::vector<std::string> m_captions;
};

// Records of the data file: a top-level entry, a child entry.
std::string K(const std::string& text);
std::string E(const std::string& text);

std::string WriteBytesToFile(const std::string& path, const std::string& bytes);
std::string ReadBytesOfFile(const std::string& path);
bool FileExists(const std::string& path);

// A test with a fresh configuration dialog. Its data file lies in a folder
// of its own; the settings key is deleted before and after.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the dialog modeless and runs its initialisation; `made` stands
    // in for a plain dialog.
    void StartDialog(std::unique_ptr<CQuipMarkDlg> made = nullptr);
    // Starts the dialog as the program does: its controls wait for it to be
    // shown.
    void StartInTray();
    // Starts the dialog on a data file of these bytes.
    void StartWith(const std::string& bytes);
    void CloseDialog();
    // Clicks a button of the dialog as the user would.
    void Click(int id);
    // Checks or clears a check box as the user's click would.
    void SetCheckBox(int id, bool checked);
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(Hwnd(), id)) != FALSE; }
    std::string ItemText(int id) const;
    HWND Hwnd() const { return dialog->Handle(); }
    CEntryTreeView& Tree() { return dialog->Tree(); }
    const EntryTree& Entries() const { return dialog->Entries(); }
    // The labels of the entries, one line per entry, indented by level.
    std::string TreeOutline();
    HTREEITEM TopLevel(int index);

    std::string folder;
    std::string dataPath;
    std::unique_ptr<CQuipMarkDlg> dialog;
};

void DeleteSettingsKey();

// One item of a popup menu as it was shown.
struct MenuItemSnapshot {
    std::string caption;
    // The caption as Unicode, which keeps what the code page cannot.
    std::wstring unicodeCaption;
    UINT id = 0;
    bool separator = false;
    bool isDefault = false;
    bool grayed = false;
    std::vector<MenuItemSnapshot> submenu;
};

// Runs `open`, which is expected to show a popup menu with TrackPopupMenu on
// this thread; once the menu is up, notes its items, runs `whileOpen` and
// then either presses `keys` in it (virtual-key codes) or, with none, closes
// it with no choice. Returns the items noted; empty when no menu showed up.
std::vector<MenuItemSnapshot> DriveMenu(const std::function<void()>& open,
                                        const std::vector<WORD>& keys = {},
                                        const std::function<void()>& whileOpen = {});

// Opens the tray menu at `at` and types `typed` in it: the first character
// turns the menu into the popup narrowed by typing, the others go to that
// popup. Null when no popup opened.
const CPopupFindWindow* TypeInMenu(CQuipMarkDlg& dialog, POINT at, const std::wstring& typed);

// The clipboard's text, or "<none>" when it holds no text.
std::string ClipboardText();
// The clipboard's Unicode text, or L"<none>".
std::wstring ClipboardUnicodeText();
void SetClipboardText(const std::string& text);
void EmptyTheClipboard();
