#pragma once
// Registry and hotkey helpers of the settings tests: values set and read
// behind the program's back, a key nobody may open, and a window of the
// test's own that holds a global hotkey.
#include <windows.h>
#include <string>

extern const char kSettingsPath[];  // "Software\Dorvalent\QuipMark\"

void SetValue(const std::string& path, const char* name, DWORD type, const std::string& bytes);
void SetNumber(const std::string& path, const char* name, DWORD number);
void SetText(const std::string& path, const char* name, const std::string& text);
bool KeyExists(const std::string& path);
bool ValueExists(const std::string& path, const char* name);
// The value's data as stored, and its type; empty with type 0 when missing.
std::string ValueBytes(const std::string& path, const char* name, DWORD* type = nullptr);
// A REG_DWORD value, or `missing` when there is none of that type.
DWORD NumberOr(const std::string& path, const char* name, DWORD missing);

// While it lives, the key at `path` (below HKEY_CURRENT_USER) grants no
// access to anyone, so it can be neither opened nor deleted.
class KeyLock {
public:
    explicit KeyLock(const std::string& path);
    ~KeyLock();
    KeyLock(const KeyLock&) = delete;
    KeyLock& operator=(const KeyLock&) = delete;
    // Whether the lock took: an attempt to open the key is refused.
    bool Holds() const;

private:
    void SetAccess(bool locked) const;
    std::string m_path;
};

// A hidden window of the test's own that registers global hotkeys, as
// another program would.
class HotkeyHolder {
public:
    HotkeyHolder();
    ~HotkeyHolder();
    HotkeyHolder(const HotkeyHolder&) = delete;
    HotkeyHolder& operator=(const HotkeyHolder&) = delete;
    // Registers the hotkey-control combination; true when it was free.
    bool Grab(DWORD combination);
    void ReleaseAll();

private:
    HWND m_window;
    int m_count = 0;
};

// Whether nobody holds the combination: it can be registered (and is let go
// again at once).
bool HotkeyIsFree(DWORD combination);
