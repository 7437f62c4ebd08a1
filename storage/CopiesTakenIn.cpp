#include "storage/CopiesTakenIn.h"
#include <algorithm>

namespace {

std::string Folded(std::string path)
{
    std::transform(path.begin(), path.end(), path.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return path;
}

}  // namespace

bool CopiesTakenIn::Holds(const std::string& path, const FileStamp& stamp, std::uint64_t hash) const
{
    const auto taken = m_taken.find(Folded(path));
    return taken != m_taken.end() && taken->second.stamp == stamp && taken->second.hash == hash;
}

bool CopiesTakenIn::Take(const std::string& path, const FileStamp& stamp, std::uint64_t hash,
                         const VersionedEntries& ours, const VersionedEntries& copy, MergeOutcome& outcome)
{
    if (Holds(path, stamp, hash))
        return false;
    outcome = MergeVersions(ours, copy);
    m_taken[Folded(path)] = Taken{stamp, hash};
    return true;
}

void CopiesTakenIn::Forget(const std::string& path)
{
    m_taken.erase(Folded(path));
}
