#include "settings/RegistryValue.h"
#include "settings/ValueDecoding.h"
#include <cstring>

CRegistryValue::CRegistryValue() : m_heap(HeapCreate(0, 0, 0)) {}

CRegistryValue::CRegistryValue(DWORD number) : CRegistryValue()
{
    SetNumber(number);
}

CRegistryValue::~CRegistryValue()
{
    FreeData();
    if (m_heap != nullptr)
        HeapDestroy(m_heap);
}

bool CRegistryValue::SetNumber(DWORD number)
{
    if (!Allocate(sizeof(number)))
        return false;
    m_type = REG_DWORD;
    std::memcpy(m_data, &number, sizeof(number));
    return true;
}

bool CRegistryValue::Allocate(DWORD bytes)
{
    FreeData();
    if (m_heap == nullptr)
        return false;
    m_data = static_cast<BYTE*>(HeapAlloc(m_heap, 0, bytes));
    if (m_data == nullptr)
        return false;
    m_size = bytes;
    return true;
}

void CRegistryValue::FreeData()
{
    if (m_data != nullptr)
        HeapFree(m_heap, 0, m_data);
    m_data = nullptr;
    m_size = 0;
}

void CRegistryValue::Truncate(DWORD bytes)
{
    if (bytes < m_size)
        m_size = bytes;
}

bool CRegistryValue::AsNumber(DWORD& number) const
{
    std::uint32_t decoded = 0;
    if (!DecodeNumber(m_type, m_data, m_size, decoded))
        return false;
    number = decoded;
    return true;
}

bool CRegistryValue::AsString(std::string& text) const
{
    return DecodeString(m_type, m_data, m_size, text);
}
