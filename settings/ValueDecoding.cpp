#include "settings/ValueDecoding.h"
#include <cstring>

#ifdef _WIN32
#include <windows.h>
static_assert(RegistryType::kString == REG_SZ && RegistryType::kExpandString == REG_EXPAND_SZ &&
                  RegistryType::kNumber == REG_DWORD &&
                  RegistryType::kNumberBigEndian == REG_DWORD_BIG_ENDIAN &&
                  RegistryType::kLink == REG_LINK,
              "registry type codes");
#endif

bool DecodeNumber(std::uint32_t type, const unsigned char* data, std::size_t size,
                  std::uint32_t& number)
{
    if (type != RegistryType::kNumber && type != RegistryType::kNumberBigEndian)
        return false;
    if (data == nullptr || size < sizeof(number))
        return false;
    std::memcpy(&number, data, sizeof(number));
    return true;
}

bool DecodeString(std::uint32_t type, const unsigned char* data, std::size_t size,
                  std::string& text)
{
    if (type != RegistryType::kString && type != RegistryType::kExpandString &&
        type != RegistryType::kLink)
        return false;
    if (data == nullptr || size == 0) {
        text.clear();
        return true;
    }
    const void* zero = std::memchr(data, 0, size);
    const std::size_t length =
        zero != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - data) : size;
    text.assign(reinterpret_cast<const char*>(data), length);
    return true;
}
