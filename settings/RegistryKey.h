#pragma once
#include "settings/RegistryValue.h"
#include <string>

// Reads, writes and deletes registry values and keys below a root key. Each
// operation opens what it needs by path, does one thing and closes it again;
// no key handle is held between calls, and the root stays open for its
// owner. Every result is true for success; failures are silent.
class CRegistryKey {
public:
    explicit CRegistryKey(HKEY root) : m_root(root) {}
    virtual ~CRegistryKey() = default;

    // The value's bytes and type. On failure the buffer holds no block.
    bool QueryRaw(const std::string& path, const char* valueName, CRegistryValue& value) const;
    // On failure, including data of another type, the out-parameter is
    // left as it was.
    bool ReadNumber(const std::string& path, const char* valueName, DWORD& number) const;
    bool ReadString(const std::string& path, const char* valueName, std::string& text) const;
    // A text value with every character, up to its first zero; false for
    // any other value. `valueName` is plain ASCII.
    bool ReadUnicodeString(const std::string& path, const char* valueName, std::wstring& text) const;

    // Missing keys on the path are created.
    bool WriteRaw(const std::string& path, const char* valueName, const CRegistryValue& value) const;
    bool WriteNumber(const std::string& path, const char* valueName, DWORD number) const;
    // A REG_SZ value of the 8-bit text.
    bool WriteString(const std::string& path, const char* valueName, const std::string& text) const;

    // The name of the key's sub-key at `index` in the system's order, read
    // through a buffer of `capacity` characters; false when there is none
    // there, or a longer name.
    bool SubKeyName(const std::string& path, DWORD index, unsigned long capacity, std::string& name) const;

    // With a value name, deletes that value of the key at `path`; without
    // one (nullptr), the key at `path` with all its values and sub-keys.
    bool Delete(const std::string& path, const char* valueName) const;

    // Whether the key at `path` is missing, or holds no value and no key;
    // false too when it cannot be read.
    bool IsEmpty(const std::string& path) const;

    // Whether the key at `path` and every key below it open with the access
    // that deleting them needs; deleting may still fail later.
    bool MayDelete(const std::string& path) const;

private:
    static bool DeleteSubKeys(HKEY key);

    HKEY m_root;
};
