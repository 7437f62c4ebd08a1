#include "settings/SettingsStore.h"
#include <cstdlib>

namespace {

const char kSettingsPath[] = "Software\\Dorvalent\\QuipMark\\";
const char kHintShownValue[] = "TrayHintShown";
// Lists are named by sub-keys of fewer characters than this.
const DWORD kListNameCapacity = 100;

}  // namespace

bool CSettingsStore::IsEmpty() const
{
    return m_registry.IsEmpty(kSettingsPath);
}

bool CSettingsStore::NoteHintShown() const
{
    return m_registry.WriteNumber(kSettingsPath, kHintShownValue, 1);
}

StoredSettings CSettingsStore::Load() const
{
    return DecodeSettings([this](const char* name) -> std::optional<std::uint32_t> {
        // A missing, unreadable or non-number value is none.
        DWORD value = 0;
        if (!m_registry.ReadNumber(kSettingsPath, name, value))
            return std::nullopt;
        return static_cast<std::uint32_t>(value);
    });
}

void CSettingsStore::Save(const StoredSettings& settings, bool withHotkey) const
{
    for (const StoredNumber& value : EncodeSettings(settings, withHotkey))
        m_registry.WriteNumber(kSettingsPath, value.name, value.number);
}

std::string CSettingsStore::DataFolder() const
{
    std::string folder;
    if (!m_registry.ReadString(kSettingsPath, kDataFolderValue, folder))
        folder.clear();
    return folder;
}

bool CSettingsStore::SaveDataFolder(const std::string& folder) const
{
    if (folder.empty())
        return m_registry.Delete(kSettingsPath, kDataFolderValue) || DataFolder().empty();
    return m_registry.WriteString(kSettingsPath, kDataFolderValue, folder);
}

namespace {

// Kept as text: a registry number holds 32 bits.
std::uint64_t NumberOf(const std::string& text, int base)
{
    if (text.empty() || text.size() > 20)
        return 0;
    char* end = nullptr;
    const unsigned long long number = std::strtoull(text.c_str(), &end, base);
    return end != nullptr && *end == '\0' ? static_cast<std::uint64_t>(number) : 0;
}

}  // namespace

std::uint64_t CSettingsStore::MachineId() const
{
    std::string text;
    return m_registry.ReadString(kSettingsPath, kMachineIdValue, text) ? NumberOf(text, 16) : 0;
}

bool CSettingsStore::SaveMachineId(std::uint64_t machine) const
{
    // Sixteen hex digits, written by hand: the C library's formatting would
    // bring its whole printf into the program for this one number.
    std::string text(16, '0');
    for (size_t at = text.size(); at-- > 0; machine >>= 4)
        text[at] = "0123456789abcdef"[machine & 0xF];
    return m_registry.WriteString(kSettingsPath, kMachineIdValue, text);
}

std::uint64_t CSettingsStore::MachineEdits() const
{
    std::string text;
    return m_registry.ReadString(kSettingsPath, kMachineEditsValue, text) ? NumberOf(text, 10) : 0;
}

bool CSettingsStore::SaveMachineEdits(std::uint64_t count) const
{
    return m_registry.WriteString(kSettingsPath, kMachineEditsValue, std::to_string(count));
}

bool CSettingsStore::ListName(DWORD index, std::string& name) const
{
    return m_registry.SubKeyName(kSettingsPath, index, kListNameCapacity, name);
}

std::vector<CSettingsStore::ListEntry> CSettingsStore::ReadList(const std::string& name) const
{
    const std::string path = kSettingsPath + name;
    std::vector<ListEntry> entries;
    ListEntry entry;
    for (unsigned i = 0; m_registry.ReadString(path, std::to_string(i).c_str(), entry.text); ++i) {
        if (!m_registry.ReadUnicodeString(path, std::to_string(i).c_str(), entry.unicode))
            entry.unicode.clear();
        entries.push_back(entry);
    }
    return entries;
}

bool CSettingsStore::MayDeleteList(const std::string& name) const
{
    return !name.empty() && m_registry.MayDelete(kSettingsPath + name);
}

bool CSettingsStore::DeleteList(const std::string& name) const
{
    return !name.empty() && m_registry.Delete(kSettingsPath + name, nullptr);
}
