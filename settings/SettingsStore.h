#pragma once
#include "settings/RegistryKey.h"
#include "settings/StoredSettings.h"
#include <cstdint>
#include <string>
#include <vector>

// The program's key in the current user's registry: the settings, and the
// lists that older versions kept there as sub-keys for the entries to take
// in once.
class CSettingsStore {
public:
    CSettingsStore() : m_registry(HKEY_CURRENT_USER) {}

    StoredSettings Load() const;
    void Save(const StoredSettings& settings, bool withHotkey) const;

    // Whether nothing at all is stored yet, as at the very first start.
    bool IsEmpty() const;
    // Notes that the first start's hint was shown, so that the key is no
    // longer empty and the hint comes only once.
    bool NoteHintShown() const;

    // The folder the user chose for the entries; empty when none was, or
    // the value is no text.
    std::string DataFolder() const;
    // Empty: the entries live beside the program again, and the value goes.
    bool SaveDataFolder(const std::string& folder) const;

    // The identity this machine counts its edits of the entries under (a
    // random number it made once), and the count of its last edit that a
    // save may have taken elsewhere; 0 for none yet.
    std::uint64_t MachineId() const;
    bool SaveMachineId(std::uint64_t machine) const;
    std::uint64_t MachineEdits() const;
    bool SaveMachineEdits(std::uint64_t count) const;

    // The name of the list at `index` of those left to take in; false when
    // there is none, or its name is too long to be one of ours.
    bool ListName(DWORD index, std::string& name) const;
    // An entry of a list: its 8-bit text and, where it could be read, its
    // text with every character.
    struct ListEntry {
        std::string text;
        std::wstring unicode;
    };
    // A list's texts, values "0", "1", ... up to the first one that is
    // missing or not text; what comes after such a gap is not read.
    std::vector<ListEntry> ReadList(const std::string& name) const;
    bool DeleteList(const std::string& name) const;
    bool MayDeleteList(const std::string& name) const;

private:
    CRegistryKey m_registry;
};
