#include "storage/RecordCodec.h"
#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>
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

void AppendNumber(std::string& out, uint64_t value)
{
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

// Reads the bytes of a "V" record front to back; any read past its end or
// of a number beyond 64 bits fails, and every later read then fails too.
class VersionReader {
public:
    explicit VersionReader(std::string_view bytes) : m_bytes(bytes) {}

    bool Number(uint64_t& value)
    {
        value = 0;
        for (int shift = 0; m_ok && shift < 64; shift += 7) {
            if (m_at == m_bytes.size())
                break;
            const uint64_t byte = static_cast<unsigned char>(m_bytes[m_at++]);
            value |= (byte & 0x7F) << shift;
            if ((byte & 0x80) == 0)
                return true;
        }
        return m_ok = false;
    }

    bool Fixed64(uint64_t& value)
    {
        if (!m_ok || m_bytes.size() - m_at < 8)
            return m_ok = false;
        value = ReadLittleEndian64(m_bytes.substr(m_at));
        m_at += 8;
        return true;
    }

    // At most as many items as the bytes left could hold, so that a damaged
    // count allocates nothing unreasonable.
    bool Count(uint64_t& count, size_t bytesEach)
    {
        return Number(count) && (count <= (m_bytes.size() - m_at) / bytesEach || (m_ok = false));
    }

    bool ReadVersion(Version& version, const std::vector<MachineId>& machines, uint64_t count)
    {
        version.clear();
        version.reserve(static_cast<size_t>(count));
        for (uint64_t i = 0; i < count; ++i) {
            uint64_t index = 0, edits = 0;
            if (!Number(index) || !Number(edits) || index >= machines.size() || edits == 0)
                return m_ok = false;
            version.push_back({machines[static_cast<size_t>(index)], edits});
        }
        std::sort(version.begin(), version.end(), [](const VersionDot& a, const VersionDot& b) { return a.machine < b.machine; });
        for (size_t i = 1; i < version.size(); ++i)
            if (version[i].machine == version[i - 1].machine)
                return m_ok = false;
        return true;
    }

    bool Finished() const { return m_ok && m_at == m_bytes.size(); }

private:
    std::string_view m_bytes;
    size_t m_at = 0;
    bool m_ok = true;
};

// A "V" record's bytes, for `entries` entries.
bool ReadVersions(std::string_view bytes, size_t entries, EntryHistory& history, std::vector<OrdinalVersions>& versions)
{
    VersionReader reader(bytes);
    uint64_t count = 0;
    if (!reader.Count(count, 8))
        return false;
    std::vector<MachineId> machines(static_cast<size_t>(count));
    for (MachineId& machine : machines)
        if (!reader.Fixed64(machine))
            return false;
    if (!reader.Count(count, 2) || !reader.ReadVersion(history.seen, machines, count) || !reader.Count(count, 9))
        return false;
    history.removed.resize(static_cast<size_t>(count));
    for (Removal& removal : history.removed) {
        uint64_t dots = 0;
        if (!reader.Fixed64(removal.uid) || !reader.Count(dots, 2) || !reader.ReadVersion(removal.version, machines, dots))
            return false;
    }
    if (!reader.Count(count, 2))
        return false;
    versions.resize(static_cast<size_t>(count));
    size_t next = 0;
    for (OrdinalVersions& entry : versions) {
        uint64_t step = 0, header = 0;
        if (!reader.Number(step) || step >= entries - std::min(next, entries) || !reader.Number(header))
            return false;
        entry.ordinal = next + static_cast<size_t>(step);
        next = entry.ordinal + 1;
        if (!reader.ReadVersion(entry.text, machines, header >> 2))
            return false;
        const uint64_t place = header & 3;
        if (place == 1)
            entry.place = entry.text;
        else if (place == 2 && (!reader.Count(count, 2) || !reader.ReadVersion(entry.place, machines, count)))
            return false;
        else if (place == 3)
            return false;
    }
    return reader.Finished();
}

// A "P" record's bytes, for `entries` entries and `removals` removals.
bool ReadPlaces(std::string_view bytes, size_t entries, size_t removals, std::vector<OrdinalPlace>& entryPlaces,
                std::vector<OrdinalPlace>& removalPlaces)
{
    VersionReader reader(bytes);
    // Runs of neighbours put after the same one: the step to the first, how
    // many, and where.
    auto list = [&](size_t count, std::vector<OrdinalPlace>& places) {
        uint64_t runs = 0;
        if (!reader.Count(runs, 3))
            return false;
        size_t next = 0;
        for (uint64_t run = 0; run < runs; ++run) {
            uint64_t step = 0, length = 0, after = 0;
            if (!reader.Number(step) || step >= count - std::min(next, count) || !reader.Number(length) || length == 0 ||
                length > count - next - step || !reader.Number(after) || after > entries + removals)
                return false;
            next += static_cast<size_t>(step);
            places.push_back({next, static_cast<size_t>(after), static_cast<size_t>(length)});
            next += static_cast<size_t>(length);
        }
        return true;
    };
    return list(entries, entryPlaces) && list(removals, removalPlaces) && reader.Finished();
}

// The whole data as one piece.
bool ReadRecords(std::string_view data, const RecordReader::EntrySink& onEntry,
                 const RecordReader::UnicodeSink& onUnicode, const RecordReader::IdentitySink& onIdentities,
                 const RecordReader::VersionSink& onVersions, const RecordReader::PlaceSink& onPlaces = nullptr)
{
    RecordReader reader(data.size(), onEntry, onUnicode, onIdentities, onVersions, onPlaces);
    reader.Add(data);
    return reader.Finish();
}

}  // namespace

