#include "entries/RecordCodec.h"
#include <cstdint>

void AppendRecordHeader(std::string& out, RecordKind kind, size_t length)
{
    const uint32_t stored = static_cast<uint32_t>(length);
    out += kind == RecordKind::TopLevel ? kTopLevelTag : kChildTag;
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((stored >> shift) & 0xFF);
}

void AppendRecord(std::string& out, RecordKind kind, std::string_view text)
{
    AppendRecordHeader(out, kind, text.size());
    out.append(text.data(), text.size());
}

bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry)
{
    bool haveGroup = false;
    size_t position = 0;
    while (position < data.size()) {
        if (data.size() - position < kRecordHeaderSize)
            return false;
        const char tag = data[position];
        uint32_t length = 0;
        for (int i = 3; i >= 0; --i)
            length = (length << 8) | static_cast<unsigned char>(data[position + 1 + static_cast<size_t>(i)]);
        position += kRecordHeaderSize;
        if (tag != kTopLevelTag && !(tag == kChildTag && haveGroup))
            return false;
        if (length > data.size() - position)
            return false;
        if (length != 0) {
            const std::string_view text = data.substr(position, length);
            if (tag == kTopLevelTag) {
                haveGroup = true;
                onEntry(RecordKind::TopLevel, text);
            } else {
                onEntry(RecordKind::Child, text);
            }
            position += length;
        }
    }
    return true;
}
