// Builds fallback commands from arbitrary class names, templates and
// addresses: no overrun, nothing cut, the limit always kept.
#include "framework/UrlCommand.h"
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Three parts separated by zero bytes.
    std::string parts[3];
    int part = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && part < 2)
            ++part;
        else
            parts[part] += static_cast<char>(data[i]);
    }
    std::string command = "untouched";
    if (!BuildFallbackCommand(parts[0], parts[1], parts[2], command)) {
        if (command != "untouched")
            std::abort();
        return 0;
    }
    // The address stands whole at the end, after one blank.
    const std::string tail = " " + parts[2];
    if (command.size() < tail.size() || command.compare(command.size() - tail.size(), tail.size(), tail) != 0)
        std::abort();
    if (command.size() > parts[1].size() + tail.size())
        std::abort();
    return 0;
}
