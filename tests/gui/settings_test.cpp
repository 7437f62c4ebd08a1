#include "GuiTestSupport.h"
#include "RegistryTestSupport.h"
#include "storage/RecordCodec.h"
#include <cctype>
#include <map>

namespace {

// The tree of a start with no entries: the root and the clipboard branch.
const std::string kNoEntries = "Quipmark Menu List\n  Last 15 Clipboard Entries\n";

bool IsTopmost(HWND window)
{
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The data file's entries, one line each: "K label" or "e label".
std::string DataFileOutline(const std::string& path)
{
    std::string outline;
    DecodeEntries(ReadBytesOfFile(path), [&](RecordKind kind, std::string_view text) {
        outline += (kind == RecordKind::TopLevel ? "K " : "e ") + std::string(text) + "\n";
    });
    return outline;
}

// A named callback: on 32-bit Windows a lambda has the wrong calling
// convention.
BOOL CALLBACK TakeBalloon(HWND window, LPARAM found)
{
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof(cls));
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (lstrcmpiA(cls, TOOLTIPS_CLASSA) != 0 || !IsWindowVisible(window) || process == GetCurrentProcessId() ||
        (GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON) == 0)
        return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

// Whether the notification area shows a balloon from a tray icon.
bool BalloonShown()
{
    bool found = false;
    EnumWindows(TakeBalloon, reinterpret_cast<LPARAM>(&found));
    return found;
}

class SettingsLoad : public DialogTest {
protected:
    int MenuWidth() const
    {
        return LOWORD(SendDlgItemMessageA(Hwnd(), IDC_MENU_WIDTH_SPIN, UDM_GETPOS, 0, 0));
    }
    bool Checked(int id) const { return IsDlgButtonChecked(Hwnd(), id) == BST_CHECKED; }
};

TEST_F(SettingsLoad, FirstStartWithoutAKeyLoadsAllOff)
{
    MessageBoxAnswerer answerer(IDOK);
    StartDialog();
    EXPECT_EQ(answerer.Count(), 0);
    EXPECT_FALSE(Checked(IDC_SAVE_ON_EXIT));
    EXPECT_FALSE(Checked(IDC_ALWAYS_ON_TOP));
    EXPECT_FALSE(Checked(IDC_PASTE_AFTER_CHOICE));
    EXPECT_FALSE(IsTopmost(Hwnd()));
    EXPECT_EQ(dialog->RegisteredHotkey(), 0u);
    EXPECT_EQ(SendDlgItemMessageA(Hwnd(), IDC_HOTKEY, HKM_GETHOTKEY, 0, 0), 0);
    // Without a stored width the dialog's own stays.
    EXPECT_EQ(MenuWidth(), 20);
    EXPECT_FALSE(Enabled(IDC_SAVE));
    EXPECT_EQ(TreeOutline(), kNoEntries);
    EXPECT_FALSE(FileExists(dataPath)) << "nothing imported, nothing saved";

    // A new user is told once where the program is: that is stored (with
    // the machine's identity) but no setting of the user's, and the next
    // start tells nothing.
    EXPECT_TRUE(PumpUntil(BalloonShown)) << "no notification at the first start";
    EXPECT_EQ(ValueBytes(kSettingsPath, "TrayHintShown"), std::string("\1\0\0\0", 4));
    for (const char* name : {"Hotkey", "MaxLength", "SaveOnExit", "AlwaysOnTop", "DataFolder"})
        EXPECT_FALSE(ValueExists(kSettingsPath, name)) << name;
    CloseDialog();
    ASSERT_TRUE(PumpUntil([] { return !BalloonShown(); })) << "the notification outlived the tray icon";
    StartDialog();
    EXPECT_FALSE(PumpUntil(BalloonShown, 1500)) << "a notification at a later start";
}

// How stored numbers decode is tested natively; here, that the decoded
// settings reach the controls and the window, and that showing them is no
// change of the user's: the exit neither asks nor saves.
TEST_F(SettingsLoad, StoredValuesAreShownWithinTheControlsRangeAndApplied)
{
    SetNumber(kSettingsPath, "MaxLength", 250);
    SetNumber(kSettingsPath, "SaveOnExit", 1);
    SetNumber(kSettingsPath, "AlwaysOnTop", 1);
    SetNumber(kSettingsPath, "PasteAfterChoice", 2);
    StartDialog();
    EXPECT_EQ(MenuWidth(), 99);
    EXPECT_TRUE(Checked(IDC_PASTE_AFTER_CHOICE));
    EXPECT_TRUE(Checked(IDC_SAVE_ON_EXIT));
    EXPECT_TRUE(Checked(IDC_ALWAYS_ON_TOP));
    EXPECT_TRUE(IsTopmost(Hwnd()));
    EXPECT_FALSE(Enabled(IDC_SAVE));

    MessageBoxAnswerer answerer(IDYES);
    Click(IDC_EXIT);
    EXPECT_TRUE(dialog->IsEnding());
    EXPECT_EQ(answerer.Count(), 0);
    EXPECT_FALSE(FileExists(dataPath));
}

// The decoding of each type is tested natively; here, that a value that
// does not read as a number loads as none.
TEST_F(SettingsLoad, ValuesOfTheWrongTypeReadAsZero)
{
    SetValue(kSettingsPath, "Hotkey", REG_BINARY, std::string("\x74\x06\0\0", 4));
    SetText(kSettingsPath, "SaveOnExit", "1");
    MessageBoxAnswerer answerer(IDOK);
    StartDialog();
    EXPECT_EQ(answerer.Count(), 0);
    EXPECT_FALSE(Checked(IDC_SAVE_ON_EXIT));
    EXPECT_EQ(dialog->RegisteredHotkey(), 0u);
    EXPECT_TRUE(HotkeyIsFree(0x0674));
}

TEST_F(SettingsLoad, CheckBoxesMarkAChangeAndAlwaysOnTopAppliesAtOnce)
{
    StartDialog();
    SetCheckBox(IDC_ALWAYS_ON_TOP, true);
    EXPECT_TRUE(IsTopmost(Hwnd()));
    EXPECT_TRUE(Enabled(IDC_SAVE));
    SetCheckBox(IDC_ALWAYS_ON_TOP, false);
    EXPECT_FALSE(IsTopmost(Hwnd()));

    for (int box : {IDC_SAVE_ON_EXIT, IDC_PASTE_AFTER_CHOICE}) {
        Click(IDC_SAVE);
        ASSERT_FALSE(Enabled(IDC_SAVE));
        Click(box);
        EXPECT_TRUE(Enabled(IDC_SAVE)) << box;
    }
}

// Alt with a letter goes to one control only: no two captions of the
// dialog, shown or not, mark the same access key.
TEST_F(SettingsLoad, EveryAccessKeyOfTheDialogIsItsOwn)
{
    StartDialog();
    std::map<char, std::string> owners;
    for (HWND child = GetWindow(Hwnd(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char caption[256] = "";
        GetWindowTextA(child, caption, sizeof(caption));
        const std::string text = caption;
        for (size_t i = text.find('&'); i != std::string::npos && i + 1 < text.size(); i = text.find('&', i + 2)) {
            if (text[i + 1] == '&')
                continue;
            const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
            EXPECT_TRUE(owners.emplace(key, text).second) << text << " and " << owners[key] << " share " << key;
        }
    }
    EXPECT_EQ(owners.count('P'), 1u) << "\"&Paste after choosing\" has its key";
}

class SettingsSave : public SettingsLoad {};

TEST_F(SettingsSave, WritesTheFourValuesAndTheEntriesAndClearsTheFlag)
{
    StartDialog();
    dialog->AppendEntry(Entries().Root(), "kept");
    SendDlgItemMessageA(Hwnd(), IDC_MENU_WIDTH_SPIN, UDM_SETPOS, 0, 42);
    SetCheckBox(IDC_SAVE_ON_EXIT, true);
    SetCheckBox(IDC_ALWAYS_ON_TOP, true);
    SetCheckBox(IDC_PASTE_AFTER_CHOICE, true);
    SendDlgItemMessageA(Hwnd(), IDC_HOTKEY, HKM_SETHOTKEY, 0x0675, 0);
    dialog->SetModified(true);

    MessageBoxAnswerer answerer(IDOK);
    Click(IDC_SAVE);
    EXPECT_EQ(answerer.Count(), 0);
    EXPECT_FALSE(Enabled(IDC_SAVE));
    EXPECT_EQ(NumberOr(kSettingsPath, "Hotkey", 0), 0x0675u);
    EXPECT_EQ(NumberOr(kSettingsPath, "MaxLength", 0), 42u);
    EXPECT_EQ(NumberOr(kSettingsPath, "SaveOnExit", 0), 1u);
    EXPECT_EQ(NumberOr(kSettingsPath, "AlwaysOnTop", 0), 1u);
    EXPECT_EQ(NumberOr(kSettingsPath, "PasteAfterChoice", 0), 1u);
    EXPECT_EQ(DataFileOutline(dataPath), "K kept\n");

    // A second start shows all of it again.
    CloseDialog();
    StartDialog();
    EXPECT_EQ(MenuWidth(), 42);
    EXPECT_TRUE(Checked(IDC_SAVE_ON_EXIT));
    EXPECT_TRUE(Checked(IDC_ALWAYS_ON_TOP));
    EXPECT_TRUE(Checked(IDC_PASTE_AFTER_CHOICE));
    EXPECT_EQ(SendDlgItemMessageA(Hwnd(), IDC_HOTKEY, HKM_GETHOTKEY, 0, 0), 0x0675);
    EXPECT_EQ(dialog->RegisteredHotkey(), 0x0675u);
    EXPECT_EQ(TreeOutline(), kNoEntries + "  kept\n");
}

TEST_F(SettingsSave, AWidthFieldWithoutANumberStoresThePositionOnly)
{
    StartDialog();
    SendDlgItemMessageA(Hwnd(), IDC_MENU_WIDTH_SPIN, UDM_SETPOS, 0, 33);
    SetDlgItemTextA(Hwnd(), IDC_MENU_WIDTH, "wide");
    Click(IDC_SAVE);
    const DWORD stored = NumberOr(kSettingsPath, "MaxLength", 0);
    EXPECT_EQ(HIWORD(stored), 0u) << "no error flag in the stored width";
    CloseDialog();
    StartDialog();
    EXPECT_EQ(static_cast<DWORD>(MenuWidth()), stored);
}

TEST_F(SettingsSave, AFileErrorKeepsSaveEnabledAndTheDialogOpen)
{
    StartDialog();
    dialog->UseDataPath(folder + "\\missing\\quipmark.dat");
    SetCheckBox(IDC_SAVE_ON_EXIT, true);
    dialog->SetModified(true);

    MessageBoxAnswerer answerer(IDOK);
    EXPECT_FALSE(dialog->SaveSettings());
    EXPECT_EQ(answerer.Count(), 1) << "the file error is reported";
    EXPECT_TRUE(Enabled(IDC_SAVE));
    // The values come first and are written all the same.
    EXPECT_EQ(NumberOr(kSettingsPath, "SaveOnExit", 0), 1u);

    Click(IDC_EXIT);
    EXPECT_EQ(answerer.Count(), 2);
    EXPECT_FALSE(dialog->IsEnding()) << "an exit whose save failed stays";
    EXPECT_TRUE(Enabled(IDC_SAVE));

    dialog->UseDataPath(dataPath);
    Click(IDC_EXIT);
    EXPECT_TRUE(dialog->IsEnding());
    EXPECT_TRUE(FileExists(dataPath));
}

class RegistryImport : public SettingsLoad {
protected:
    std::string ListPath(const std::string& name) const { return kSettingsPath + name; }
};

TEST_F(RegistryImport, TakesAListUpToItsFirstGapThenDeletesItAndSaves)
{
    SetText(ListPath("Work"), "0", "alpha");
    SetText(ListPath("Work"), "1", "beta");
    SetText(ListPath("Work"), "3", "delta");
    SetNumber(kSettingsPath, "MaxLength", 30);
    StartDialog();
    EXPECT_EQ(TreeOutline(), kNoEntries + "  Work\n    alpha\n    beta\n");
    HTREEITEM work = TopLevel(1);
    EXPECT_EQ(Tree().Label(work), "Work");
    EXPECT_EQ(Tree().Image(work), 1);
    const std::vector<EntryId>& listed = Entries().Children(Tree().EntryOf(work));
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(Tree().Image(Tree().Reveal(listed[1])), 2);
    EXPECT_EQ(ItemText(IDC_ITEM_COUNT), "5");

    EXPECT_FALSE(KeyExists(ListPath("Work")));
    EXPECT_EQ(NumberOr(kSettingsPath, "MaxLength", 0), 30u) << "the settings stay";
    EXPECT_EQ(DataFileOutline(dataPath), "K Work\ne alpha\ne beta\n");
    EXPECT_FALSE(Enabled(IDC_SAVE));

    // The next start finds nothing more to import.
    CloseDialog();
    StartDialog();
    EXPECT_EQ(TreeOutline(), kNoEntries + "  Work\n    alpha\n    beta\n");
}

TEST_F(RegistryImport, AListWhoseSaveFailsStaysUnsavedAndTheExitAsks)
{
    WriteBytesToFile(dataPath, K("loaded"));
    SetFileAttributesA(dataPath.c_str(), FILE_ATTRIBUTE_READONLY);
    SetText(ListPath("Work"), "0", "alpha");
    {
        MessageBoxAnswerer boxes(IDOK);
        StartDialog();
        EXPECT_EQ(boxes.Count(), 1) << "the failed save is reported";
    }
    EXPECT_EQ(TreeOutline(), kNoEntries + "  loaded\n  Work\n    alpha\n");
    EXPECT_TRUE(KeyExists(ListPath("Work"))) << "the file does not hold the list yet";
    EXPECT_TRUE(Enabled(IDC_SAVE));

    {
        MessageBoxAnswerer answerer(IDNO);
        Click(IDC_EXIT);
        ASSERT_EQ(answerer.Count(), 1);
        EXPECT_EQ(answerer.Texts()[0], "Do you want to save changes?");
    }
    EXPECT_EQ(ValueBytes(ListPath("Work"), "0"), std::string("alpha", 6)) << "No at Exit loses nothing";
    CloseDialog();

    // A later start whose save succeeds takes the list in, once.
    SetFileAttributesA(dataPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    StartDialog();
    EXPECT_EQ(DataFileOutline(dataPath), "K loaded\nK Work\ne alpha\n");
    EXPECT_FALSE(KeyExists(ListPath("Work")));
}

TEST_F(RegistryImport, ListsComeInNameOrderAfterTheLoadedEntries)
{
    std::string file;
    AppendRecord(file, RecordKind::TopLevel, "loaded");
    WriteBytesToFile(dataPath, file);
    SetText(ListPath("B"), "0", "b0");
    SetText(ListPath("A"), "0", "a0");
    SetNumber(ListPath("Empty"), "0", 5);  // a number ends the list at once
    StartDialog();
    EXPECT_EQ(TreeOutline(), kNoEntries + "  loaded\n  A\n    a0\n  B\n    b0\n  Empty\n");
    EXPECT_FALSE(KeyExists(ListPath("Empty")));
    EXPECT_EQ(DataFileOutline(dataPath), "K loaded\nK A\ne a0\nK B\ne b0\nK Empty\n");
}

TEST_F(RegistryImport, ANameOf100CharactersOrMoreStopsTheImportThere)
{
    const std::string name99(99, 'a'), name100(100, 'b'), name255(255, 'c');
    SetText(ListPath(name99), "0", "ninety-nine");
    SetText(ListPath(name100), "0", "hundred");
    SetText(ListPath(name255), "0", "longest");
    StartDialog();
    EXPECT_EQ(TreeOutline(), kNoEntries + "  " + name99 + "\n    ninety-nine\n");
    EXPECT_FALSE(KeyExists(ListPath(name99)));
    EXPECT_TRUE(KeyExists(ListPath(name100)));
    EXPECT_TRUE(KeyExists(ListPath(name255)));
}

TEST_F(RegistryImport, AListThatCannotBeDeletedIsTakenOutAgainAndStopsTheImport)
{
    SetText(ListPath("Alpha"), "0", "first");
    SetText(ListPath("Work"), "0", "alpha");
    SetText(ListPath("Work"), "1", "beta");
    SetNumber(ListPath("Work\\Locked"), "x", 1);
    SetText(ListPath("Zeta"), "0", "last");
    {
        KeyLock lock(ListPath("Work\\Locked"));
        if (!lock.Holds())
            GTEST_SKIP() << "this system does not refuse access to a key";
        StartDialog();
        EXPECT_EQ(TreeOutline(), kNoEntries + "  Alpha\n    first\n");
        EXPECT_EQ(ItemText(IDC_ITEM_COUNT), "4");
        EXPECT_FALSE(KeyExists(ListPath("Alpha")));
        EXPECT_EQ(ValueBytes(ListPath("Work"), "1"), std::string("beta", 5)) << "the list stays whole";
        EXPECT_TRUE(KeyExists(ListPath("Zeta")));
        EXPECT_EQ(DataFileOutline(dataPath), "K Alpha\ne first\n");
        CloseDialog();
    }
    // Once it can be removed, a later start takes it in, once.
    StartDialog();
    EXPECT_EQ(TreeOutline(), kNoEntries + "  Alpha\n    first\n  Work\n    alpha\n    beta\n  Zeta\n    last\n");
    EXPECT_FALSE(KeyExists(ListPath("Work")));
    EXPECT_FALSE(KeyExists(ListPath("Zeta")));
}

TEST_F(RegistryImport, NothingLockedFirstMeansNothingImportedAndNothingSaved)
{
    SetText(ListPath("Work"), "0", "alpha");
    SetNumber(ListPath("Work\\Locked"), "x", 1);
    KeyLock lock(ListPath("Work\\Locked"));
    if (!lock.Holds())
        GTEST_SKIP() << "this system does not refuse access to a key";
    StartDialog();
    EXPECT_EQ(TreeOutline(), kNoEntries);
    EXPECT_FALSE(FileExists(dataPath));
    EXPECT_TRUE(KeyExists(ListPath("Work")));
}

}  // namespace
