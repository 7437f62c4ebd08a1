// Feeds arbitrary bytes to the data-file decoder: it must never read past the
// data, and what it reports must encode back to a prefix-consistent file.
#include "entries/RecordCodec.h"
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string reencoded;
    size_t total = 0;
    const bool intact = DecodeEntries(bytes, [&](RecordKind kind, std::string_view text) {
        if (text.empty() || text.size() > bytes.size())
            std::abort();
        total += text.size();
        AppendRecord(reencoded, kind, text);
    });
    if (total > bytes.size())
        std::abort();
    // The entries decode again to themselves, intact.
    std::string again;
    if (!DecodeEntries(reencoded, [&](RecordKind kind, std::string_view text) { AppendRecord(again, kind, text); }))
        std::abort();
    if (again != reencoded)
        std::abort();
    // An intact file without empty records is its own encoding.
    if (intact && reencoded.size() > bytes.size())
        std::abort();
    return 0;
}
