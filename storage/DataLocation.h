#pragma once
#include "entries/EntrySnapshot.h"
#include <windows.h>
#include <string>

// Where the entries live: beside the program, or in a folder the user chose
// (a synced one, say), kept in the registry beside the settings. The
// dialog's "Data fol&der..." button asks for the folder and shows the
// current one in its tooltip; the path rules are storage/DataPath.h's.
class CDataLocation {
public:
    CDataLocation() = default;
    ~CDataLocation();
    CDataLocation(const CDataLocation&) = delete;
    CDataLocation& operator=(const CDataLocation&) = delete;

    // The data file's path at start: in the stored folder, else beside the
    // program at `modulePath`.
    std::string Load(const std::string& modulePath);
    // The chosen folder; empty for the program's own.
    const std::string& Folder() const { return m_folder; }
    // Whether the chosen folder is there now; the program's own always is.
    bool Reachable() const;
    // Tells the user that the chosen folder cannot be reached, and that the
    // entries stay in memory until a save reaches it.
    void ReportUnreachable() const;

    // Gives `button` a tooltip that shows the folder of `dataPath`.
    void AttachButton(HWND button, const std::string& dataPath);
    // Asks the user for a folder, starting at that of `dataPath`; false
    // when cancelled, or when the folder cannot hold the entries (said).
    bool AskForFolder(HWND owner, const std::string& dataPath, std::string& folder) const;
    // The entries of the data file in `folder`: false, with the reason
    // told, when it holds one that cannot be read whole. `holdsData` says
    // whether it holds one at all.
    bool ReadFolder(const std::string& folder, bool& holdsData, VersionedEntries& entries) const;
    // Keeps `folder` for the next starts and shows where `dataPath` is.
    bool Remember(const std::string& folder, const std::string& dataPath);

private:
    void ShowFolder(const std::string& dataPath) const;

    std::string m_folder;
    HWND m_button = nullptr;
    HWND m_tip = nullptr;
    // The text the tooltip shows; it points into this.
    mutable std::string m_tipText;
};
