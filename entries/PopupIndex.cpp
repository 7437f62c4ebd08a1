#include "entries/PopupIndex.h"

namespace {

// Texts shorter than this keep the units alone, in one word of 64 bits:
// their pairs and threes would fill it.
const size_t kGramsFrom = 4096;
// A long text keeps a bit for every so many of its units.
const size_t kUnitsPerBit = 8;
// Reading an entry counts as reading so many units more than its text.
const size_t kUnitsPerEntry = 64;

const std::uint64_t kSpread = 0x9E3779B97F4A7C15ull;

std::uint64_t Unit(std::uint64_t unit)
{
    return (unit + 0x51ED27ull) * kSpread;
}

std::uint64_t Pair(std::uint64_t before, std::uint64_t unit)
{
    return ((before << 32 | unit) ^ 0x2545F4914F6CDD1Dull) * kSpread;
}

std::uint64_t Three(std::uint64_t first, std::uint64_t before, std::uint64_t unit)
{
    return ((first * 0xFF51AFD7ED558CCDull) ^ (before << 32 | unit)) * kSpread;
}

std::uint64_t Folded(wchar_t unit)
{
    return static_cast<std::uint32_t>(unit);
}

void Set(std::uint64_t* bits, unsigned shift, std::uint64_t hash)
{
    const std::uint64_t bit = hash >> shift;
    bits[bit >> 6] |= std::uint64_t(1) << (bit & 63);
}

bool IsSet(const std::uint64_t* bits, unsigned shift, std::uint64_t hash)
{
    const std::uint64_t bit = hash >> shift;
    return (bits[bit >> 6] >> (bit & 63) & 1) != 0;
}

}  // namespace

PopupIndex::PopupIndex(const EntryTree& tree, const SearchFolding& folding) : m_tree(tree), m_folding(folding)
{
}

const FoldedTextSearch& PopupIndex::Search()
{
    if (!m_search)
        m_search = std::make_unique<FoldedTextSearch>(m_folding, m_tree.LeadBytes());
    return *m_search;
}

void PopupIndex::Follow()
{
    const std::uint64_t now = m_tree.TextChanges();
    if (now == m_seen)
        return;
    std::vector<EntryId> changed;
    if (m_tree.TextChangesSince(m_seen, changed)) {
        for (EntryId id : changed) {
            if (m_signatures.erase(id) != 0)
                ++m_generation;
            if (m_tree.Contains(id))
                m_pending.push_back(id);
        }
    } else {
        // Too much changed to tell what: every entry's count says whether
        // what is known of its text still holds.
        std::unordered_map<EntryId, Signature> kept;
        std::vector<EntryId> pending;
        for (EntryId id : m_tree.InPreOrder()) {
            const auto found = m_signatures.find(id);
            if (found != m_signatures.end() && found->second.textChange == m_tree.TextChange(id))
                kept.emplace(id, std::move(found->second));
            else
                pending.push_back(id);
        }
        m_signatures.swap(kept);
        m_pending.swap(pending);
        m_next = 0;
        ++m_generation;
    }
    m_seen = now;
}

bool PopupIndex::Index(size_t units)
{
    Follow();
    if (!Search().FoldsByUnit()) {
        // Texts are folded whole: no unit can be told from a set of them.
        m_pending.clear();
        m_next = 0;
        return true;
    }
    size_t read = 0;
    while (read < units) {
        if (m_reading && m_tree.TextChange(m_reading->id) != m_reading->signature.textChange)
            m_reading.reset();
        if (!m_reading) {
            if (m_next == m_pending.size())
                break;
            const EntryId id = m_pending[m_next++];
            const std::uint64_t textChange = m_tree.TextChange(id);
            const auto found = m_signatures.find(id);
            if (textChange == 0 || (found != m_signatures.end() && found->second.textChange == textChange))
                continue;
            read += kUnitsPerEntry;
            if (!Start(id, textChange))
                continue;
        }
        read += Continue(units > read ? units - read : 1);
    }
    if (m_next == m_pending.size()) {
        std::vector<EntryId>().swap(m_pending);
        m_next = 0;
    }
    return m_pending.empty() && !m_reading;
}

