#include "storage/RecordCodec.h"
#include <limits>
#include <utility>
#include <vector>

namespace {

void AppendLittleEndian32(std::string& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

// `bytes` holds at least 4 bytes.
uint32_t ReadLittleEndian32(std::string_view bytes)
{
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

void AppendTaggedHeader(std::string& out, char tag, size_t length)
{
    out += tag;
    AppendLittleEndian32(out, static_cast<uint32_t>(length));
}

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Windows' wide strings are UTF-16 already; where wchar_t holds whole code
// points (the native builds), those beyond the first plane become surrogate
// pairs, so that both write the same bytes for the same text.
std::string ToUtf16LittleEndian(std::wstring_view unicode)
{
    std::string bytes;
    bytes.reserve(unicode.size() * 2);
    auto unit = [&](uint32_t value) {
        bytes += static_cast<char>(value & 0xFF);
        bytes += static_cast<char>((value >> 8) & 0xFF);
    };
    for (wchar_t c : unicode) {
        const uint32_t value = static_cast<uint32_t>(c);
        if (value <= 0xFFFF) {
            unit(value);
        } else if (value <= 0x10FFFF) {
            const uint32_t above = value - 0x10000;
            unit(0xD800 + (above >> 10));
            unit(0xDC00 + (above & 0x3FF));
        } else {
            unit(0xFFFD);  // no character at all: the replacement character stands for it
        }
    }
    return bytes;
}

// `bytes` holds an even number of bytes. Unpaired surrogates stay as they
// are: Windows lets a text hold them, and they must come back unchanged.
std::wstring FromUtf16LittleEndian(std::string_view bytes)
{
    auto unitAt = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]))
             | static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    };
    std::wstring unicode;
    unicode.reserve(bytes.size() / 2);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        uint32_t value = unitAt(i);
        if constexpr (sizeof(wchar_t) > 2) {
            if (IsHighSurrogate(value) && i + 3 < bytes.size() && IsLowSurrogate(unitAt(i + 2))) {
                value = 0x10000 + ((value - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00);
                i += 2;
            }
        }
        unicode += static_cast<wchar_t>(value);
    }
    return unicode;
}

// `bytes` holds at least 8 bytes.
uint64_t ReadLittleEndian64(std::string_view bytes)
{
    return static_cast<uint64_t>(ReadLittleEndian32(bytes.substr(4))) << 32 | ReadLittleEndian32(bytes);
}

// Reads the records; `onUnicode` null reads them as a reader that knows
// only the entries' records, to which a "U" is an unknown tag, and
// `onIdentities` null as one that knows no "I".
bool ReadRecords(std::string_view data,
                 const std::function<void(RecordKind, std::string_view)>& onEntry,
                 const std::function<void(size_t, std::wstring)>* onUnicode,
                 const std::function<void(std::vector<uint64_t>)>* onIdentities)
{
    bool haveGroup = false;
    bool inUnicodeRecords = false;
    bool afterIdentities = false;
    // One flag per entry reported: whether a "U" record has named it.
    std::vector<bool> named;
    size_t position = 0;
    while (position < data.size()) {
        if (data.size() - position < kRecordHeaderSize)
            return false;
        const char tag = data[position];
        const uint32_t length = ReadLittleEndian32(data.substr(position + 1));
        position += kRecordHeaderSize;
        // The identities come last of all.
        if (afterIdentities)
            return false;
        if (tag == kIdentityTag && onIdentities != nullptr) {
            if (length > data.size() - position || length / kIdentitySize != named.size() ||
                length % kIdentitySize != 0)
                return false;
            std::vector<uint64_t> identities(named.size());
            for (size_t i = 0; i < identities.size(); ++i)
                identities[i] = ReadLittleEndian64(data.substr(position + i * kIdentitySize));
            afterIdentities = true;
            (*onIdentities)(std::move(identities));
            position += length;
            continue;
        }
        if (tag == kUnicodeTag && onUnicode != nullptr) {
            if (length > data.size() - position || length <= kOrdinalSize || (length - kOrdinalSize) % 2 != 0)
                return false;
            const uint32_t ordinal = ReadLittleEndian32(data.substr(position));
            if (ordinal >= named.size() || named[ordinal])
                return false;
            named[ordinal] = true;
            inUnicodeRecords = true;
            (*onUnicode)(ordinal, FromUtf16LittleEndian(data.substr(position + kOrdinalSize, length - kOrdinalSize)));
            position += length;
            continue;
        }
        // The "U" records come last: an entry after them is not one this
        // program wrote.
        if (inUnicodeRecords)
            return false;
        if (tag != kTopLevelTag && !(tag == kChildTag && haveGroup))
            return false;
        if (length > data.size() - position)
            return false;
        if (length != 0) {
            const std::string_view text = data.substr(position, length);
            if (onUnicode != nullptr || onIdentities != nullptr)
                named.push_back(false);
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

}  // namespace

void AppendRecordHeader(std::string& out, RecordKind kind, size_t length)
{
    AppendTaggedHeader(out, kind == RecordKind::TopLevel ? kTopLevelTag : kChildTag, length);
}

void AppendRecord(std::string& out, RecordKind kind, std::string_view text)
{
    AppendRecordHeader(out, kind, text.size());
    out.append(text.data(), text.size());
}

void AppendUnicodeRecord(std::string& out, uint32_t ordinal, std::wstring_view unicode)
{
    const std::string text = ToUtf16LittleEndian(unicode);
    AppendTaggedHeader(out, kUnicodeTag, kOrdinalSize + text.size());
    AppendLittleEndian32(out, ordinal);
    out += text;
}

bool AppendIdentityRecordHeader(std::string& out, size_t count)
{
    if (count > std::numeric_limits<uint32_t>::max() / kIdentitySize)
        return false;
    AppendTaggedHeader(out, kIdentityTag, count * kIdentitySize);
    return true;
}

void AppendIdentity(std::string& out, uint64_t identity)
{
    AppendLittleEndian32(out, static_cast<uint32_t>(identity & 0xFFFFFFFFu));
    AppendLittleEndian32(out, static_cast<uint32_t>(identity >> 32));
}

bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry)
{
    return ReadRecords(data, onEntry, nullptr, nullptr);
}

bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry,
                   const std::function<void(size_t ordinal, std::wstring unicode)>& onUnicode)
{
    return ReadRecords(data, onEntry, &onUnicode, nullptr);
}

bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry,
                   const std::function<void(size_t ordinal, std::wstring unicode)>& onUnicode,
                   const std::function<void(std::vector<uint64_t> identities)>& onIdentities)
{
    return ReadRecords(data, onEntry, &onUnicode, &onIdentities);
}
