#include "settings/RegistryKey.h"
#include "framework/Handles.h"
#include <cstring>
#include <vector>

namespace {

// The longest name a registry key can have.
const DWORD kMaxKeyNameLength = 255;

}  // namespace

bool CRegistryKey::QueryRaw(const std::string& path, const char* valueName, CRegistryValue& value) const
{
    value.FreeData();
    ScopedKey key;
    if (RegOpenKeyExA(m_root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    if (!value.Allocate(size))
        return false;
    // The size asked for first may exceed what the data turns out to need
    // (text converted to this program's code page); a value that grew in
    // between fails here rather than being cut.
    DWORD got = size;
    if (RegQueryValueExA(key.Get(), valueName, nullptr, &type, value.Data(), &got) != ERROR_SUCCESS) {
        value.FreeData();
        return false;
    }
    value.Truncate(got);
    value.SetType(type);
    return true;
}

bool CRegistryKey::ReadNumber(const std::string& path, const char* valueName, DWORD& number) const
{
    CRegistryValue value;
    return QueryRaw(path, valueName, value) && value.AsNumber(number);
}

bool CRegistryKey::ReadString(const std::string& path, const char* valueName, std::string& text) const
{
    CRegistryValue value;
    return QueryRaw(path, valueName, value) && value.AsString(text);
}

bool CRegistryKey::ReadUnicodeString(const std::string& path, const char* valueName, std::wstring& text) const
{
    ScopedKey key;
    if (RegOpenKeyExA(m_root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return false;
    const std::wstring name(valueName, valueName + std::strlen(valueName));
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::wstring units(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>((units.size()) * sizeof(wchar_t));
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&units[0]), &got) !=
        ERROR_SUCCESS)
        return false;
    units.resize(got / sizeof(wchar_t));
    text = units.substr(0, units.find(L'\0'));
    return true;
}

bool CRegistryKey::WriteRaw(const std::string& path, const char* valueName, const CRegistryValue& value) const
{
    ScopedKey key;
    if (RegCreateKeyExA(m_root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.Get(), valueName, 0, value.Type(), value.Data(), value.Size()) == ERROR_SUCCESS;
}

bool CRegistryKey::WriteNumber(const std::string& path, const char* valueName, DWORD number) const
{
    CRegistryValue value;
    return value.SetNumber(number) && WriteRaw(path, valueName, value);
}

bool CRegistryKey::WriteString(const std::string& path, const char* valueName, const std::string& text) const
{
    CRegistryValue value;
    const DWORD bytes = static_cast<DWORD>(text.size() + 1);
    if (!value.Allocate(bytes))
        return false;
    std::memcpy(value.Data(), text.c_str(), bytes);
    value.SetType(REG_SZ);
    return WriteRaw(path, valueName, value);
}

bool CRegistryKey::SubKeyName(const std::string& path, DWORD index, unsigned long capacity, std::string& name) const
{
    ScopedKey key;
    if (RegOpenKeyExA(m_root, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, key.Receive()) != ERROR_SUCCESS)
        return false;
    std::vector<char> buffer(capacity + 1, '\0');
    DWORD length = capacity;
    if (RegEnumKeyExA(key.Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    name.assign(buffer.data(), length);
    return true;
}

bool CRegistryKey::Delete(const std::string& path, const char* valueName) const
{
    // An empty path names the root itself, which is never ours to delete.
    if (valueName == nullptr && path.empty())
        return false;
    {
        ScopedKey key;
        if (RegOpenKeyExA(m_root, path.c_str(), 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_WRITE,
                          key.Receive()) != ERROR_SUCCESS)
            return false;
        if (valueName != nullptr)
            return RegDeleteValueA(key.Get(), valueName) == ERROR_SUCCESS;
        if (!DeleteSubKeys(key.Get()))
            return false;
    }
    return RegDeleteKeyA(m_root, path.c_str()) == ERROR_SUCCESS;
}

bool CRegistryKey::IsEmpty(const std::string& path) const
{
    ScopedKey key;
    const LONG opened = RegOpenKeyExA(m_root, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive());
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    DWORD keys = 0;
    DWORD values = 0;
    return opened == ERROR_SUCCESS &&
           RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           keys == 0 && values == 0;
}

bool CRegistryKey::MayDelete(const std::string& path) const
{
    if (path.empty())
        return false;
    ScopedKey key;
    if (RegOpenKeyExA(m_root, path.c_str(), 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_WRITE | DELETE,
                      key.Receive()) != ERROR_SUCCESS)
        return false;
    std::vector<char> name(kMaxKeyNameLength * 2 + 1);
    for (DWORD index = 0;; ++index) {
        const LONG result = RegEnumKeyA(key.Get(), index, name.data(), static_cast<DWORD>(name.size()));
        if (result == ERROR_NO_MORE_ITEMS)
            return true;
        if (result != ERROR_SUCCESS || !CRegistryKey(key.Get()).MayDelete(name.data()))
            return false;
    }
}

// Depth-first, always the sub-key at index 0: each deletion shifts the rest
// down. A failure stops at once, or the same sub-key would come up again.
bool CRegistryKey::DeleteSubKeys(HKEY key)
{
    DWORD count = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    // Names are limited in the registry's own characters, which can take
    // more bytes here; room for any name is never too little.
    std::vector<char> name(kMaxKeyNameLength * 2 + 1);
    while (count != 0) {
        if (RegEnumKeyA(key, 0, name.data(), static_cast<DWORD>(name.size())) != ERROR_SUCCESS)
            return false;
        if (!CRegistryKey(key).Delete(name.data(), nullptr))
            return false;
        if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
    }
    return true;
}
