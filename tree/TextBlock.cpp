#include "tree/TextBlock.h"
#include <cstring>

namespace {
const size_t kBlockStep = 4096;
}

size_t DragBlockSize(size_t length)
{
    return (length + kBlockStep - 1) / kBlockStep * kBlockStep;
}

std::string TextOfBlock(const char* bytes, size_t size)
{
    if (bytes == nullptr || size == 0)
        return std::string();
    const void* zero = std::memchr(bytes, '\0', size);
    const size_t length = zero != nullptr ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : size;
    return std::string(bytes, length);
}
