#pragma once
#include <windows.h>

// A registry key this program opened itself, closed when it goes. Keys
// handed in from outside (the predefined roots) are never put in one.
class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey()
    {
        if (m_key != nullptr)
            RegCloseKey(m_key);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    // Where an opening call stores the key.
    HKEY* Receive() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};
