#pragma once
#include "storage/EntryMerge.h"
#include "storage/KnownFile.h"
#include <cstdint>
#include <map>
#include <string>

// The conflict copies taken into the entries in this session, each as it
// was then. A copy that could not be moved aside afterwards stays in the
// folder and is found again at every look; taking it in again would change
// nothing, but would save and tell the user again. So a copy is taken in
// once as it is; one the sync service has written anew under its name
// since (its size, time or bytes differ) is another copy.
class CopiesTakenIn {
public:
    // Whether the copy at `path`, with this stamp and hash of its bytes,
    // was taken in as it is.
    bool Holds(const std::string& path, const FileStamp& stamp, std::uint64_t hash) const;
    // The entries in memory (`ours`) with the copy's (`copy`, read from
    // `path` with this stamp and hash) taken in (storage/EntryMerge.h); the
    // copy is remembered as taken in. False, with nothing merged, for a
    // copy taken in as it is.
    bool Take(const std::string& path, const FileStamp& stamp, std::uint64_t hash, const VersionedEntries& ours,
              const VersionedEntries& copy, MergeOutcome& outcome);
    // The copy was moved aside, or its merge never reached the entries: a
    // file of its name is taken in when it is found.
    void Forget(const std::string& path);

private:
    struct Taken {
        FileStamp stamp;
        std::uint64_t hash = 0;
    };
    // By path, letters folded as the file system folds them.
    std::map<std::string, Taken> m_taken;
};
