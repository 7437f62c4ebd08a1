#include "GuiTestSupport.h"
#include "RegistryTestSupport.h"
#include <shlobj.h>

namespace {

// Answers the system's folder picker when it opens on this thread: picks
// `folder` in it (empty: cancels it) and notes that it was open. `dialog`,
// the program's, is a dialog with a tree too, and is never taken for one.
class FolderPickerAnswerer {
public:
    FolderPickerAnswerer(const std::string& folder, HWND dialog) : m_folder(folder), m_dialog(dialog)
    {
        s_answerer = this;
        m_timer = SetTimer(nullptr, 0, 100, OnTimer);
    }
    ~FolderPickerAnswerer()
    {
        KillTimer(nullptr, m_timer);
        s_answerer = nullptr;
    }
    FolderPickerAnswerer(const FolderPickerAnswerer&) = delete;
    FolderPickerAnswerer& operator=(const FolderPickerAnswerer&) = delete;

    int Shown() const { return m_shown; }
    // The name of the folder the picker showed selected when it opened.
    const std::string& OpenedAt() const { return m_openedAt; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_answerer != nullptr)
            EnumThreadWindows(GetCurrentThreadId(), Answer, 0);
    }
    static BOOL CALLBACK Answer(HWND window, LPARAM)
    {
        char cls[32] = "";
        GetClassNameA(window, cls, sizeof(cls));
        // The picker is a dialog with a tree of folders; a message box has none.
        // A picker already answered may still be open while it takes the
        // answer in (the shell pumps messages meanwhile): it is answered once.
        if (std::string(cls) != "#32770" || !IsWindowVisible(window) || FindTree(window) == nullptr ||
            window == s_answerer->m_answered || window == s_answerer->m_dialog)
            return TRUE;
        s_answerer->m_answered = window;
        ++s_answerer->m_shown;
        HWND tree = FindTree(window);
        char name[MAX_PATH] = "";
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = TreeView_GetSelection(tree);
        item.pszText = name;
        item.cchTextMax = MAX_PATH;
        if (item.hItem != nullptr && TreeView_GetItem(tree, &item))
            s_answerer->m_openedAt = name;
        if (s_answerer->m_folder.empty()) {
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        } else {
            SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(s_answerer->m_folder.c_str()));
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
        return FALSE;
    }
    // A named callback: on 32-bit Windows a lambda has the wrong calling
    // convention.
    static BOOL CALLBACK TakeTree(HWND child, LPARAM result)
    {
        char cls[32] = "";
        GetClassNameA(child, cls, sizeof(cls));
        if (lstrcmpiA(cls, WC_TREEVIEWA) != 0)
            return TRUE;
        *reinterpret_cast<HWND*>(result) = child;
        return FALSE;
    }
    static HWND FindTree(HWND window)
    {
        HWND found = nullptr;
        EnumChildWindows(window, TakeTree, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    static FolderPickerAnswerer* s_answerer;
    std::string m_folder;
    HWND m_dialog;
    UINT_PTR m_timer = 0;
    int m_shown = 0;
    HWND m_answered = nullptr;
    std::string m_openedAt;
};

FolderPickerAnswerer* FolderPickerAnswerer::s_answerer = nullptr;

class DataFolder : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        chosen = folder + "\\synced";
        CreateDirectoryA(chosen.c_str(), nullptr);
    }

    // Chooses `where` through "Data fol&der..." and the system's picker,
    // which opens at the folder the entries are in.
    void ChooseFolder(const std::string& where)
    {
        const std::string path = dialog->DataPath();
        const size_t nameEnd = path.find_last_of('\\');
        const size_t nameStart = path.find_last_of('\\', nameEnd - 1) + 1;
        FolderPickerAnswerer picker(where, Hwnd());
        Click(IDC_DATA_FOLDER);
        EXPECT_EQ(picker.Shown(), 1) << "the system's folder picker did not open";
        EXPECT_EQ(picker.OpenedAt(), path.substr(nameStart, nameEnd - nameStart)) << "where the picker opened";
    }

    std::string chosen;
};

TEST_F(DataFolder, AFolderWithEntriesJoinsThemWithOursAndKeepsTheEntriesThere)
{
    StartWith(K("here") + K("both"));
    WriteBytesToFile(chosen + "\\quipmark.dat", K("there") + K("both"));
    MessageBoxAnswerer answerer(IDOK);
    ChooseFolder(chosen);
    ASSERT_EQ(answerer.Count(), 1);
    EXPECT_EQ(answerer.Texts()[0], "Your entries are now kept in " + chosen +
                                       ", joined with those already there: 2 entries from here and 2 entries "
                                       "from there make 3 entries.");

    const std::string outline = TreeOutline();
    for (const char* text : {"  here\n", "  there\n"})
        EXPECT_NE(outline.find(text), std::string::npos) << text << " missing from\n" << outline;
    EXPECT_EQ(outline.find("  both\n"), outline.rfind("  both\n")) << "one \"both\" only:\n" << outline;
    EXPECT_EQ(dialog->DataPath(), chosen + "\\quipmark.dat");
    const std::string saved = ReadBytesOfFile(chosen + "\\quipmark.dat");
    for (const char* text : {"here", "there", "both"})
        EXPECT_NE(saved.find(text), std::string::npos) << text;
    EXPECT_EQ(ReadBytesOfFile(dataPath), K("here") + K("both")) << "the old file stays as it was";
    EXPECT_FALSE(Enabled(IDC_SAVE));

    DWORD type = 0;
    EXPECT_EQ(ValueBytes(kSettingsPath, "DataFolder", &type), chosen + std::string(1, '\0'));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(ValueExists(kSettingsPath, "DataFolder"));
}

