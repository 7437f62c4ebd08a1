// Decodes arbitrary registry data of every type: nothing is read outside the
// data, a failed decoding leaves its out-parameter alone, and a string never
// holds a zero byte or more than the data.
#include "settings/ValueDecoding.h"
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const std::uint32_t type = data[0] % 12;
    // The value's bytes in a block of their own, so any overread is caught.
    std::unique_ptr<unsigned char[]> block(new unsigned char[size - 1 > 0 ? size - 1 : 1]);
    std::memcpy(block.get(), data + 1, size - 1);

    std::uint32_t number = 0xA5A5A5A5u;
    if (!DecodeNumber(type, block.get(), size - 1, number) && number != 0xA5A5A5A5u)
        std::abort();
    std::string text = "untouched";
    if (!DecodeString(type, block.get(), size - 1, text)) {
        if (text != "untouched")
            std::abort();
    } else if (text.size() > size - 1 || text.find('\0') != std::string::npos) {
        std::abort();
    }
    return 0;
}
