#include "RegistryTestSupport.h"
#include "settings/HotkeyCode.h"
#include <cstring>

const char kSettingsPath[] = "Software\\Dorvalent\\QuipMark\\";

namespace {

// Opens or creates the key one level at a time: Wine refuses a path of
// more than 259 characters in one call, and sub-keys may have names of 255.
// Null when it cannot; the caller closes what it gets.
HKEY WalkPath(const std::string& path, bool create, REGSAM access)
{
    HKEY key = HKEY_CURRENT_USER;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        HKEY next = nullptr;
        const bool last = start >= path.size() || path.find_first_not_of('\\', start) == std::string::npos;
        const REGSAM rights = last ? access : create ? KEY_READ | KEY_CREATE_SUB_KEY : KEY_READ;
        const LONG result = create ? RegCreateKeyExA(key, part.c_str(), 0, nullptr, 0, rights, nullptr, &next, nullptr)
                                   : RegOpenKeyExA(key, part.c_str(), 0, rights, &next);
        if (key != HKEY_CURRENT_USER)
            RegCloseKey(key);
        if (result != ERROR_SUCCESS)
            return nullptr;
        key = next;
    }
    return key != HKEY_CURRENT_USER ? key : nullptr;
}

}  // namespace

void SetValue(const std::string& path, const char* name, DWORD type, const std::string& bytes)
{
    HKEY key = WalkPath(path, true, KEY_WRITE);
    if (key == nullptr)
        return;
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

void SetNumber(const std::string& path, const char* name, DWORD number)
{
    SetValue(path, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof(number)));
}

void SetText(const std::string& path, const char* name, const std::string& text)
{
    SetValue(path, name, REG_SZ, text + std::string(1, '\0'));
}

bool KeyExists(const std::string& path)
{
    HKEY key = WalkPath(path, false, KEY_READ);
    if (key == nullptr)
        return false;
    RegCloseKey(key);
    return true;
}

std::string ValueBytes(const std::string& path, const char* name, DWORD* type)
{
    DWORD kind = 0;
    DWORD size = 0;
    std::string bytes;
    HKEY key = WalkPath(path, false, KEY_READ);
    if (key != nullptr && RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        bytes.resize(size);
        if (RegQueryValueExA(key, name, nullptr, &kind, reinterpret_cast<BYTE*>(&bytes[0]), &size) == ERROR_SUCCESS) {
            bytes.resize(size);
        } else {
            bytes.clear();
            kind = 0;
        }
    }
    if (key != nullptr)
        RegCloseKey(key);
    if (type != nullptr)
        *type = kind;
    return bytes;
}

bool ValueExists(const std::string& path, const char* name)
{
    DWORD type = 0;
    ValueBytes(path, name, &type);
    return type != 0;
}

DWORD NumberOr(const std::string& path, const char* name, DWORD missing)
{
    DWORD type = 0;
    const std::string bytes = ValueBytes(path, name, &type);
    if (type != REG_DWORD || bytes.size() != sizeof(DWORD))
        return missing;
    DWORD number = 0;
    memcpy(&number, bytes.data(), sizeof(number));
    return number;
}

KeyLock::KeyLock(const std::string& path) : m_path(path)
{
    SetAccess(true);
}

KeyLock::~KeyLock()
{
    SetAccess(false);
}

void KeyLock::SetAccess(bool locked) const
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS)
        return;
    // An empty access list grants nothing; no list at all grants everything.
    SECURITY_DESCRIPTOR descriptor;
    ACL empty;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&empty, sizeof(empty), ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, locked ? &empty : nullptr, FALSE);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
}

bool KeyLock::Holds() const
{
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_READ, &key);
    if (result == ERROR_SUCCESS)
        RegCloseKey(key);
    return result == ERROR_ACCESS_DENIED;
}

HotkeyHolder::HotkeyHolder()
    : m_window(CreateWindowExA(0, "STATIC", "hotkey holder", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr))
{
}

HotkeyHolder::~HotkeyHolder()
{
    ReleaseAll();
    DestroyWindow(m_window);
}

bool HotkeyHolder::Grab(DWORD combination)
{
    if (!RegisterHotKey(m_window, m_count, RegistrationModifiers(HotkeyFlags(combination)),
                        HotkeyKeyCode(combination)))
        return false;
    ++m_count;
    return true;
}

void HotkeyHolder::ReleaseAll()
{
    for (int id = 0; id < m_count; ++id)
        UnregisterHotKey(m_window, id);
    m_count = 0;
}

bool HotkeyIsFree(DWORD combination)
{
    HotkeyHolder holder;
    return holder.Grab(combination);
}
