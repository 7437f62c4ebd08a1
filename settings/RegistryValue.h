#pragma once
#include <windows.h>
#include <string>

// A registry value's data and type. The data block comes from a private
// heap of the buffer's own, so no allocation is shared between buffers.
class CRegistryValue {
public:
    CRegistryValue();
    explicit CRegistryValue(DWORD number);
    ~CRegistryValue();
    CRegistryValue(const CRegistryValue&) = delete;
    CRegistryValue& operator=(const CRegistryValue&) = delete;

    // Holds `number` as a REG_DWORD; false when no block could be had.
    bool SetNumber(DWORD number);
    // Replaces the block by an uninitialised one of `bytes` bytes.
    bool Allocate(DWORD bytes);
    void FreeData();
    void SetType(DWORD type) { m_type = type; }
    // Keeps only the first `bytes` bytes, when there are that many.
    void Truncate(DWORD bytes);

    // Both leave the out-parameter untouched and give false when the data is
    // not of a number or string type respectively.
    bool AsNumber(DWORD& number) const;
    bool AsString(std::string& text) const;

    BYTE* Data() const { return m_data; }
    DWORD Size() const { return m_size; }
    DWORD Type() const { return m_type; }

private:
    HANDLE m_heap;
    BYTE* m_data = nullptr;
    DWORD m_size = 0;
    DWORD m_type = 0;
};
