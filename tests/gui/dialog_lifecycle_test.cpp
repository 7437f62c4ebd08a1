#include "GuiTestSupport.h"
#include "RegistryTestSupport.h"
#include "tests/RecordBytes.h"

namespace {

struct ExpectedControl {
    int id;
    const char* cls;
    const char* caption;
    bool visible;
    bool enabled;
};

// The configuration dialog's controls in template order.
const ExpectedControl kControls[] = {
    {1007, "Edit", "", true, true},
    {1045, "ListBox", "", false, true},
    {1010, "Button", "&Hide", true, true},
    {1018, "Button", "E&xit", true, true},
    {1013, "Button", "A&bout...", true, true},
    {1006, "Button", "&Add", true, false},
    {1008, "Button", "&Remove", true, false},
    {1025, "Button", "Rena&me", true, false},
    {1005, "Button", "&Save", true, false},
    {1048, "Button", "&Undo", true, false},
    {1035, "Button", "<< Sear&ch", true, true},
    {1022, "SysTreeView32", "", true, true},
    {1015, "Edit", "20", true, true},  // no width stored: the dialog's own
    {1016, "msctls_updown32", "", true, true},
    {1037, "Edit", "", false, true},
    {1039, "Button", "&<", false, false},
    {1038, "Button", "&>", false, false},
    {1044, "Button", "Sa&ve Settings On Exit", true, true},
    {1047, "Button", "A&lways On Top", true, true},
    {1060, "Button", "&Paste after choosing", true, true},
    {-1, "Static", "Current &Entries", true, true},
    {-1, "Static", "&New Entry", true, true},
    {1011, "Edit", "", false, true},
    {-1, "Button", "Menu &Width", true, true},
    {1024, "Button", "Default", false, true},
    {-1, "Static", "Total Items:", true, true},
    {1032, "Static", "2", true, true},
    {1033, "msctls_updown32", "", false, true},
    {1040, "Static", "Enter Text to &Find:", false, true},
    {1061, "Static", "", false, true},
    {1049, "msctls_hotkey32", "", true, true},
    {-1, "Static", "Set Quipmark Hot&key", true, true},
    {1050, "Button", "Data fol&der...", true, true},
};

bool IsOpenMessageBox(HWND hwnd)
{
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    return std::string(cls) == "#32770" && IsWindowVisible(hwnd) && GetDlgItem(hwnd, 0xFFFF) != nullptr;
}

// What the test does while the first message box of this thread is open;
// it answers the box too. Emptied once it ran.
std::function<void(HWND box)> g_whileBoxOpen;

BOOL CALLBACK RunWhileBoxOpen(HWND hwnd, LPARAM)
{
    if (!g_whileBoxOpen || !IsOpenMessageBox(hwnd))
        return TRUE;
    const std::function<void(HWND box)> run = g_whileBoxOpen;
    g_whileBoxOpen = nullptr;
    run(hwnd);
    return FALSE;
}

void CALLBACK OnWatchTimer(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), RunWhileBoxOpen, 0);
}

class DialogLifecycle : public DialogTest {
protected:
    // Clicks Exit and, once the question is open, runs `whileOpen`, which
    // answers it; false when no question came.
    bool ClickExitAnswering(std::function<void(HWND box)> whileOpen)
    {
        g_whileBoxOpen = std::move(whileOpen);
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, OnWatchTimer);
        Click(IDC_EXIT);
        KillTimer(nullptr, timer);
        const bool asked = !g_whileBoxOpen;
        g_whileBoxOpen = nullptr;
        PumpMessages();
        return asked;
    }
};

TEST_F(DialogLifecycle, HasEveryControlOfItsTemplateInOrder)
{
    StartDialog();
    char caption[64] = "";
    GetWindowTextA(Hwnd(), caption, sizeof(caption));
    EXPECT_STREQ(caption, "Quipmark");
    EXPECT_TRUE(GetWindowLongA(Hwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);

    HWND child = GetWindow(Hwnd(), GW_CHILD);
    for (const ExpectedControl& expected : kControls) {
        ASSERT_NE(child, nullptr) << "missing control " << expected.id;
        char cls[64] = "", text[128] = "";
        GetClassNameA(child, cls, sizeof(cls));
        GetWindowTextA(child, text, sizeof(text));
        SCOPED_TRACE(std::string("control ") + std::to_string(expected.id) + " " + expected.caption);
        EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(child))), expected.id);
        EXPECT_STREQ(cls, expected.cls);
        EXPECT_STREQ(text, expected.caption);
        EXPECT_EQ((GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0, expected.visible);
        EXPECT_EQ(IsWindowEnabled(child) != FALSE, expected.enabled);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the template has";
}

