#include "storage/KnownFile.h"
#include "storage/EntryFile.h"
#include "storage/EntryMerge.h"
#include <utility>

bool operator==(const FileStamp& a, const FileStamp& b)
{
    return a.size == b.size && a.writeTime == b.writeTime;
}

void ContentHash::Add(std::string_view bytes)
{
    // FNV-1a: fast, and a change of any byte changes the result.
    for (const char c : bytes) {
        m_value ^= static_cast<unsigned char>(c);
        m_value *= 1099511628211ull;
    }
}

std::uint64_t HashOf(std::string_view bytes)
{
    ContentHash hash;
    hash.Add(bytes);
    return hash.Value();
}

bool SameEntries(const EntrySnapshot& a, const EntrySnapshot& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].uid != b[i].uid || a[i].text != b[i].text || a[i].unicode != b[i].unicode ||
            a[i].textVersion != b[i].textVersion || a[i].placeVersion != b[i].placeVersion ||
            !SameEntries(a[i].children, b[i].children))
            return false;
    }
    return true;
}

void KnownFile::Remember(const FileStamp& stamp, std::uint64_t hash)
{
    m_stamp = stamp;
    m_hash = hash;
    m_known = true;
}

void KnownFile::Forget()
{
    m_stamp = FileStamp();
    m_hash = 0;
    m_known = false;
}

bool KnownFile::MayHaveChanged(const FileStamp& now) const
{
    return !m_known || now != m_stamp;
}

FollowOutcome KnownFile::Take(std::string_view bytes, const FileStamp& stamp, const VersionedEntries& ours,
                              bool acceptDamaged)
{
    FollowOutcome outcome;
    const std::uint64_t hash = HashOf(bytes);
    if (m_known && hash == m_hash) {
        // The same bytes under another time (copied back, touched): only
        // the stamp is new.
        m_stamp = stamp;
        return outcome;
    }
    VersionedEntries theirs;
    if (!DecodeVersioned(bytes, theirs)) {
        if (!acceptDamaged) {
            outcome.step = FollowStep::TryAgain;
            return outcome;
        }
        outcome.damaged = true;
    }
    MergeOutcome merged = MergeVersions(ours, theirs);
    outcome.unsaved = !SameEntries(merged.merged, theirs.entries) || merged.history.seen != theirs.history.seen ||
                      merged.history.removed != theirs.history.removed;
    outcome.step = outcome.unsaved ? FollowStep::Merge : FollowStep::Show;
    outcome.keptBoth = merged.keptBoth;
    outcome.entries = std::move(merged.merged);
    outcome.history = std::move(merged.history);
    Remember(stamp, hash);
    return outcome;
}
