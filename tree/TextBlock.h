#pragma once
#include <cstddef>
#include <string>

// Text carried as a block of global memory in a drag.

// Size of the block that carries `length` characters: rounded up to whole
// 4096-byte steps, the rest zero; 0 for no characters.
size_t DragBlockSize(size_t length);

// The text a block carries: its bytes up to the first zero byte, or all of
// them when it has none.
std::string TextOfBlock(const char* bytes, size_t size);