TEST_F(DataFolder, AnEmptyFolderReceivesTheEntriesAndCancellingChangesNothing)
{
    StartWith(K("mine") + E("child"));
    MessageBoxAnswerer answerer(IDOK);
    ChooseFolder("");
    EXPECT_EQ(dialog->DataPath(), dataPath);
    EXPECT_FALSE(FileExists(chosen + "\\quipmark.dat"));
    EXPECT_FALSE(ValueExists(kSettingsPath, "DataFolder"));

    ChooseFolder(chosen);
    ASSERT_EQ(answerer.Count(), 1);
    EXPECT_EQ(answerer.Texts()[0], "Your entries are now kept in " + chosen + " (2 entries).");
    EXPECT_EQ(dialog->DataPath(), chosen + "\\quipmark.dat");
    const std::string saved = ReadBytesOfFile(chosen + "\\quipmark.dat");
    EXPECT_EQ(saved.substr(0, (K("mine") + E("child")).size()), K("mine") + E("child"));
    EXPECT_EQ(ReadBytesOfFile(dataPath), K("mine") + E("child"));
    EXPECT_EQ(ValueBytes(kSettingsPath, "DataFolder"), chosen + std::string(1, '\0'));

    // The same folder again: nothing to do.
    ChooseFolder(chosen);
    EXPECT_EQ(answerer.Count(), 1);
}

TEST_F(DataFolder, AFolderAwayAtStartIsToldAndNothingIsWrittenUntilItIsBack)
{
    const std::string away = folder + "\\away";
    SetText(kSettingsPath, "DataFolder", away);
    dataPath = away + "\\quipmark.dat";
    MessageBoxAnswerer answerer(IDOK);
    auto made = std::make_unique<CQuipMarkDlg>();
    EXPECT_EQ(made->DataPath(), dataPath) << "the stored folder names the data file";
    StartDialog(std::move(made));
    ASSERT_EQ(answerer.Count(), 1);
    EXPECT_NE(answerer.Texts()[0].find(away), std::string::npos) << answerer.Texts()[0];

    dialog->AddEntry("typed while away");
    Click(IDC_SAVE);
    EXPECT_EQ(answerer.Count(), 2) << "the failed save is told";
    EXPECT_TRUE(Enabled(IDC_SAVE));
    EXPECT_FALSE(FileExists(away));
    EXPECT_FALSE(FileExists(folder + "\\quipmark.dat")) << "nothing is written anywhere else";

    CreateDirectoryA(away.c_str(), nullptr);
    Click(IDC_SAVE);
    EXPECT_EQ(answerer.Count(), 2);
    EXPECT_NE(ReadBytesOfFile(dataPath).find("typed while away"), std::string::npos);
}

TEST_F(DataFolder, AConflictCopyAtStartIsTakenInSavedKeptAsABackupAndToldOnce)
{
    const std::string copy = folder + "\\quipmark-LAPTOP.dat";
    const std::string damaged = folder + "\\quipmark (conflicted copy 2026-12-08 101512).dat";
    WriteBytesToFile(dataPath, K("both") + K("only here"));
    WriteBytesToFile(copy, K("both") + K("from the laptop") + E("its child"));
    WriteBytesToFile(damaged, "not a data file");
    WriteBytesToFile(dataPath + ".1.bak", "an older backup");
    MessageBoxAnswerer answerer(IDOK);
    StartDialog();

    ASSERT_EQ(answerer.Count(), 2) << "the damaged copy and the merged one";
    EXPECT_NE(answerer.Texts()[0].find(damaged), std::string::npos) << answerer.Texts()[0];
    EXPECT_NE(answerer.Texts()[1].find("quipmark-LAPTOP.dat"), std::string::npos) << answerer.Texts()[1];
    EXPECT_NE(answerer.Texts()[1].find("quipmark.dat.2.bak"), std::string::npos) << answerer.Texts()[1];
    const std::string outline = TreeOutline();
    for (const char* text : {"  both\n", "  only here\n", "  from the laptop\n"})
        EXPECT_NE(outline.find(text), std::string::npos) << text << " missing from\n" << outline;
    const std::string saved = ReadBytesOfFile(dataPath);
    for (const char* text : {"both", "only here", "from the laptop", "its child"})
        EXPECT_NE(saved.find(text), std::string::npos) << text;
    EXPECT_FALSE(Enabled(IDC_SAVE));
    EXPECT_FALSE(FileExists(copy));
    EXPECT_EQ(ReadBytesOfFile(dataPath + ".2.bak"), K("both") + K("from the laptop") + E("its child"));
    EXPECT_EQ(ReadBytesOfFile(dataPath + ".1.bak"), "an older backup");
    EXPECT_EQ(ReadBytesOfFile(damaged), "not a data file") << "a damaged copy stays where it is";

    // Looked for again (a change in the folder): the damaged copy is not
    // told twice.
    dialog->TakeInConflictCopies();
    EXPECT_EQ(answerer.Count(), 2);
}

}  // namespace
