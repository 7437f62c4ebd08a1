#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// How registry data of a given type reads as a number or as text. Kept apart
// from the registry itself so that it builds and is tested anywhere.

// The registry's type codes (winnt.h values) that the decoding cares about.
namespace RegistryType {
const std::uint32_t kString = 1;             // REG_SZ
const std::uint32_t kExpandString = 2;       // REG_EXPAND_SZ
const std::uint32_t kNumber = 4;             // REG_DWORD
const std::uint32_t kNumberBigEndian = 5;    // REG_DWORD_BIG_ENDIAN
const std::uint32_t kLink = 6;               // REG_LINK
}  // namespace RegistryType

// A number type gives its first four bytes in the machine's byte order (a
// big-endian value is not reversed). Any other type, or fewer than four
// bytes, gives false and leaves `number` as it was.
bool DecodeNumber(std::uint32_t type, const unsigned char* data, std::size_t size,
                  std::uint32_t& number);

// A string type gives its bytes up to the first zero byte, or to the end of
// the data when there is none; environment references stay as they are.
// Any other type gives false and leaves `text` as it was.
bool DecodeString(std::uint32_t type, const unsigned char* data, std::size_t size,
                  std::string& text);