RecordReader::RecordReader(std::uint64_t total, EntrySink onEntry, UnicodeSink onUnicode, IdentitySink onIdentities,
                           VersionSink onVersions, PlaceSink onPlaces)
    : m_onEntry(std::move(onEntry)),
      m_onUnicode(std::move(onUnicode)),
      m_onIdentities(std::move(onIdentities)),
      m_onVersions(std::move(onVersions)),
      m_onPlaces(std::move(onPlaces)),
      m_left(total)
{
}

bool RecordReader::Add(std::string_view piece)
{
    if (piece.size() > m_left)
        m_ok = false;
    while (m_ok && !piece.empty()) {
        if (m_headerSize < kRecordHeaderSize) {
            const size_t taken = std::min(piece.size(), kRecordHeaderSize - m_headerSize);
            std::memcpy(m_header + m_headerSize, piece.data(), taken);
            m_headerSize += taken;
            m_left -= taken;
            piece.remove_prefix(taken);
            if (m_headerSize == kRecordHeaderSize && Begin() && m_bodyLeft == 0)
                End(std::string_view());
            continue;
        }
        const size_t taken = static_cast<size_t>(std::min<std::uint64_t>(piece.size(), m_bodyLeft));
        const bool whole = m_body.empty() && taken == m_bodyLeft;
        // A record within one piece is read from the piece itself; one
        // across pieces is put together.
        if (!whole && m_kind != Body::Skipped) {
            if (m_body.empty())
                m_body.reserve(static_cast<size_t>(m_bodyLeft));
            m_body.append(piece.data(), taken);
        }
        m_bodyLeft -= taken;
        m_left -= taken;
        if (m_bodyLeft == 0)
            End(whole ? piece.substr(0, taken) : std::string_view(m_body));
        piece.remove_prefix(taken);
    }
    return m_ok;
}

bool RecordReader::Finish() const
{
    return m_ok && m_headerSize == 0 && m_left == 0;
}

bool RecordReader::Fail()
{
    return m_ok = false;
}