bool PopupIndex::Start(EntryId id, std::uint64_t textChange)
{
    const FoldedTextSearch& search = Search();
    const std::string& text = m_tree.Text(id);
    const std::wstring& unicode = m_tree.UnicodeText(id);
    auto reading = std::make_unique<Reading>();
    reading->id = id;
    Signature& signature = reading->signature;
    signature.textChange = textChange;
    signature.asBytes = unicode.empty() && search.CanSearchBytes(text);
    const size_t length = unicode.empty() ? text.size() : unicode.size();
    // A text that is turned into Unicode to be read cannot be read in
    // portions: a long one is read for every word instead.
    if (search.ReadsWhole(unicode, signature.asBytes) && length > kPortion)
        return false;
    if (length >= kGramsFrom) {
        unsigned log = 6;
        while ((size_t(1) << log) < length / kUnitsPerBit)
            ++log;
        signature.shift = static_cast<unsigned char>(64 - log);
        signature.grams = true;
        signature.words.reset(new std::uint64_t[size_t(1) << (log - 6)]());
    }
    m_reading = std::move(reading);
    return true;
}

size_t PopupIndex::Continue(size_t units)
{
    Reading& reading = *m_reading;
    const std::string& text = m_tree.Text(reading.id);
    const std::wstring& unicode = m_tree.UnicodeText(reading.id);
    const size_t length = unicode.empty() ? text.size() : unicode.size();
    Signature& signature = reading.signature;
    const size_t from = reading.at;
    const size_t until = units < length - from ? from + units : length;
    if (!signature.grams) {
        std::uint64_t* bits = &signature.word;
        reading.at = Search().ReadFolded(text, unicode, signature.asBytes, from, until,
                                         [bits](wchar_t unit) { Set(bits, 58, Unit(Folded(unit))); });
    } else {
        std::uint64_t* bits = signature.words.get();
        const unsigned shift = signature.shift;
        reading.at = Search().ReadFolded(text, unicode, signature.asBytes, from, until, [&](wchar_t folded) {
            const std::uint64_t unit = Folded(folded);
            Set(bits, shift, Unit(unit));
            if (reading.count >= 1)
                Set(bits, shift, Pair(reading.before, unit));
            if (reading.count >= 2)
                Set(bits, shift, Three(reading.first, reading.before, unit));
            reading.first = reading.before;
            reading.before = unit;
            ++reading.count;
        });
    }
    const size_t read = std::max(reading.at, from + 1) - from;
    if (reading.at >= length) {
        m_signatures[reading.id] = std::move(signature);
        m_reading.reset();
    }
    return read;
}

const PopupIndex::Signature* PopupIndex::Find(EntryId id) const
{
    const auto found = m_signatures.find(id);
    return found != m_signatures.end() ? &found->second : nullptr;
}

PopupIndex::Probe PopupIndex::ProbeOf(const std::wstring& folded)
{
    Probe probe;
    for (size_t at = 0; at < folded.size(); ++at) {
        const std::uint64_t unit = Folded(folded[at]);
        probe.units.push_back(Unit(unit));
        if (at >= 1)
            probe.grams.push_back(Pair(Folded(folded[at - 1]), unit));
        if (at >= 2)
            probe.grams.push_back(Three(Folded(folded[at - 2]), Folded(folded[at - 1]), unit));
    }
    return probe;
}

bool PopupIndex::MayHold(const Signature& signature, const Probe& probe)
{
    const std::uint64_t* bits = signature.Bits();
    for (std::uint64_t hash : probe.units)
        if (!IsSet(bits, signature.shift, hash))
            return false;
    if (signature.grams)
        for (std::uint64_t hash : probe.grams)
            if (!IsSet(bits, signature.shift, hash))
                return false;
    return true;
}