// A program that lives in the tray makes its controls when first shown;
// they show the settings and the entries as they are by then.
TEST_F(DialogLifecycle, MakesItsControlsWhenFirstShown)
{
    SetNumber(kSettingsPath, "MaxLength", 42);
    SetNumber(kSettingsPath, "SaveOnExit", 1);
    WriteBytesToFile(dataPath, K("one") + K("two"));
    StartInTray();
    // The hidden edit and list that the clipboard and its history use.
    int children = 0;
    for (HWND child = GetWindow(Hwnd(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        ++children;
    EXPECT_EQ(children, 2);
    dialog->AppendEntry(Entries().Root(), "three");
    dialog->SetModified(true);

    dialog->ShowConfiguration();
    EXPECT_EQ(TreeOutline(), "Quipmark Menu List\n  Last 15 Clipboard Entries\n  one\n  two\n  three\n");
    EXPECT_EQ(ItemText(IDC_ITEM_COUNT), std::to_string(Entries().Count()));
    EXPECT_EQ(ItemText(IDC_MENU_WIDTH), "42");
    EXPECT_EQ(IsDlgButtonChecked(Hwnd(), IDC_SAVE_ON_EXIT), static_cast<UINT>(BST_CHECKED));
    EXPECT_TRUE(Enabled(IDC_SAVE));
    // Enter at dialog level goes to the template's last default button.
    EXPECT_EQ(LOWORD(SendMessageA(Hwnd(), DM_GETDEFID, 0, 0)), IDC_DEFAULT);
}

TEST_F(DialogLifecycle, StartsMinimisedThenHidesItselfOnce)
{
    StartDialog();
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
    EXPECT_TRUE(IsIconic(Hwnd()));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Hwnd()); }, 5000));
    EXPECT_TRUE(IsIconic(Hwnd())) << "a hidden dialog stays minimised";

    dialog->ShowConfiguration();
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
    EXPECT_FALSE(IsIconic(Hwnd()));
    // The hide timer fired once and is gone: the dialog stays shown.
    PumpUntil([] { return false; }, 1200);
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
}

TEST_F(DialogLifecycle, ShownInItsFirstMomentItIsNotHiddenAfterwards)
{
    StartDialog();
    ShowWindow(Hwnd(), SW_RESTORE);  // as a second start does
    PumpUntil([] { return false; }, 1200);
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
}