bool RecordReader::Begin()
{
    const char tag = m_header[0];
    const std::uint32_t length = ReadLittleEndian32(std::string_view(m_header + 1, 4));
    m_bodyLeft = length;
    m_body.clear();
    // Every record's length is checked before any of its bytes is kept: a
    // damaged length allocates nothing beyond the data.
    if (length > m_left)
        return Fail();
    const bool knowsLater = static_cast<bool>(m_onVersions);
    // The places come straight after the versions, once.
    if (knowsLater && tag == kPlaceTag && m_onPlaces) {
        if (!m_afterVersions || m_afterPlaces || m_inLaterRecords)
            return Fail();
        m_kind = Body::Places;
        return true;
    }
    // A later version's records come after everything this one knows.
    if (knowsLater && tag >= 'A' && tag <= 'Z' && tag != kTopLevelTag && tag != kUnicodeTag &&
        tag != kIdentityTag && tag != kVersionTag) {
        m_inLaterRecords = true;
        m_kind = Body::Skipped;
        return true;
    }
    if (m_inLaterRecords || m_afterVersions)
        return Fail();
    if (tag == kVersionTag && knowsLater) {
        m_kind = Body::Versions;
    } else if (m_afterIdentities) {
        // The identities come last of the entries' own records.
        return Fail();
    } else if (tag == kIdentityTag && m_onIdentities) {
        if (length / kIdentitySize != m_named.size() || length % kIdentitySize != 0)
            return Fail();
        m_kind = Body::Identities;
    } else if (tag == kUnicodeTag && m_onUnicode) {
        if (length <= kOrdinalSize || (length - kOrdinalSize) % 2 != 0)
            return Fail();
        m_kind = Body::Unicode;
    } else if (m_inUnicodeRecords) {
        // The "U" records come last: an entry after them is not one this
        // program wrote.
        return Fail();
    } else if (tag == kTopLevelTag || (tag == kChildTag && m_haveGroup)) {
        m_kind = tag == kTopLevelTag ? Body::TopLevel : Body::Child;
    } else {
        return Fail();
    }
    return true;
}

void RecordReader::End(std::string_view body)
{
    m_headerSize = 0;
    switch (m_kind) {
    case Body::Skipped:
        break;
    case Body::Versions: {
        EntryHistory history;
        std::vector<OrdinalVersions> versions;
        if (!ReadVersions(body, m_named.size(), history, versions)) {
            Fail();
            break;
        }
        m_afterVersions = true;
        m_removals = history.removed.size();
        m_onVersions(std::move(history), std::move(versions));
        break;
    }
    case Body::Places: {
        std::vector<OrdinalPlace> entries, removals;
        if (!ReadPlaces(body, m_named.size(), m_removals, entries, removals)) {
            Fail();
            break;
        }
        m_afterPlaces = true;
        m_onPlaces(std::move(entries), std::move(removals));
        break;
    }
    case Body::Identities: {
        std::vector<std::uint64_t> identities(m_named.size());
        for (size_t i = 0; i < identities.size(); ++i)
            identities[i] = ReadLittleEndian64(body.substr(i * kIdentitySize));
        m_afterIdentities = true;
        m_onIdentities(std::move(identities));
        break;
    }
    case Body::Unicode: {
        const std::uint32_t ordinal = ReadLittleEndian32(body);
        if (ordinal >= m_named.size() || m_named[ordinal]) {
            Fail();
            break;
        }
        m_named[ordinal] = true;
        m_inUnicodeRecords = true;
        m_onUnicode(ordinal, FromUtf16LittleEndian(body.substr(kOrdinalSize)));
        break;
    }
    case Body::TopLevel:
    case Body::Child:
        // An empty record makes no entry.
        if (body.empty())
            break;
        m_named.push_back(false);
        if (m_kind == Body::TopLevel) {
            m_haveGroup = true;
            m_onEntry(RecordKind::TopLevel, body);
        } else {
            m_onEntry(RecordKind::Child, body);
        }
        break;
    }
    // A long record's room is not kept for the short ones after it.
    if (m_body.capacity() > kKeptRoom)
        std::string().swap(m_body);
    m_body.clear();
}

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
    return ReadRecords(data, onEntry, nullptr, nullptr, nullptr);
}

bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry,
                   const std::function<void(size_t ordinal, std::wstring unicode)>& onUnicode)
{
    return ReadRecords(data, onEntry, onUnicode, nullptr, nullptr);
}

bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry,
                   const std::function<void(size_t ordinal, std::wstring unicode)>& onUnicode,
                   const std::function<void(std::vector<uint64_t> identities)>& onIdentities)
{
    return ReadRecords(data, onEntry, onUnicode, onIdentities, nullptr);
}

bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry,
                   const std::function<void(size_t ordinal, std::wstring unicode)>& onUnicode,
                   const std::function<void(std::vector<uint64_t> identities)>& onIdentities,
                   const std::function<void(EntryHistory history, std::vector<OrdinalVersions> versions)>& onVersions)
{
    return ReadRecords(data, onEntry, onUnicode, onIdentities, onVersions);
}

bool DecodeEntries(std::string_view data,
                   const std::function<void(RecordKind, std::string_view)>& onEntry,
                   const std::function<void(size_t ordinal, std::wstring unicode)>& onUnicode,
                   const std::function<void(std::vector<std::uint64_t> identities)>& onIdentities,
                   const std::function<void(EntryHistory history, std::vector<OrdinalVersions> versions)>& onVersions,
                   const std::function<void(std::vector<OrdinalPlace> entries, std::vector<OrdinalPlace> removals)>& onPlaces)
{
    return ReadRecords(data, onEntry, onUnicode, onIdentities, onVersions, onPlaces);
}

bool AppendVersionRecord(std::string& out, const EntryHistory& history, const std::vector<OrdinalVersions>& entries)
{
    // The machines in the order they first come, each once.
    std::vector<MachineId> machines;
    std::unordered_map<MachineId, size_t> indexOf;
    auto index = [&](MachineId machine) {
        const auto made = indexOf.emplace(machine, machines.size());
        if (made.second)
            machines.push_back(machine);
        return made.first->second;
    };
    std::string body;
    auto version = [&](const Version& v) {
        for (const VersionDot& dot : v) {
            AppendNumber(body, index(dot.machine));
            AppendNumber(body, dot.count);
        }
    };
    AppendNumber(body, history.seen.size());
    version(history.seen);
    AppendNumber(body, history.removed.size());
    for (const Removal& removal : history.removed) {
        AppendIdentity(body, removal.uid);
        AppendNumber(body, removal.version.size());
        version(removal.version);
    }
    AppendNumber(body, entries.size());
    size_t next = 0;
    for (const OrdinalVersions& entry : entries) {
        AppendNumber(body, entry.ordinal - next);
        next = entry.ordinal + 1;
        const uint64_t place = entry.place.empty() ? 0 : entry.place == entry.text ? 1 : 2;
        AppendNumber(body, static_cast<uint64_t>(entry.text.size()) << 2 | place);
        version(entry.text);
        if (place == 2) {
            AppendNumber(body, entry.place.size());
            version(entry.place);
        }
    }
    std::string table;
    AppendNumber(table, machines.size());
    for (MachineId machine : machines)
        AppendIdentity(table, machine);
    if (table.size() + body.size() > std::numeric_limits<uint32_t>::max())
        return false;
    AppendTaggedHeader(out, kVersionTag, table.size() + body.size());
    out += table;
    out += body;
    return true;
}

bool AppendPlaceRecord(std::string& out, const std::vector<OrdinalPlace>& entries,
                       const std::vector<OrdinalPlace>& removals)
{
    std::string body;
    for (const std::vector<OrdinalPlace>* places : {&entries, &removals}) {
        // Neighbours put after the same one (entries put first, one after
        // another, are all put first) as one run.
        std::vector<std::pair<size_t, size_t>> runs;  // first place in `places`, length
        for (size_t i = 0; i < places->size(); ++i) {
            const OrdinalPlace& place = (*places)[i];
            if (!runs.empty()) {
                const OrdinalPlace& last = (*places)[i - 1];
                if (last.ordinal + last.count == place.ordinal && last.after == place.after) {
                    runs.back().second += place.count;
                    continue;
                }
            }
            runs.push_back({i, place.count});
        }
        AppendNumber(body, runs.size());
        size_t next = 0;
        for (const auto& [first, length] : runs) {
            const OrdinalPlace& place = (*places)[first];
            AppendNumber(body, place.ordinal - next);
            AppendNumber(body, length);
            AppendNumber(body, place.after);
            next = place.ordinal + length;
        }
    }
    if (body.size() > std::numeric_limits<uint32_t>::max())
        return false;
    AppendTaggedHeader(out, kPlaceTag, body.size());
    out += body;
    return true;
}