TEST_F(DialogLifecycle, HideAndMinimiseHideEscapeDoesNothingAndCloseRunsTheExitPath)
{
    StartDialog();
    dialog->ShowConfiguration();
    SendMessageA(Hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
    EXPECT_FALSE(dialog->IsEnding());

    Click(IDC_HIDE);
    EXPECT_FALSE(IsWindowVisible(Hwnd()));
    EXPECT_TRUE(IsIconic(Hwnd()));

    dialog->ShowConfiguration();
    SendMessageA(Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(Hwnd()));
    EXPECT_FALSE(dialog->IsEnding());

    MessageBoxAnswerer answerer(IDNO);
    SendMessageA(Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(dialog->IsEnding());
    EXPECT_EQ(answerer.Count(), 0);
}

// Leaving asks only about unsaved changes, and only when they are not saved
// on exit anyway; Exit of the dialog and of the tray menu take the same path.
TEST_F(DialogLifecycle, ExitAsksAboutUnsavedChangesOnlyAndSavesAsAnswered)
{
    const struct {
        const char* name;
        bool saveOnExit, modified;
        int answer;
        bool fromTray;
        int questions;
        bool saved;
    } cases[] = {
        {"nothing changed", true, false, IDYES, false, 0, false},
        {"changes saved on exit", true, true, IDNO, false, 0, true},
        {"changes, answered No", false, true, IDNO, false, 1, false},
        {"changes, answered Yes, from the tray", false, true, IDYES, true, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CloseDialog();
        DeleteSettingsKey();
        DeleteFileA(dataPath.c_str());
        StartDialog();
        SetCheckBox(IDC_SAVE_ON_EXIT, c.saveOnExit);
        dialog->SetModified(c.modified);
        MessageBoxAnswerer answerer(c.answer);
        if (c.fromTray)
            dialog->Send(WM_COMMAND, ID_EXIT, 0);
        else
            Click(IDC_EXIT);
        EXPECT_TRUE(dialog->IsEnding());
        ASSERT_EQ(answerer.Count(), c.questions);
        if (c.questions == 1) {
            EXPECT_EQ(answerer.Texts()[0], "Do you want to save changes?");
            EXPECT_EQ(answerer.Captions()[0], CWinApp::Get()->Name());
        }
        EXPECT_EQ(FileExists(dataPath), c.saved);
        if (c.saved) {
            EXPECT_FALSE(Enabled(IDC_SAVE));
        }
    }
}

TEST_F(DialogLifecycle, ASecondExitWhileTheQuestionIsOpenNeitherAsksAgainNorSavesTwice)
{
    StartDialog();
    dialog->SetModified(true);
    // Exit chosen once more, as from the tray menu, waits in the queue until
    // the question's own message loop takes it.
    PostMessageA(Hwnd(), WM_COMMAND, ID_EXIT, 0);
    MessageBoxAnswerer answerer(IDYES);
    Click(IDC_EXIT);
    EXPECT_EQ(answerer.Count(), 1) << "one question at a time";
    EXPECT_TRUE(dialog->IsEnding());
    EXPECT_TRUE(FileExists(dataPath));
}

TEST_F(DialogLifecycle, EndOfLogonSavesWithoutAskingOnlyWhenItReallyEnds)
{
    StartDialog();
    dialog->AppendEntry(Entries().Root(), "unsaved");
    dialog->SetModified(true);
    MessageBoxAnswerer answerer(IDNO);
    SendMessageA(Hwnd(), WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(dialog->IsEnding());
    EXPECT_FALSE(FileExists(dataPath));
    SendMessageA(Hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(answerer.Count(), 0) << "no question the system would not wait for";
    EXPECT_TRUE(dialog->IsEnding());
    EXPECT_EQ(WithoutIdentities(ReadBytesOfFile(dataPath)), K("unsaved"));
}

TEST_F(DialogLifecycle, TheSessionMayEndOnlyOnceTheChangesAreSaved)
{
    StartWith(K("old"));
    dialog->AppendEntry(Entries().Root(), "unsaved");
    dialog->SetModified(true);
    SetFileAttributesA(dataPath.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        MessageBoxAnswerer answerer(IDOK);
        EXPECT_EQ(SendMessageA(Hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0)
            << "the session ended with the changes unsaved";
        EXPECT_EQ(answerer.Count(), 1) << "the failed save is reported";
    }
    EXPECT_TRUE(dialog->IsModified());
    SetFileAttributesA(dataPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(SendMessageA(Hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0);
    EXPECT_FALSE(dialog->IsModified());
    EXPECT_EQ(WithoutIdentities(ReadBytesOfFile(dataPath)), K("old") + K("unsaved"));
}

TEST_F(DialogLifecycle, EndOfLogonWhileTheQuestionIsOpenSavesTheChanges)
{
    StartDialog();
    dialog->AppendEntry(Entries().Root(), "unsaved");
    dialog->SetModified(true);
    // While the question is open, the session ends; the question is
    // answered No only afterwards, as it never would be at a real log-off.
    LRESULT queryAnswer = 0;
    const bool asked = ClickExitAnswering([&](HWND box) {
        queryAnswer = SendMessageA(Hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        SendMessageA(Hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        PostMessageA(box, WM_COMMAND, IDNO, 0);
    });
    ASSERT_TRUE(asked) << "the question was asked";
    EXPECT_NE(queryAnswer, 0) << "the session may end";
    EXPECT_TRUE(dialog->IsEnding());
    EXPECT_EQ(WithoutIdentities(ReadBytesOfFile(dataPath)), K("unsaved")) << "the changes outlive the session";
}

TEST_F(DialogLifecycle, EnterOnAControlThatDoesNotTakeItDoesNothing)
{
    StartDialog();
    dialog->ShowConfiguration();
    HWND box = GetDlgItem(Hwnd(), IDC_SAVE_ON_EXIT);
    SetFocus(box);
    EXPECT_EQ(LOWORD(SendMessageA(Hwnd(), DM_GETDEFID, 0, 0)), IDC_DEFAULT);
    MSG enter = {box, WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {0, 0}};
    EXPECT_TRUE(IsDialogMessageA(Hwnd(), &enter));
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
    EXPECT_FALSE(dialog->IsEnding());
    EXPECT_EQ(IsDlgButtonChecked(Hwnd(), IDC_SAVE_ON_EXIT), BST_UNCHECKED);
}

TEST_F(DialogLifecycle, GraysTheFifthItemOfTheSystemMenu)
{
    StartDialog();
    HMENU system = GetSystemMenu(Hwnd(), FALSE);
    ASSERT_GT(GetMenuItemCount(system), 4);
    EXPECT_TRUE(GetMenuState(system, 4, MF_BYPOSITION) & MF_GRAYED);
}
}  // namespace
